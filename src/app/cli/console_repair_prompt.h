#pragma once

// The headless front end's answer to the repair engine's failures: each is written to
// a text stream and answered from another stream or by a fixed policy. Streams are the
// only seam to the console, so the prompt is the same on every platform.
//
// When someone is asked, a failure is shown as the desktop program's box would show
// it, title first; when no one is (continue, stop, or after "all"), in one line.
// A failure of the whole volume is said once with what to do, and the repair of that
// folder stops; so does one of a folder the user named that does not exist.

#include <chrono>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "app/cli/command_line.h"
#include "engine/repair_prompt.h"

namespace vantrelle::cli {

class ConsoleRepairPrompt final : public engine::RepairPrompt {
  public:
    // `utf8_terminal`: whether the console shows UTF-8; otherwise every byte outside
    // printable ASCII is shown escaped.
    ConsoleRepairPrompt(OnError policy, std::istream& answers, std::ostream& console,
                        bool utf8_terminal)
        : ConsoleRepairPrompt(policy, answers, console, utf8_terminal, console, Verbosity::Normal,
                              0) {}
    // `out` gets the entries reset in verbose mode; `progress_width`, where the console is a
    // terminal that wide, asks for a progress line (0: none).
    ConsoleRepairPrompt(OnError policy, std::istream& answers, std::ostream& console,
                        bool utf8_terminal, std::ostream& out, Verbosity verbosity,
                        int progress_width)
        : policy_(policy),
          answers_(answers),
          console_(console),
          utf8_(utf8_terminal),
          out_(out),
          verbosity_(verbosity),
          progress_width_(verbosity == Verbosity::Quiet ? 0 : progress_width) {}

    // Starts the repair of one folder the user named.
    void Begin(const std::string& top_folder);

    engine::PromptAnswer Failed(const engine::RepairFailure& failure) override;
    void Reset(const engine::RepairEntry& entry, std::uint32_t before) override;
    // For --list: each entry a repair would reset is printed with its attributes.
    void ListInstead() { listing_ = true; }
    long WouldReset() const { return counts_.reset; }
    void LeftAlone(const engine::RepairEntry& entry) override;

    // The progress line goes: before the outcome, and before anything else is said.
    void ClearProgress();
    // The counts of the folder begun last, after its outcome: on a terminal, or when
    // verbose; never when quiet.
    void Summarize();

    // Whether the folder the user named turned out not to exist or not to be a folder;
    // that has been said, and no outcome of a repair belongs to it.
    bool NoFolder() const { return no_folder_; }

    // The automatic Yes gives up on an entry that failed this many times in a row,
    // whatever the errors: a step that keeps failing (a stick pulled out, a listing
    // that breaks at the same place) would otherwise go on for ever.
    static constexpr int kFailureLimit = 5;

  private:
    engine::PromptAnswer AskYesNo();
    void SayInOneLine(const engine::RepairFailure& failure);
    void SayAsTheBox(const engine::RepairFailure& failure);
    std::string PathOf(const engine::RepairFailure& failure) const;
    void ShowProgress(const engine::RepairEntry& at);

    OnError policy_;
    std::istream& answers_;
    std::ostream& console_;
    bool utf8_;
    bool yes_to_all_ = false;

    std::string top_;
    bool no_folder_ = false;
    bool volume_failed_ = false;
    std::string last_entry_;  // the folder and entry of the last failure, and how often
    int in_a_row_ = 0;

    std::ostream& out_;
    Verbosity verbosity_;
    bool listing_ = false;
    int progress_width_;
    bool progress_shown_ = false;
    std::chrono::steady_clock::time_point progress_at_;
    std::uint64_t progress_calls_ = 0;
    struct Counts {
        long reset = 0;
        long normal = 0;
        long failed = 0;
        long reserved = 0;
    } counts_;
};

}  // namespace vantrelle::cli

#include "platform/ui/win32/bidi_runs.h"

// clang-format off
#include <windows.h>
#include <usp10.h>
// clang-format on

#include <algorithm>

namespace vantrelle::ui::win32 {

namespace {

// The embedding level of each character of the paragraph; the paragraph's own level
// where Uniscribe refuses it.
std::vector<BYTE> Levels(const std::wstring& paragraph, bool right_to_left) {
    const BYTE base = right_to_left ? 1 : 0;
    std::vector<BYTE> levels(paragraph.size(), base);
    if (paragraph.empty()) {
        return levels;
    }
    SCRIPT_CONTROL control{};
    SCRIPT_STATE state{};
    state.uBidiLevel = base;
    std::vector<SCRIPT_ITEM> items(paragraph.size() + 1);
    int count = 0;
    if (FAILED(ScriptItemize(paragraph.c_str(), static_cast<int>(paragraph.size()),
                             static_cast<int>(items.size()) - 1, &control, &state, items.data(),
                             &count))) {
        return levels;
    }
    for (int i = 0; i < count; ++i) {
        std::fill(levels.begin() + items[i].iCharPos, levels.begin() + items[i + 1].iCharPos,
                  static_cast<BYTE>(items[i].a.s.uBidiLevel));
    }
    return levels;
}

}  // namespace

std::vector<std::vector<DirectionalRun>> ParagraphRuns(const std::wstring& paragraph,
                                                       const std::vector<int>& line_lengths,
                                                       bool right_to_left) {
    const std::vector<BYTE> levels = Levels(paragraph, right_to_left);
    std::vector<std::vector<DirectionalRun>> lines;
    std::size_t start = 0;
    for (const int length : line_lengths) {
        const std::size_t end =
            std::min(paragraph.size(), start + static_cast<std::size_t>(length));
        // Runs of one level, in reading order, then as ScriptLayout orders them.
        std::vector<std::pair<std::size_t, std::size_t>> runs;
        std::vector<BYTE> run_levels;
        for (std::size_t at = start; at < end;) {
            std::size_t next = at;
            while (next < end && levels[next] == levels[at]) {
                ++next;
            }
            runs.emplace_back(at, next);
            run_levels.push_back(levels[at]);
            at = next;
        }
        std::vector<int> visual(runs.size());
        if (runs.empty() || FAILED(ScriptLayout(static_cast<int>(runs.size()), run_levels.data(),
                                                visual.data(), nullptr))) {
            for (std::size_t i = 0; i < visual.size(); ++i) {
                visual[i] = static_cast<int>(i);
            }
        }
        std::vector<DirectionalRun>& line = lines.emplace_back();
        for (const int index : visual) {
            const auto [from, to] = runs[static_cast<std::size_t>(index)];
            line.push_back({paragraph.substr(from, to - from),
                            (run_levels[static_cast<std::size_t>(index)] & 1) != 0});
        }
        start = end + 1;  // the space the wrap dropped
    }
    return lines;
}

}  // namespace vantrelle::ui::win32

#include "engine/fix_folder.h"

#include "engine/reserved_names.h"

namespace vantrelle::engine {

namespace {

// Every file and sub-folder whatever its attributes; not the volume label.
constexpr std::uint32_t kListingMask =
    files::kReadOnly | files::kHidden | files::kSystem | files::kDirectory | files::kArchive;

}  // namespace

RepairResult FixFolder(const std::string& path, files::FileSystem& fs, RepairPrompt& prompt) {
    const char separator = fs.Separator();

    // 1. No error so far.
    RepairResult result = kNoError;

    // Records the failure in the result before the user sees it; true means go on.
    auto failed = [&](const files::Error& error, PromptForm form, const std::string& entry) {
        result = StoredErrorNumber(error.number);
        const PromptAnswer answer = prompt.Failed({error, path, separator, entry, form});
        return form == PromptForm::Question && answer == PromptAnswer::GoOn;
    };

    // 2. Start the listing. Until it has started there is nothing to go on with.
    auto first = fs.Dir(path + separator, kListingMask);
    if (!first) {
        failed(first.error(), PromptForm::Notice, "");
        return result;
    }
    files::Listed current = std::move(first.value());

    // 3. An empty name ends the listing.
    while (!current.name.empty()) {
        // 4. Reserved entries are passed over untouched.
        if (IsReservedName(current.name)) {
            if (current.name != "." && current.name != "..") {
                prompt.LeftAlone({path, separator, current.name});
            }
        } else {
            // 5. Reset the entry the listing gave; the prompt names it by path + name.
            auto reset = fs.SetAttr(*current.entry, files::kNormal);
            if (reset) {
                prompt.Reset({path, separator, current.name}, reset.value());
            } else if (!failed(reset.error(), PromptForm::Question, current.name)) {
                return result;
            }
        }

        // 6. The next name. After Go on the current name is handled once more.
        auto next = fs.Dir();
        if (!next) {
            if (!failed(next.error(), PromptForm::Question, current.name)) {
                return result;
            }
            continue;
        }
        current = std::move(next.value());
    }

    // 7.
    return result;
}

}  // namespace vantrelle::engine

#include "engine/fix_folder_tree.h"

#include <optional>
#include <vector>

#include "engine/reserved_names.h"

namespace vantrelle::engine {

namespace {

using files::Error;
using files::FileSystem;
using files::Folder;

// The steps of walking one folder, numbered as the algorithm numbers them; step 1
// (no error so far) is the construction of a FolderWalk.
enum class Step {
    CreateObjectModel = 2,
    OpenFolder = 3,
    FilesTest = 4,
    StartFiles = 5,
    ResetFile = 6,
    NextFile = 7,
    SubFoldersTest = 8,
    StartSubFolders = 9,
    ResetSubFolder = 10,
    WalkSubFolder = 11,
    NextSubFolder = 12,
    Return = 13,
};

// After Go on, the walk continues with the step that follows the failing one.
Step FollowingStep(Step failed) {
    return static_cast<Step>(static_cast<int>(failed) + 1);
}

// A step that needs what an earlier failed step should have delivered fails in turn.
constexpr std::int32_t kMissingObject = 91;
Error Missing(const char* what) {
    return Error{kMissingObject, what};
}

// A collection, one pass over it and the member the pass stands on.
template <class Member>
struct Loop {
    std::unique_ptr<files::Collection<Member>> collection;
    std::unique_ptr<files::Enumerator<Member>> pass;
    std::unique_ptr<Member> current;
};

template <class Member>
using CollectionOf = files::Result<std::unique_ptr<files::Collection<Member>>> (Folder::*)();

// What one step came to: the step it leads to, or the failure to prompt for.
struct StepOutcome {
    Step next = Step::Return;
    std::optional<Error> failure;
    std::string entry;                      // the entry the prompt names, if any
    std::optional<std::string> descend_to;  // step 11: the sub-folder's path, to walk now
    const Folder* listed = nullptr;         // step 11: the sub-folder as its parent listed it
};

StepOutcome Next(Step step) {
    StepOutcome outcome;
    outcome.next = step;
    return outcome;
}

StepOutcome Fail(Error error, std::string entry = {}) {
    StepOutcome outcome;
    outcome.failure = std::move(error);
    outcome.entry = std::move(entry);
    return outcome;
}

// One level of the walk: the folder, its object model and its place in both
// enumerations, held until the level returns. A level keeps only what its path adds to
// its parent's (the sub-folder's name, mostly), so that a deep walk does not hold the
// long path of every level it is in.
class FolderWalk {
  public:
    // `listed` is the sub-folder as the parent's listing gave it, which the parent keeps
    // until this level returns; none for the folder the caller named.
    FolderWalk(const FolderWalk* parent, const std::string& path, const Folder* listed,
               FileSystem& fs, RepairPrompt& prompt)
        : parent_(parent), listed_(listed), fs_(fs), prompt_(prompt) {
        const std::string parent_path = parent ? parent->path() : std::string();
        if (parent && path.starts_with(parent_path)) {
            own_ = path.substr(parent_path.size());
        } else {
            parent_ = nullptr;
            own_ = path;
        }
    }

    // The path this level was given.
    std::string path() const {
        std::vector<const FolderWalk*> chain;
        std::size_t size = 0;
        for (const FolderWalk* level = this; level; level = level->parent_) {
            chain.push_back(level);
            size += level->own_.size();
        }
        std::string whole;
        whole.reserve(size);
        for (auto level = chain.rbegin(); level != chain.rend(); ++level) {
            whole += (*level)->own_;
        }
        return whole;
    }
    Step step = Step::CreateObjectModel;
    RepairResult result = kNoError;

    StepOutcome Run() {
        switch (step) {
            case Step::CreateObjectModel:
                return CreateObjectModel();
            case Step::OpenFolder:
                return OpenFolder();
            case Step::FilesTest:
                return CountTest(files_, &Folder::Files, Step::StartFiles, Step::SubFoldersTest);
            case Step::StartFiles:
                return StartPass(files_, &Folder::Files, Step::ResetFile, Step::SubFoldersTest);
            case Step::ResetFile:
                return ResetFile();
            case Step::NextFile:
                return Advance(files_, Step::ResetFile, Step::SubFoldersTest);
            case Step::SubFoldersTest:
                return CountTest(sub_folders_, &Folder::SubFolders, Step::StartSubFolders,
                                 Step::Return);
            case Step::StartSubFolders:
                return StartPass(sub_folders_, &Folder::SubFolders, Step::ResetSubFolder,
                                 Step::Return);
            case Step::ResetSubFolder:
                return ResetSubFolder();
            case Step::WalkSubFolder:
                return WalkSubFolder();
            case Step::NextSubFolder:
                return Advance(sub_folders_, Step::ResetSubFolder, Step::Return);
            case Step::Return:
                break;
        }
        return Next(Step::Return);
    }

  private:
    // 2.
    StepOutcome CreateObjectModel() {
        auto created = fs_.CreateFileSystemObject();
        if (!created) {
            return Fail(created.error());
        }
        object_model_ = std::move(created.value());
        return Next(Step::OpenFolder);
    }

    // 3.
    StepOutcome OpenFolder() {
        if (!object_model_) {
            return Fail(Missing("The folder object model is not available"));
        }
        // A sub-folder is opened as listed, never looked up again by the path shown.
        auto opened =
            listed_ ? object_model_->GetFolder(*listed_) : object_model_->GetFolder(path());
        if (!opened) {
            return Fail(opened.error());
        }
        folder_ = std::move(opened.value());
        return Next(Step::FilesTest);
    }

    // 4 and 8. Both the count and the folder's name are read, whatever the count.
    template <class Member>
    StepOutcome CountTest(Loop<Member>& loop, CollectionOf<Member> collection_of, Step passed,
                          Step skipped) {
        if (auto failure = FetchCollection(loop, collection_of)) {
            return Fail(std::move(*failure));
        }
        auto count = loop.collection->Count();
        if (!count) {
            return Fail(count.error());
        }
        auto name = folder_->Name();
        if (!name) {
            return Fail(name.error());
        }
        const bool reserved = IsReservedName(name.value());
        if (reserved && passed == Step::StartFiles) {
            prompt_.LeftAlone({path(), fs_.Separator(), {}});
        }
        return Next(count.value() > 0 && !reserved ? passed : skipped);
    }

    // 5 and 9.
    template <class Member>
    StepOutcome StartPass(Loop<Member>& loop, CollectionOf<Member> collection_of, Step first,
                          Step none) {
        if (auto failure = FetchCollection(loop, collection_of)) {
            return Fail(std::move(*failure));
        }
        auto pass = loop.collection->Enumerate();
        if (!pass) {
            return Fail(pass.error());
        }
        loop.pass = std::move(pass.value());
        return Advance(loop, first, none);
    }

    // 7 and 12. A pass that never started simply ends its loop.
    template <class Member>
    StepOutcome Advance(Loop<Member>& loop, Step member, Step end) {
        loop.current.reset();
        if (!loop.pass) {
            return Next(end);
        }
        auto next = loop.pass->Next();
        if (!next) {
            return Fail(next.error());
        }
        loop.current = std::move(next.value());
        return Next(loop.current ? member : end);
    }

    // 6.
    StepOutcome ResetFile() {
        if (!files_.current) {
            return Fail(Missing("There is no current file"));
        }
        auto name = files_.current->Name();
        if (!name) {
            return Fail(name.error());
        }
        // The step reads the path its text names, as it always has; the reset itself
        // goes by the entry the enumeration gave.
        auto folder_path = folder_->Path();
        if (!folder_path) {
            return Fail(folder_path.error(), name.value());
        }
        auto reset = fs_.SetAttr(*files_.current, files::kNormal);
        if (!reset) {
            return Fail(reset.error(), name.value());
        }
        prompt_.Reset({folder_path.value(), fs_.Separator(), name.value()}, reset.value());
        return Next(Step::NextFile);
    }

    // 10. A failure here still lets the sub-folder be walked after Go on. As at step 6,
    // the path is read, and the reset goes by the entry.
    StepOutcome ResetSubFolder() {
        auto sub_folder_path = CurrentSubFolderPath();
        if (!sub_folder_path) {
            return FailOnSubFolder(sub_folder_path.error());
        }
        auto reset = fs_.SetAttr(*sub_folders_.current, files::kNormal);
        if (!reset) {
            return FailOnSubFolder(reset.error());
        }
        prompt_.Reset({sub_folder_path.value(), fs_.Separator(), {}}, reset.value());
        return Next(Step::WalkSubFolder);
    }

    // 11. The walk itself runs as the next level; its result reaches this one on return.
    StepOutcome WalkSubFolder() {
        auto sub_folder_path = CurrentSubFolderPath();
        if (!sub_folder_path) {
            return FailOnSubFolder(sub_folder_path.error());
        }
        StepOutcome outcome = Next(Step::NextSubFolder);
        outcome.descend_to = std::move(sub_folder_path.value());
        outcome.listed = sub_folders_.current.get();
        return outcome;
    }

    files::Result<std::string> CurrentSubFolderPath() {
        if (!sub_folders_.current) {
            return Missing("There is no current sub-folder");
        }
        return sub_folders_.current->Path();
    }

    // The prompt names the sub-folder when its name can be read; it is only for the
    // text, so a name that cannot be read leaves line 3 without one.
    StepOutcome FailOnSubFolder(Error error) {
        std::string name;
        if (sub_folders_.current) {
            if (auto read = sub_folders_.current->Name()) {
                name = std::move(read.value());
            }
        }
        return Fail(std::move(error), std::move(name));
    }

    template <class Member>
    std::optional<Error> FetchCollection(Loop<Member>& loop, CollectionOf<Member> collection_of) {
        if (!folder_) {
            return Missing("The folder is not open");
        }
        if (!loop.collection) {
            auto collection = (folder_.get()->*collection_of)();
            if (!collection) {
                return collection.error();
            }
            loop.collection = std::move(collection.value());
        }
        return std::nullopt;
    }

    const FolderWalk* parent_;  // none when this level holds its whole path
    const Folder* listed_;
    std::string own_;
    FileSystem& fs_;
    RepairPrompt& prompt_;
    std::unique_ptr<files::FileSystemObject> object_model_;
    std::unique_ptr<Folder> folder_;
    Loop<files::File> files_;
    Loop<Folder> sub_folders_;
};

}  // namespace

RepairResult FixFolderTree(const std::string& path, FileSystem& fs, RepairPrompt& prompt) {
    // The levels of the path the walk is in, outermost first. Each level is what one
    // call of a recursive walk would hold on its stack frame.
    std::vector<std::unique_ptr<FolderWalk>> levels;
    levels.push_back(std::make_unique<FolderWalk>(nullptr, path, nullptr, fs, prompt));

    for (;;) {
        FolderWalk& walk = *levels.back();

        if (walk.step == Step::Return) {
            // 13. The level's result becomes its parent's, unless it is -1 (step 11).
            const RepairResult returned = walk.result;
            levels.pop_back();
            if (levels.empty()) {
                return returned;
            }
            if (returned != kNoError) {
                levels.back()->result = returned;
            }
            continue;
        }

        StepOutcome outcome = walk.Run();
        if (outcome.failure) {
            walk.result = StoredErrorNumber(outcome.failure->number);
            const bool go_on =
                prompt.Failed({*outcome.failure, walk.path(), fs.Separator(), outcome.entry,
                               PromptForm::Question}) == PromptAnswer::GoOn;
            walk.step = go_on ? FollowingStep(walk.step) : Step::Return;
            continue;
        }

        walk.step = outcome.next;
        if (outcome.descend_to) {
            levels.push_back(std::make_unique<FolderWalk>(&walk, *outcome.descend_to,
                                                          outcome.listed, fs, prompt));
        }
    }
}

}  // namespace vantrelle::engine

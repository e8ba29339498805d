// The promises of the file contract, written once and checked on every volume the
// platform offers: the in-memory volume the engine's tests use, and the real backends.

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "platform/files/contract/volume_under_test.h"
#include "support/listed_entry.h"

namespace vantrelle::testing {

void PrintTo(const VolumeKind& kind, std::ostream* os) {
    *os << kind.name;
}

namespace {

using files::kArchive;
using files::kDirectory;
using files::kHidden;
using files::kNormal;
using files::kReadOnly;
using files::kSystem;

constexpr std::uint32_t kEveryEntry = kReadOnly | kHidden | kSystem | kDirectory | kArchive;

class FileContractTest : public ::testing::TestWithParam<VolumeKind> {
  protected:
    void SetUp() override {
        std::string why;
        volume_ = GetParam().make(why);
        if (!volume_) {
            GTEST_SKIP() << why;
        }
    }

    files::FileSystem& fs() { return volume_->fs(); }
    std::string Path(const std::string& name) {
        return volume_->Folder() + fs().Separator() + name;
    }
    // What the listing of the folder gives, names only.
    std::multiset<std::string> Names(std::uint32_t mask) {
        std::multiset<std::string> names;
        auto listed = fs().Dir(volume_->Folder() + fs().Separator(), mask);
        while (listed && !listed.value().name.empty()) {
            names.insert(listed.value().name);
            listed = fs().Dir();
        }
        EXPECT_TRUE(listed) << listed.error().description;
        return names;
    }
    files::Result<std::uint32_t> Reset(const std::string& name) {
        auto entry = ListedEntry(fs(), volume_->Folder(), name);
        if (!entry) {
            return entry.error();
        }
        return fs().SetAttr(*entry.value().entry, kNormal);
    }

    std::unique_ptr<VolumeUnderTest> volume_;
};

TEST_P(FileContractTest, TheListingGivesEveryEntryOnceWithTheDotEntries) {
    volume_->MakeFile("hidden", kHidden | kSystem);
    volume_->MakeFile("plain", kNormal);
    volume_->MakeFolder("folder", kHidden);

    EXPECT_EQ(Names(kEveryEntry),
              (std::multiset<std::string>{".", "..", "folder", "hidden", "plain"}));
    // Without the directory bit in the mask, no folder is listed.
    EXPECT_EQ(Names(kReadOnly | kHidden | kSystem | kArchive),
              (std::multiset<std::string>{"hidden", "plain"}));
}

TEST_P(FileContractTest, AResetMakesTheEntryNormalAndLeavesEverythingElse) {
    volume_->MakeFile("file", kHidden | kSystem | kReadOnly | kArchive);
    volume_->MakeFolder("folder", kHidden | kSystem);
    volume_->MakeFile("folder/inside", kHidden);
    volume_->MakeFile("other", kHidden);

    for (const char* name : {"file", "folder"}) {
        auto reset = Reset(name);
        ASSERT_TRUE(reset) << name << ": " << reset.error().description;
        // What the entry had before is told; a volume may add Archive of its own.
        EXPECT_EQ(reset.value() & (kHidden | kSystem), kHidden | kSystem) << name;
        EXPECT_EQ(volume_->DosBits(name), 0u) << name;
    }
    EXPECT_EQ(volume_->DosBits("folder/inside"), std::uint32_t{kHidden});
    EXPECT_EQ(volume_->DosBits("other"), std::uint32_t{kHidden});
}

TEST_P(FileContractTest, ReadingAnEntrysAttributesChangesNothing) {
    volume_->MakeFile("file", kHidden | kSystem);
    auto entry = ListedEntry(fs(), volume_->Folder(), "file");
    ASSERT_TRUE(entry);

    auto read = fs().GetAttr(*entry.value().entry);
    ASSERT_TRUE(read) << read.error().description;
    EXPECT_EQ(read.value() & (kHidden | kSystem), kHidden | kSystem);
    EXPECT_EQ(volume_->DosBits("file") & (kHidden | kSystem), kHidden | kSystem);
}

TEST_P(FileContractTest, NamesRoundTripFromTheListingToTheReset) {
    const std::string farsi = "فایل مخفی";
    const std::string odd = "trailing space ";
    volume_->MakeFile(farsi, kHidden);
    volume_->MakeFile(odd, kHidden | kSystem);

    for (const std::string& name : {farsi, odd}) {
        auto reset = Reset(name);
        EXPECT_TRUE(reset) << name << ": " << reset.error().description;
        EXPECT_EQ(volume_->DosBits(name), 0u) << name;
    }
}

TEST_P(FileContractTest, ALinkIsResetAsItselfAndItsTargetIsLeftAlone) {
    volume_->MakeFile("target", kHidden);
    if (!volume_->MakeLink("link", "target")) {
        GTEST_SKIP() << "the volume keeps no links";
    }
    auto reset = Reset("link");
    if (volume_->ReachesLinksThemselves()) {
        // NTFS marks a link by its System bit, which stays.
        EXPECT_TRUE(reset) << reset.error().description;
        EXPECT_EQ(volume_->DosBits("link") & ~kSystem, 0u);
    }
    EXPECT_EQ(volume_->DosBits("target"), std::uint32_t{kHidden});
}

TEST_P(FileContractTest, AFailureCarriesTheNumberAndTheTextOfThePlatform) {
    volume_->MakeFile("gone", kHidden);
    auto entry = ListedEntry(fs(), volume_->Folder(), "gone");
    ASSERT_TRUE(entry);
    volume_->Remove("gone");

    auto reset = fs().SetAttr(*entry.value().entry, kNormal);
    ASSERT_FALSE(reset);
    EXPECT_NE(reset.error().number, 0);
    EXPECT_NE(reset.error().number, -1);
    EXPECT_FALSE(reset.error().description.empty());

    auto listing = fs().Dir(Path("missing") + fs().Separator(), kEveryEntry);
    ASSERT_FALSE(listing);
    EXPECT_FALSE(listing.error().description.empty());
}

// As when another program swaps entries while a prompt waits.
TEST_P(FileContractTest, AnEntryReplacedSinceItWasListedIsReportedAndNeitherIsTouched) {
    volume_->MakeFile("entry", kHidden);
    auto entry = ListedEntry(fs(), volume_->Folder(), "entry");
    ASSERT_TRUE(entry);
    volume_->Replace("entry", "moved", kHidden | kSystem);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    auto reset = fs().SetAttr(*entry.value().entry, kNormal);
    EXPECT_FALSE(reset);
    // NTFS itself may add Archive on a rename: only the bits the test set are judged.
    EXPECT_EQ(volume_->DosBits("entry") & (kHidden | kSystem), kHidden | kSystem);
    EXPECT_EQ(volume_->DosBits("moved") & kHidden, std::uint32_t{kHidden});
}

TEST_P(FileContractTest, ASubFolderReplacedSinceItWasListedIsNotOpened) {
    volume_->MakeFolder("sub", kNormal);
    volume_->MakeFile("sub/inside", kHidden);
    auto model = fs().CreateFileSystemObject();
    ASSERT_TRUE(model);
    auto folder = model.value()->GetFolder(volume_->Folder());
    ASSERT_TRUE(folder) << folder.error().description;
    auto sub_folders = folder.value()->SubFolders();
    ASSERT_TRUE(sub_folders);
    auto pass = sub_folders.value()->Enumerate();
    ASSERT_TRUE(pass);
    auto sub = pass.value()->Next();
    ASSERT_TRUE(sub && sub.value());

    volume_->Replace("sub", "moved", kNormal);
    auto opened = model.value()->GetFolder(*sub.value());
    EXPECT_FALSE(opened);
}

INSTANTIATE_TEST_SUITE_P(Volumes, FileContractTest, ::testing::ValuesIn(VolumesUnderTest()),
                         [](const auto& volume) { return volume.param.name; });

}  // namespace
}  // namespace vantrelle::testing

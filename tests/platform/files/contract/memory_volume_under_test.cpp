// The in-memory volume the engine's tests run on keeps the same contract.

#include "platform/files/contract/volume_under_test.h"
#include "support/memory_volume.h"

namespace vantrelle::testing {

namespace {

class MemoryVolumeUnderTest final : public VolumeUnderTest {
  public:
    MemoryVolumeUnderTest() { volume_.AddFolder("E:\\stick"); }

    files::FileSystem& fs() override { return volume_; }
    std::string Folder() override { return "E:\\stick"; }
    void MakeFile(const std::string& name, std::uint32_t attributes) override {
        volume_.AddFile(PathOf(name), attributes);
    }
    void MakeFolder(const std::string& name, std::uint32_t attributes) override {
        volume_.AddFolder(PathOf(name), attributes);
    }
    std::uint32_t DosBits(const std::string& name) override {
        return static_cast<std::uint32_t>(volume_.Attributes(PathOf(name))) & 0x27;
    }
    bool MakeLink(const std::string&, const std::string&) override { return false; }
    void Remove(const std::string& name) override { volume_.Remove(PathOf(name)); }
    void Replace(const std::string& name, const std::string& moved_to,
                 std::uint32_t attributes) override {
        const std::int64_t before = volume_.Attributes(PathOf(name));
        if ((before & files::kDirectory) != 0) {
            volume_.AddFolder(PathOf(moved_to), static_cast<std::uint32_t>(before));
        } else {
            volume_.AddFile(PathOf(moved_to), static_cast<std::uint32_t>(before));
        }
        volume_.Replace(PathOf(name), attributes);
    }

  private:
    static std::string PathOf(std::string name) {
        for (char& c : name) {
            c = c == '/' ? '\\' : c;
        }
        return "E:\\stick\\" + name;
    }

    MemoryVolume volume_;
};

}  // namespace

VolumeKind MemoryVolumeKind() {
    return {"MemoryVolume", [](std::string&) -> std::unique_ptr<VolumeUnderTest> {
                return std::make_unique<MemoryVolumeUnderTest>();
            }};
}

}  // namespace vantrelle::testing

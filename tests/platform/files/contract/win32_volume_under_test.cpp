// The Win32 backend on a folder of the machine's temporary folder: under Wine in the
// cross build, on Windows natively. Entries are made and read back with the Win32 calls
// themselves, through \\?\ paths.

#include <windows.h>

#include <string>

#include "common/wtf8.h"
#include "platform/files/contract/volume_under_test.h"

namespace vantrelle::testing {

namespace {

class Win32VolumeUnderTest final : public VolumeUnderTest {
  public:
    static std::unique_ptr<VolumeUnderTest> Make(std::string& why) {
        wchar_t temp[MAX_PATH + 1];
        const DWORD size = GetTempPathW(MAX_PATH + 1, temp);
        if (size == 0) {
            why = "no temporary folder";
            return nullptr;
        }
        auto volume = std::make_unique<Win32VolumeUnderTest>();
        volume->folder_ = std::wstring(temp, size) + L"vt-contract-" +
                          std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount64());
        if (!CreateDirectoryW(Long(volume->folder_).c_str(), nullptr)) {
            why = "the test folder could not be made";
            return nullptr;
        }
        return volume;
    }
    ~Win32VolumeUnderTest() override {
        fs_.reset();
        RemoveTree(folder_);
    }

    files::FileSystem& fs() override { return *fs_; }
    std::string Folder() override { return Narrow(folder_); }

    void MakeFile(const std::string& name, std::uint32_t attributes) override {
        HANDLE file = CreateFileW(Long(PathOf(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        CloseHandle(file);
        Set(name, attributes);
    }
    void MakeFolder(const std::string& name, std::uint32_t attributes) override {
        CreateDirectoryW(Long(PathOf(name)).c_str(), nullptr);
        Set(name, attributes);
    }
    std::uint32_t DosBits(const std::string& name) override {
        const DWORD attributes = GetFileAttributesW(Long(PathOf(name)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return 0xFFFFFFFF;
        }
        // Wine shows every file with Archive set whatever is stored.
        const DWORD archive = UnderWine() ? 0 : FILE_ATTRIBUTE_ARCHIVE;
        return attributes &
               (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | archive);
    }
    bool ReachesLinksThemselves() override { return !UnderWine(); }
    bool MakeLink(const std::string& name, const std::string& target) override {
        return CreateSymbolicLinkW(Long(PathOf(name)).c_str(), Widen(target).c_str(),
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
    }
    void Remove(const std::string& name) override {
        const std::wstring path = Long(PathOf(name));
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(path.c_str())) {
            RemoveDirectoryW(path.c_str());
        }
    }
    void Replace(const std::string& name, const std::string& moved_to,
                 std::uint32_t attributes) override {
        const DWORD before = GetFileAttributesW(Long(PathOf(name)).c_str());
        MoveFileW(Long(PathOf(name)).c_str(), Long(PathOf(moved_to)).c_str());
        if (before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_DIRECTORY)) {
            MakeFolder(name, attributes);
        } else {
            MakeFile(name, attributes);
        }
    }

  private:
    static bool UnderWine() {
        return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    }
    static std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }
    std::wstring PathOf(const std::string& name) const {
        std::wstring relative = Widen(name);
        for (wchar_t& c : relative) {
            c = c == L'/' ? L'\\' : c;
        }
        return folder_ + L"\\" + relative;
    }
    void Set(const std::string& name, std::uint32_t attributes) {
        if (attributes != 0) {
            SetFileAttributesW(Long(PathOf(name)).c_str(), attributes);
        }
    }
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(Long(folder + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                const std::wstring path = folder + L"\\" + name;
                SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    RemoveTree(path);
                } else if (!DeleteFileW(Long(path).c_str())) {
                    RemoveDirectoryW(Long(path).c_str());
                }
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(Long(folder).c_str());
    }

    std::unique_ptr<files::FileSystem> fs_ = files::OpenNativeFileSystem();
    std::wstring folder_;
};

}  // namespace

std::vector<VolumeKind> VolumesUnderTest() {
    return {MemoryVolumeKind(), {"Win32", Win32VolumeUnderTest::Make}};
}

}  // namespace vantrelle::testing

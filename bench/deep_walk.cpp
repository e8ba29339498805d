// Memory of the recursive walk at depth: builds a chain of 2,000 folders named "d"
// (Wine's paths end at Linux's 4,096 bytes), the deepest holding a hidden file, walks
// it with FixFolderTree over the native backend and prints how far the peak memory rose
// above what the program held before the walk. Exits 1 when the rise passes 16 MB, a
// prompt appeared or the file stayed hidden.
//   deep_walk [LEVELS]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/wtf8.h"
#include "engine/fix_folder_tree.h"
#include "platform/files/files.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fstream>
#endif

namespace {

using namespace vantrelle;

constexpr const char* kName = "d";
constexpr double kLimitMegabytes = 16;

class CountingPrompt : public engine::RepairPrompt {
  public:
    engine::PromptAnswer Failed(const engine::RepairFailure& failure) override {
        if (shown++ == 0) {
            std::fprintf(stderr, "Error %d: %s\n%s%c%s\n", failure.error.number,
                         failure.error.description.c_str(), failure.folder.c_str(),
                         failure.separator, failure.entry.c_str());
        }
        return engine::PromptAnswer::Stop;
    }
    int shown = 0;
};

#ifdef _WIN32
std::size_t PeakBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

std::string MakeRoot() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string root;
    for (const wchar_t* c = temp; *c; ++c) {
        root += static_cast<char>(*c);
    }
    root += "vantrelle-deep-";
    // Wine reuses process numbers, and a walk cut short leaves its tree behind.
    for (unsigned attempt = GetTickCount();; ++attempt) {
        const std::string candidate = root + std::to_string(attempt);
        if (CreateDirectoryW(Widen("\\\\?\\" + candidate).c_str(), nullptr)) {
            return candidate;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return candidate;
        }
    }
}

bool MakeFolder(const std::string& path) {
    return CreateDirectoryW(Widen("\\\\?\\" + path).c_str(), nullptr) != 0;
}

bool MakeHiddenFile(const std::string& path) {
    HANDLE file = CreateFileW(Widen("\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return SetFileAttributesW(Widen("\\\\?\\" + path).c_str(), FILE_ATTRIBUTE_HIDDEN) != 0;
}

bool IsHidden(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen("\\\\?\\" + path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_HIDDEN);
}

void Remove(const std::string& root, const std::string& file, int levels) {
    DeleteFileW(Widen("\\\\?\\" + file).c_str());
    std::string path = file.substr(0, file.rfind('\\'));
    for (int level = 0; level <= levels; ++level) {
        RemoveDirectoryW(Widen("\\\\?\\" + path).c_str());
        path.resize(path.rfind('\\'));
    }
    RemoveDirectoryW(Widen("\\\\?\\" + root).c_str());
}
#else
std::size_t PeakBytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            std::size_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

// Paths past PATH_MAX cannot be handed over whole: the tree is built and checked from
// the current folder, which follows the deepest level.
std::string MakeRoot() {
    char pattern[] = "/tmp/vantrelle-deep.XXXXXX";
    if (::mkdtemp(pattern) == nullptr || ::chdir(pattern) != 0) {
        return "";
    }
    return pattern;
}

bool MakeFolder(const std::string&) {
    return ::mkdir(kName, 0755) == 0 && ::chdir(kName) == 0;
}

bool MakeHiddenFile(const std::string&) {
    const int fd = ::open("hidden", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ::close(fd);
    return fd >= 0 && ::setxattr("hidden", "user.DOSATTRIB", "0x2", 3, 0) == 0;
}

bool IsHidden(const std::string&) {
    char value[16] = {};
    return ::getxattr("hidden", "user.DOSATTRIB", value, sizeof value - 1) < 0 ||
           std::string(value) != "0x0";
}

void Remove(const std::string& root, const std::string&, int) {
    (void)::chdir("/");
    std::system(("rm -rf '" + root + "'").c_str());
}
#endif

}  // namespace

int main(int argc, char** argv) {
    const int levels = argc > 1 ? std::atoi(argv[1]) : 2000;
    auto fs = files::OpenNativeFileSystem();
    const char separator = fs->Separator();
    const std::string root = MakeRoot();
    std::string path = root;
    for (int level = 0; level < levels; ++level) {
        path += separator;
        path += kName;
        if (!MakeFolder(path)) {
            std::fprintf(stderr, "deep walk: cannot make level %d\n", level + 1);
            Remove(root, path, level);
            return 1;
        }
    }
    const std::string file = path + separator + "hidden";
    if (!MakeHiddenFile(file)) {
        std::fprintf(stderr, "deep walk: cannot hide the deepest file\n");
        Remove(root, file, levels);
        return 1;
    }

    const std::size_t before = PeakBytes();
    CountingPrompt prompt;
    const engine::RepairResult result = engine::FixFolderTree(root, *fs, prompt);
    const std::size_t after = PeakBytes();
    const bool hidden = IsHidden(file);
    Remove(root, file, levels);

    const double rise = static_cast<double>(after - before) / (1024.0 * 1024.0);
    std::printf(
        "deep walk: %d levels, peak memory %.1f MB above the start (limit %.0f MB)%s\n", levels,
        rise, kLimitMegabytes,
        result != engine::kNoError || prompt.shown || hidden ? ", but the walk failed" : "");
    return rise <= kLimitMegabytes && result == engine::kNoError && prompt.shown == 0 && !hidden
               ? 0
               : 1;
}

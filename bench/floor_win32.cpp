// The Windows floor for the repair benchmark: the same walk as `vantrelle-cli.exe
// --recursive` with nothing but the calls it cannot do without: one large-fetch listing
// of each folder and one SetFileAttributesW per entry. Exits 1 when any entry failed.
//   floor_win32 ROOT

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

bool IsDots(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_win32 ROOT\n");
        return 2;
    }
    long errors = 0;
    std::vector<std::wstring> pending{std::wstring(L"\\\\?\\") + argv[1]};
    while (!pending.empty()) {
        const std::wstring folder = std::move(pending.back());
        pending.pop_back();
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            ++errors;
            continue;
        }
        do {
            if (IsDots(data.cFileName)) {
                continue;
            }
            std::wstring path = folder + L"\\" + data.cFileName;
            if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
                ++errors;
            }
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                pending.push_back(std::move(path));
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    if (errors != 0) {
        std::fprintf(stderr, "floor_win32: %ld entries failed\n", errors);
        return 1;
    }
    return 0;
}

// Reads back what Windows shows of an executable: the version strings through the
// version API, and the manifest resource. This test program carries the same
// resources as the program; VANTRELLE_EXECUTABLES names the program's executables to
// inspect as well, split by "|".

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/wtf8.h"

namespace {

// The build names executables by their host path; under Wine a POSIX path is reached
// through drive Z:.
std::wstring WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return vantrelle::Widen(path);
}

std::vector<std::wstring> Executables() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<std::wstring> executables = {self};
    std::string listed = VANTRELLE_EXECUTABLES;
    for (std::size_t start = 0; start < listed.size();) {
        const std::size_t end = std::min(listed.find('|', start), listed.size());
        if (end > start) {
            executables.push_back(WindowsPath(listed.substr(start, end - start)));
        }
        start = end + 1;
    }
    return executables;
}

std::wstring VersionString(const std::vector<char>& block, const std::wstring& name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return L"<missing>";
    }
    return std::wstring(value, wcsnlen(value, length));
}

TEST(WindowsResources, EveryExecutableCarriesTheVersionStrings) {
    for (const std::wstring& executable : Executables()) {
        SCOPED_TRACE(vantrelle::Narrow(executable));
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(executable.c_str(), &ignored);
        ASSERT_GT(size, 0u) << GetLastError();
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(executable.c_str(), 0, size, block.data()));

        EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.00");
        EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.00");
        EXPECT_EQ(VersionString(block, L"InternalName"), L"Project1");
        EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Project1.exe");
        EXPECT_EQ(VersionString(block, L"ProductName"), L"Vantrelle");
        EXPECT_EQ(VersionString(block, L"CompanyName"), L"Vantrelle Software");

        // US English, Unicode.
        WORD* translation = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                   reinterpret_cast<void**>(&translation), &length));
        ASSERT_EQ(length, 4u);
        EXPECT_EQ(translation[0], 0x0409);
        EXPECT_EQ(translation[1], 1200);

        VS_FIXEDFILEINFO* fixed = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
        EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    }
}

TEST(WindowsResources, EveryExecutableRunsAsInvokerIsDpiAwareAndAsksForThemedControls) {
    for (const std::wstring& executable : Executables()) {
        SCOPED_TRACE(vantrelle::Narrow(executable));
        HMODULE module = LoadLibraryExW(executable.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << GetLastError();
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        ASSERT_NE(found, nullptr);
        const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        const std::string manifest(data, SizeofResource(module, found));
        FreeLibrary(module);

        EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker")"),
                  std::string::npos);
        EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
        EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
        EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"),
                  std::string::npos);
    }
}

}  // namespace

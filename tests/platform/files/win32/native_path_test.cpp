#include "platform/files/win32/native_path.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrelle::files::win32 {
namespace {

// What GetFullPathNameW would answer with C:\work as the current folder and E:\docs
// as drive E's.
std::optional<std::u16string> FakeFullPathOf(std::u16string_view base) {
    static const std::map<std::u16string, std::u16string> answers = {{u".", u"C:\\work"},
                                                                     {u"\\", u"C:\\"},
                                                                     {u"E:", u"E:\\docs"},
                                                                     {u"e:", u"E:\\docs"},
                                                                     {u"F:", u"F:\\"}};
    auto found = answers.find(std::u16string(base));
    if (found == answers.end()) {
        return std::nullopt;
    }
    return found->second;
}

NativePath Resolved(std::u16string_view path) {
    std::optional<NativePath> resolved = ResolveNativePath(path, FakeFullPathOf);
    EXPECT_TRUE(resolved.has_value());
    return resolved.value_or(NativePath{});
}

TEST(NativePath, DriveRootsAndTheDoubledSeparatorAfterThem) {
    for (std::u16string_view root : {u"E:\\", u"E:\\\\", u"E:/"}) {
        const NativePath path = Resolved(root);
        EXPECT_EQ(path.display, u"E:\\");
        EXPECT_EQ(path.extended, u"\\\\?\\E:\\");
        EXPECT_EQ(path.name, u"");
    }
    const NativePath entry = Resolved(u"E:\\\\Photos");  // "E:\" + "\" + name
    EXPECT_EQ(entry.display, u"E:\\Photos");
    EXPECT_EQ(entry.extended, u"\\\\?\\E:\\Photos");
    EXPECT_EQ(entry.name, u"Photos");
    EXPECT_EQ(Resolved(u"E:\\a\\\\b\\").display, u"E:\\a\\b");
    // A bare drive is its root, whatever the drive's current folder (E:\docs here).
    EXPECT_EQ(Resolved(u"E:").display, u"E:\\");
    EXPECT_EQ(Resolved(u"e:").extended, u"\\\\?\\e:\\");
}

TEST(NativePath, DotsResolveButNamesAreKeptExactly) {
    EXPECT_EQ(Resolved(u"E:\\a\\.\\b\\..\\c").display, u"E:\\a\\c");
    EXPECT_EQ(Resolved(u"E:\\..\\..\\x").display, u"E:\\x");
    // The system would drop a trailing dot or space and turn NUL into the device.
    EXPECT_EQ(Resolved(u"E:\\trailing. ").extended, u"\\\\?\\E:\\trailing. ");
    EXPECT_EQ(Resolved(u"E:\\dir\\NUL").extended, u"\\\\?\\E:\\dir\\NUL");
    EXPECT_EQ(Resolved(u"E:\\...").name, u"...");
}

TEST(NativePath, RelativeFormsResolveAgainstTheirBase) {
    EXPECT_EQ(Resolved(u"stick\\dir").display, u"C:\\work\\stick\\dir");
    EXPECT_EQ(Resolved(u".").display, u"C:\\work");
    EXPECT_EQ(Resolved(u"..\\other").display, u"C:\\other");
    EXPECT_EQ(Resolved(u"\\top").display, u"C:\\top");
    EXPECT_EQ(Resolved(u"E:sub").display, u"E:\\docs\\sub");
    EXPECT_EQ(Resolved(u"e:sub").extended, u"\\\\?\\E:\\docs\\sub");
    EXPECT_FALSE(ResolveNativePath(u"G:x", FakeFullPathOf));  // the system failed
    EXPECT_FALSE(ResolveNativePath(u"", FakeFullPathOf));
}

TEST(NativePath, SharesGetTheUncPrefix) {
    const NativePath share = Resolved(u"\\\\server\\share\\\\dir\\..\\..\\f");
    EXPECT_EQ(share.display, u"\\\\server\\share\\f");
    EXPECT_EQ(share.extended, u"\\\\?\\UNC\\server\\share\\f");
    EXPECT_EQ(Resolved(u"\\\\server\\share").display, u"\\\\server\\share\\");
    EXPECT_FALSE(ResolveNativePath(u"\\\\server", FakeFullPathOf));
    // Typed with forward slashes, the same share.
    const NativePath slashes = Resolved(u"//server/share/dir");
    EXPECT_EQ(slashes.display, u"\\\\server\\share\\dir");
    EXPECT_EQ(slashes.extended, u"\\\\?\\UNC\\server\\share\\dir");
}

TEST(NativePath, PrefixedPathsAreTakenAsTheyAre) {
    const NativePath given = Resolved(u"\\\\?\\E:\\\\a\\b");
    EXPECT_EQ(given.display, u"\\\\?\\E:\\a\\b");
    EXPECT_EQ(given.extended, given.display);
    EXPECT_EQ(given.name, u"b");
    EXPECT_EQ(Resolved(u"\\\\?\\E:").extended, u"\\\\?\\E:\\");
    EXPECT_EQ(Resolved(u"\\\\?\\UNC\\server\\share\\x").extended, u"\\\\?\\UNC\\server\\share\\x");
}

TEST(NativePath, ChildrenAndListingPatterns) {
    const NativePath root = Resolved(u"E:\\");
    const NativePath folder = Resolved(u"E:\\dir");
    EXPECT_EQ(ChildPath(root, u"a").display, u"E:\\a");
    EXPECT_EQ(ChildPath(root, u"a").extended, u"\\\\?\\E:\\a");
    EXPECT_EQ(ChildPath(folder, u"a").display, u"E:\\dir\\a");
    EXPECT_EQ(ChildPath(folder, u"a").name, u"a");
    EXPECT_EQ(ListingPattern(root), u"\\\\?\\E:\\*");
    EXPECT_EQ(ListingPattern(folder), u"\\\\?\\E:\\dir\\*");
}

TEST(NativePath, LongPathsStayWhole) {
    std::u16string path = u"E:";
    for (int i = 0; i < 40; ++i) {
        path +=
            u"\\level-" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"-abcdefgh";
    }
    ASSERT_GT(path.size(), 260u);
    const NativePath resolved = Resolved(path);
    EXPECT_EQ(resolved.display, path);
    EXPECT_EQ(resolved.extended, u"\\\\?\\" + path);
}

}  // namespace
}  // namespace vantrelle::files::win32

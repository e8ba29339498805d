// The folder list: a list box holding the drive's root, the folders down to `Path`, each
// indented one step more than the one before, and `Path`'s sub-folders one step further.
// Listing goes through the same file system as the repair.

#include "platform/ui/dir_list.h"

#include <algorithm>

#include "platform/ui/common/folder_listing.h"
#include "platform/ui/win32/native.h"
#include "platform/ui/win32/test_access.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

constexpr wchar_t kIndent[] = L"  ";

// By name, letter case aside, as the system compares names.
bool ShownBefore(const common::FolderEntry& a, const common::FolderEntry& b) {
    return lstrcmpiW(win32::Widen(a.name).c_str(), win32::Widen(b.name).c_str()) < 0;
}

struct DirListNative : Control::Native {
    DirListNative(Window& window, const Rect& at, files::FileSystem& file_system)
        : fs(file_system) {
        hwnd = win32::MakeChild(
            window, L"LISTBOX",
            LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
            WS_EX_CLIENTEDGE, at);
    }

    void Notified(WORD code) override {
        if (code == LBN_DBLCLK) {
            OpenSelected();
        }
    }

    bool Entered() override {
        OpenSelected();
        return true;
    }

    void OpenSelected() {
        const LRESULT index = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
        if (index >= 0 && index < static_cast<LRESULT>(paths.size()) && !paths[index].empty()) {
            static_cast<DirListBox&>(*owner).SetPath(paths[index]);
        }
    }

    void Add(const std::string& text, int depth, std::string folder) {
        std::wstring shown;
        for (int i = 0; i < depth; ++i) {
            shown += kIndent;
        }
        shown += win32::Widen(text);
        SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        paths.push_back(std::move(folder));
    }

    void Fill() {
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
        paths.clear();
        sub_folders.clear();
        listing_error.clear();

        // The root, then each folder on the way down to `path`.
        const char separator = fs.Separator();
        std::string top = common::DriveLetterRoot(path, separator);
        if (top.empty()) {
            top = path.substr(0, 1);
        }
        const std::vector<common::FolderEntry> chain = common::FoldersDownTo(top, path, separator);
        for (std::size_t depth = 0; depth < chain.size(); ++depth) {
            Add(chain[depth].name, static_cast<int>(depth), chain[depth].path);
        }
        const int current = static_cast<int>(paths.size()) - 1;

        common::SubFolderListing listing = common::ListSubFolders(fs, path);
        std::sort(listing.folders.begin(), listing.folders.end(), ShownBefore);
        for (const common::FolderEntry& folder : listing.folders) {
            sub_folders.push_back(folder.path);
            Add(folder.name, current + 1, folder.path);
        }
        if (!listing.error.empty()) {
            // A drive without a medium, or a folder that is gone: the list says so and
            // stays usable; the root and the folders above can still be opened.
            listing_error = listing.error;
            Add(listing_error, current + 1, {});
        }
        SendMessageW(hwnd, LB_SETCURSEL, current, 0);
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    files::FileSystem& fs;
    std::string path;
    std::vector<std::string> paths;  // per entry; empty for the error line
    std::vector<std::string> sub_folders;
    std::string listing_error;
};

DirListNative& Of(const DirListBox& list) {
    return static_cast<DirListNative&>(list.native());
}

}  // namespace

int win32::DirEntryIndex(const DirListBox& list, const std::string& path) {
    const auto& paths = Of(list).paths;
    const auto found =
        std::find(paths.begin(), paths.end(), common::FolderPlace(path, Of(list).fs.Separator()));
    return found != paths.end() && !path.empty() ? static_cast<int>(found - paths.begin()) : -1;
}

DirListBox::DirListBox(Window& window, std::string name, Rect at, files::FileSystem& fs)
    : Control(window, std::move(name), std::make_unique<DirListNative>(window, at, fs)) {}

const std::string& DirListBox::Path() const {
    return Of(*this).path;
}

void DirListBox::SetPath(const std::string& path) {
    DirListNative& native = Of(*this);
    const std::string place = common::FolderPlace(path, native.fs.Separator());
    if (place == native.path) {
        return;
    }
    native.path = place;
    native.Fill();
    if (Change) {
        Change();
    }
}

std::vector<std::string> DirListBox::SubFolderPaths() const {
    return Of(*this).sub_folders;
}

const std::string& DirListBox::ListingError() const {
    return Of(*this).listing_error;
}

}  // namespace vantrelle::ui

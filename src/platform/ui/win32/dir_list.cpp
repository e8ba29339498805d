// The folder list: a list box holding the drive's root, the folders down to `Path`, each
// indented one step more than the one before, and `Path`'s sub-folders one step further.
// Listing goes through the same file system as the repair.

#include "platform/ui/dir_list.h"

#include <algorithm>

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/test_access.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

constexpr char kSeparator = '\\';
constexpr wchar_t kIndent[] = L"  ";

bool IsDrive(const std::string& path) {
    return path.size() == 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// "E:" is its root "E:\"; trailing separators after anything else go.
std::string Normalized(const std::string& path) {
    if (IsDrive(path)) {
        return path + kSeparator;
    }
    std::string place = path;
    const std::size_t root =
        place.size() >= 3 && IsDrive(place.substr(0, 2)) && place[2] == kSeparator ? 3 : 1;
    while (place.size() > root && place.back() == kSeparator) {
        place.pop_back();
    }
    return place;
}

std::string Join(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == kSeparator ? folder + name
                                                          : folder + kSeparator + name;
}

struct Listing {
    std::vector<std::string> names;
    std::optional<files::Error> error;  // why the listing stopped short
};

Listing SubFolders(files::FileSystem& fs, const std::string& path) {
    Listing listing;
    auto fso = fs.CreateFileSystemObject();
    if (!fso) {
        listing.error = fso.error();
        return listing;
    }
    auto folder = fso.value()->GetFolder(path);
    if (!folder) {
        listing.error = folder.error();
        return listing;
    }
    auto collection = folder.value()->SubFolders();
    if (!collection) {
        listing.error = collection.error();
        return listing;
    }
    auto members = collection.value()->Enumerate();
    if (!members) {
        listing.error = members.error();
        return listing;
    }
    for (;;) {
        auto next = members.value()->Next();
        if (!next) {
            listing.error = next.error();  // the names read so far are still shown
            return listing;
        }
        if (!next.value()) {
            return listing;
        }
        if (auto name = next.value()->Name()) {
            listing.names.push_back(name.value());
        }
    }
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

    void Add(const std::string& text, int depth, std::string path) {
        std::wstring shown;
        for (int i = 0; i < depth; ++i) {
            shown += kIndent;
        }
        shown += win32::Widen(text);
        SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        paths.push_back(std::move(path));
    }

    void Fill() {
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
        paths.clear();
        sub_folders.clear();
        listing_error.clear();

        // The root, then each folder on the way down to `path`.
        const std::size_t root = path.size() >= 3 && path[1] == ':' ? 3 : 1;
        Add(path.substr(0, root), 0, path.substr(0, root));
        int depth = 0;
        for (std::size_t start = root; start < path.size();) {
            const std::size_t end = std::min(path.find(kSeparator, start), path.size());
            if (end > start) {
                Add(path.substr(start, end - start), ++depth, path.substr(0, end));
            }
            start = end + 1;
        }
        const int current = static_cast<int>(paths.size()) - 1;

        auto [names, error] = SubFolders(fs, path);
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return lstrcmpiW(win32::Widen(a).c_str(), win32::Widen(b).c_str()) < 0;
        });
        for (const std::string& name : names) {
            sub_folders.push_back(Join(path, name));
            Add(name, depth + 1, sub_folders.back());
        }
        if (error) {
            // A drive without a medium, or a folder that is gone: the list says so and
            // stays usable; the root and the folders above can still be opened.
            listing_error = !error->description.empty() ? error->description
                                                        : "This folder cannot be read (error " +
                                                              std::to_string(error->number) + ").";
            Add(listing_error, depth + 1, {});
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
    const auto found = std::find(paths.begin(), paths.end(), Normalized(path));
    return found != paths.end() && !path.empty() ? static_cast<int>(found - paths.begin()) : -1;
}

DirListBox::DirListBox(Window& window, std::string name, Rect at, files::FileSystem& fs)
    : Control(window, std::move(name), std::make_unique<DirListNative>(window, at, fs)) {}

const std::string& DirListBox::Path() const {
    return Of(*this).path;
}

void DirListBox::SetPath(const std::string& path) {
    DirListNative& native = Of(*this);
    const std::string place = Normalized(path);
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

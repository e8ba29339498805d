// The drive list: a drop-down list of the drive letters, shown as "e: [LABEL]" like a
// classic drive list, reporting the selected one as "E:".

#include "platform/ui/drive_list.h"

#include <algorithm>
#include <cwctype>

#include "platform/ui/common/drive_selection.h"
#include "platform/ui/win32/native.h"
#include "platform/ui/win32/test_access.h"
#include "platform/ui/win32/twips.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

// How many entries the open list shows before it scrolls.
constexpr int kVisibleEntries = 8;

bool SameDrive(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::towupper(static_cast<unsigned char>(x)) ==
                      std::towupper(static_cast<unsigned char>(y));
           });
}

struct DriveListNative : Control::Native {
    DriveListNative(Window& window, Rect at, DriveListBox::Source drives_source)
        : source(std::move(drives_source)), drives(source()) {
        // The height of a drop-down list is that of its open list; the closed box takes
        // the font's height.
        Rect open = at;
        open.height += kVisibleEntries * 195;
        hwnd = win32::MakeChild(window, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
                                open);
        // The closed box takes the height of the table.
        RECT shown{};
        GetWindowRect(hwnd, &shown);
        const LRESULT field = SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        const int wanted = win32::TwipsToPixels(at.height);
        if (field > 0 && shown.bottom - shown.top != wanted) {
            SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                         field + wanted - (shown.bottom - shown.top));
        }
        Fill(common::StartingDrive(drives));
    }

    void Fill(int index) {
        SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
        for (const DriveEntry& entry : drives) {
            const std::string& text = entry.text.empty() ? entry.drive : entry.text;
            SendMessageW(hwnd, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(win32::Widen(text).c_str()));
        }
        selected = index;
        SendMessageW(hwnd, CB_SETCURSEL, selected, 0);
    }

    void VolumesChanged() override {
        auto& list = static_cast<DriveListBox&>(*owner);
        list.window().PostEvent([&list] { list.Refresh(); });
    }

    void Notified(WORD code) override {
        if (code == CBN_SELCHANGE) {
            Select(static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)));
        }
    }

    void Select(int index) {
        if (index < 0 || index >= static_cast<int>(drives.size()) || index == selected) {
            return;
        }
        selected = index;
        SendMessageW(hwnd, CB_SETCURSEL, index, 0);
        auto& list = static_cast<DriveListBox&>(*owner);
        if (list.Change) {
            list.Change();
        }
    }

    int IndexOf(const std::string& drive) const {
        const auto found = std::find_if(drives.begin(), drives.end(), [&](const DriveEntry& entry) {
            return SameDrive(entry.drive, drive);
        });
        return found != drives.end() ? static_cast<int>(found - drives.begin()) : -1;
    }

    DriveListBox::Source source;
    std::vector<DriveEntry> drives;
    int selected = -1;
};

DriveListNative& Of(const DriveListBox& list) {
    return static_cast<DriveListNative&>(list.native());
}

std::wstring VolumeLabel(const std::wstring& root) {
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               nullptr, 0)) {
        return {};
    }
    return label;
}

}  // namespace

int win32::DriveIndex(const DriveListBox& list, const std::string& drive) {
    return Of(list).IndexOf(drive);
}

std::vector<DriveEntry> MountedDrives() {
    std::vector<DriveEntry> fixed, removable;
    // Every letter is asked: Wine's GetLogicalDrives() misses a drive letter made after the
    // process started until something opens it.
    for (int i = 0; i < 26; ++i) {
        const wchar_t letter = static_cast<wchar_t>(L'A' + i);
        const std::wstring root = std::wstring(1, letter) + L":\\";
        const UINT type = GetDriveTypeW(root.c_str());
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) {
            continue;
        }
        // A drive without a medium has no label; it is listed all the same.
        std::wstring text = std::wstring(1, static_cast<wchar_t>(std::towlower(letter))) + L":";
        if (const std::wstring label = VolumeLabel(root); !label.empty()) {
            text += L" [" + label + L"]";
        }
        DriveEntry entry{std::string(1, static_cast<char>(letter)) + ":", win32::Narrow(text),
                         type == DRIVE_REMOVABLE};
        (entry.removable ? removable : fixed).push_back(std::move(entry));
    }
    removable.insert(removable.end(), fixed.begin(), fixed.end());
    if (removable.empty()) {
        removable.push_back({"C:", "c:", false});
    }
    return removable;
}

bool IsSystemDrive(const std::string& path) {
    std::string drive = path;
    if (!drive.empty() && (drive.back() == '\\' || drive.back() == '/')) {
        drive.pop_back();
    }
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH + 1);
    if (drive.size() != 2 || drive[1] != ':' || length < 2 || length > MAX_PATH ||
        windows[1] != L':') {
        return false;
    }
    return std::towupper(static_cast<unsigned char>(drive[0])) == std::towupper(windows[0]);
}

DriveListBox::DriveListBox(Window& window, std::string name, Rect at, Source drives)
    : Control(window, std::move(name),
              std::make_unique<DriveListNative>(window, at, std::move(drives))) {}

DriveListBox::DriveListBox(Window& window, std::string name, Rect at,
                           std::vector<DriveEntry> drives)
    : DriveListBox(window, std::move(name), at, [drives = std::move(drives)] { return drives; }) {}

std::string DriveListBox::Drive() const {
    const DriveListNative& native = Of(*this);
    return native.selected >= 0 ? native.drives[native.selected].drive : std::string();
}

void DriveListBox::SetDrive(const std::string& drive) {
    if (const int index = Of(*this).IndexOf(drive); index >= 0) {
        Of(*this).Select(index);
    }
}

void DriveListBox::Refresh() {
    DriveListNative& native = Of(*this);
    const std::string before = Drive();
    std::vector<DriveEntry> now = native.source();
    const int index = common::DriveAfterChange(native.drives, native.selected, now);
    native.drives = std::move(now);
    native.Fill(index);
    if (Drive() != before && Change) {
        Change();
    }
}

}  // namespace vantrelle::ui

// A picture from the executable's resources, at its own size.

#include "platform/ui/image.h"

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/picture.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

struct ImageNative : Control::Native {
    ImageNative(Window& window, const Rect& at, const std::string& picture) {
        hwnd = win32::MakeChild(window, L"STATIC", SS_BITMAP, 0, at);
        bitmap = win32::LoadPictureResource(win32::Module(), win32::Widen(picture));
        if (bitmap != nullptr) {
            SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
        }
    }
    ~ImageNative() override {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }

    HBITMAP bitmap = nullptr;
};

}  // namespace

Image::Image(Window& window, std::string name, Rect at, const std::string& picture)
    : Control(window, std::move(name), std::make_unique<ImageNative>(window, at, picture)) {}

}  // namespace vantrelle::ui

#include "platform/ui/win32/picture.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstring>

namespace vantrelle::ui::win32 {

HBITMAP LoadPictureResource(HINSTANCE module, const std::wstring& name) {
    HRSRC found = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (found == nullptr) {
        return nullptr;
    }
    const DWORD size = SizeofResource(module, found);
    const void* data = LockResource(LoadResource(module, found));
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (data == nullptr || copy == nullptr) {
        return nullptr;
    }
    std::memcpy(GlobalLock(copy), data, size);
    GlobalUnlock(copy);

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HBITMAP bitmap = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture)))) {
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(picture->get_Handle(&handle))) {
            // The picture object owns its bitmap; a copy outlives it.
            bitmap = static_cast<HBITMAP>(
                CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0,
                          0, LR_CREATEDIBSECTION));
        }
        picture->Release();
    }
    stream->Release();
    return bitmap;
}

}  // namespace vantrelle::ui::win32

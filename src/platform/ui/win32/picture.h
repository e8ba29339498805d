#pragma once

// A picture kept in the executable's resources (a GIF), decoded by the system.

#include <windows.h>

#include <string>

namespace vantrelle::ui::win32 {

// A bitmap of the RCDATA resource `name` (matched regardless of case) that the caller
// owns (DeleteObject), or nullptr when the resource is missing or cannot be decoded. COM
// must be initialised on the thread.
HBITMAP LoadPictureResource(HINSTANCE module, const std::wstring& name);

}  // namespace vantrelle::ui::win32

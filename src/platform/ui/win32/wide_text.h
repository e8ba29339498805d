#pragma once

// Text crosses the windowing layer as UTF-8 and becomes UTF-16 only here, at the Win32
// boundary.

#include <string>
#include <string_view>

#include "common/wtf8.h"

namespace vantrelle::ui::win32 {

using vantrelle::Narrow;
using vantrelle::Widen;

// A STATIC control and a message box break lines only at CR LF; a lone CR or a lone LF in
// a caption would show as a box or nothing. Both become CR LF.
std::wstring ShownLines(std::string_view text);

// The caption of a button or a menu: "&" would mark the next letter as a shortcut; it is
// doubled, so the text shows as it is.
std::wstring WithoutMnemonics(std::string_view text);

}  // namespace vantrelle::ui::win32

#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui::win32 {

std::wstring ShownLines(std::string_view text) {
    const std::wstring wide = Widen(text);
    std::wstring shown;
    shown.reserve(wide.size() + 8);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const wchar_t c = wide[i];
        if (c == L'\r' || c == L'\n') {
            shown += L"\r\n";
            if (c == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') {
                ++i;
            }
        } else {
            shown += c;
        }
    }
    return shown;
}

std::wstring WithoutMnemonics(std::string_view text) {
    std::wstring shown;
    for (const wchar_t c : Widen(text)) {
        shown += c;
        if (c == L'&') {
            shown += L'&';
        }
    }
    return shown;
}

}  // namespace vantrelle::ui::win32

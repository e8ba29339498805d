#include "platform/ui/win32/wide_text.h"

#include "platform/files/win32/wtf8.h"

namespace vantrelle::ui::win32 {

namespace wtf8 = vantrelle::files::win32;

std::wstring Widen(std::string_view text) {
    wtf8::Utf16StreamDecoder decoder;
    std::u16string wide = decoder.Decode(text);
    wide += decoder.Finish();
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view text) {
    return wtf8::Wtf8FromUtf16(std::u16string(text.begin(), text.end()));
}

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

// The Windows console takes UTF-16 through WriteConsoleW whatever its code page; a
// redirected stream gets the UTF-8 bytes as they are.

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <iostream>
#include <streambuf>

#include "app/cli/console.h"
#include "common/wtf8.h"

namespace vantrelle::cli {

namespace {

class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

  protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_ += traits_type::to_char_type(c);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }

    int sync() override {
        const std::u16string text = decoder_.Decode(pending_);
        pending_.clear();
        const wchar_t* rest = reinterpret_cast<const wchar_t*>(text.data());
        DWORD left = static_cast<DWORD>(text.size());
        while (left > 0) {
            DWORD written = 0;
            if (!WriteConsoleW(console_, rest, left, &written, nullptr) || written == 0) {
                return -1;
            }
            rest += written;
            left -= written;
        }
        return 0;
    }

  private:
    HANDLE console_;
    std::string pending_;
    Utf16StreamDecoder decoder_;
};

void UseConsoleFor(std::ostream& stream, DWORD which) {
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) {
        return;
    }
    stream.flush();
    // Never freed: the standard streams are flushed after every static object is gone.
    stream.rdbuf(new ConsoleBuffer(handle));
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> converted;
    for (int i = 1; arguments && i < count; ++i) {
        std::wstring argument = arguments[i];
        // The command-line rules read "T:\" as T: and an escaped quote. No Windows name
        // holds a quote, so a final one was the user's closing quote after a backslash.
        if (argument.size() > 1 && argument.back() == L'"') {
            argument.back() = L'\\';
        }
        converted.push_back(Narrow(argument));
    }
    LocalFree(arguments);
    return converted;
}

bool PrepareConsole() {
    UseConsoleFor(std::cout, STD_OUTPUT_HANDLE);
    UseConsoleFor(std::cerr, STD_ERROR_HANDLE);
    return true;
}

int ErrorTerminalWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
        return 0;  // redirected
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace vantrelle::cli

#include <iconv.h>

#include <cerrno>

#include "platform/codepage/ascii_fallback.h"
#include "platform/codepage/codepage.h"
#include "platform/codepage/posix/iconv_decoder.h"

namespace vantrelle::codepage {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
const std::size_t kConversionFailed = static_cast<std::size_t>(-1);

}  // namespace

std::string DecodeWithIconv(std::string_view bytes, const char* charset) {
    std::string text;
    const iconv_t converter = iconv_open("UTF-8", charset);
    if (converter == kNoConverter) {
        AppendAsciiOrReplacement(bytes, text);
        return text;
    }
    text.reserve(bytes.size());
    // iconv's interface takes a non-const input pointer but never writes through it.
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    char buffer[4096];
    while (in_left > 0) {
        char* out = buffer;
        std::size_t out_left = sizeof buffer;
        const std::size_t status = iconv(converter, &in, &in_left, &out, &out_left);
        const int error = errno;
        text.append(buffer, static_cast<std::size_t>(out - buffer));
        if (status == kConversionFailed && error != E2BIG) {
            // An unmappable or truncated sequence: stand in for one byte and go on.
            text += kReplacementCharacter;
            ++in;
            --in_left;
        }
    }
    iconv_close(converter);
    return text;
}

std::string AnsiToUtf8(std::string_view bytes) {
    return DecodeWithIconv(bytes, "CP1256");
}

}  // namespace vantrelle::codepage

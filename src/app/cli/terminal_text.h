#pragma once

// Text from the volume or from a server, made safe to show on a terminal.

#include <string>

namespace vantrelle::cli {

// `text` as a terminal may show it safely: CR LF and lone CR become line feeds; other
// control characters, bidirectional controls (U+202E ...), and bytes that are not
// UTF-8 (or not ASCII, when `utf8` is false), become \xNN, so that a name cannot move
// the cursor or garble the output. A backslash that starts "\x" is shown as \x5c, so
// that an escape and a name holding its text cannot be confused.
std::string ForTerminal(const std::string& text, bool utf8);

// The same, with line breaks and tabs escaped too: for a name or a reason within a
// line, so that a crafted name cannot print a line of its own.
std::string OneLineForTerminal(const std::string& text, bool utf8);

}  // namespace vantrelle::cli

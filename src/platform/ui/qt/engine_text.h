#pragma once

#include <QString>
#include <string>

namespace vantrelle::ui {

// The engine's texts and names are UTF-8, but a name from disk may hold bytes that are
// not: each such byte shows as U+FFFD and the rest of the text stays readable.
QString FromEngineText(const std::string& text);

}  // namespace vantrelle::ui

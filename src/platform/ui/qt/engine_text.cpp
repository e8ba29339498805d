#include "platform/ui/qt/engine_text.h"

namespace vantrelle::ui {

QString FromEngineText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace vantrelle::ui

#pragma once

namespace vantrelle {

// The language chosen on the welcome window; it selects the variant of each window
// and the texts it shows.
enum class Language { English, Farsi };

}  // namespace vantrelle

#pragma once

// How a label lays out its caption, whatever the toolkit measures with: lines break at
// CR LF, at a lone CR and at a lone LF; a line wider than `width` wraps at its spaces
// only, the space at each break dropped; a word wider than `width` stays whole on a
// line of its own (the label cuts it at its edge).

#include <functional>
#include <string>
#include <vector>

namespace vantrelle::ui::common {

// The caption's paragraphs: its text between line breaks.
std::vector<std::string> CaptionParagraphs(const std::string& caption);

// `measure` gives the width of a UTF-8 text as the label would draw it.
std::vector<std::string> CaptionLines(const std::string& caption, int width,
                                      const std::function<int(const std::string&)>& measure);

}  // namespace vantrelle::ui::common

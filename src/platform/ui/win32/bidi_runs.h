#pragma once

#include <string>
#include <vector>

namespace vantrelle::ui::win32 {

// A piece of a line that reads in one direction, as it is drawn.
struct DirectionalRun {
    std::wstring text;
    bool right_to_left = false;
};

// The lines of one paragraph, each as its runs from left to right. The reading order of
// every character is resolved over the whole paragraph (Uniscribe's itemizer), so that a
// bracket or a number at a wrap reads as it does in the unwrapped line; each line is then
// ordered on its own. `line_lengths` are the lengths of the wrapped lines in UTF-16 units,
// each followed in `paragraph` by the one space the wrap dropped.
std::vector<std::vector<DirectionalRun>> ParagraphRuns(const std::wstring& paragraph,
                                                       const std::vector<int>& line_lengths,
                                                       bool right_to_left);

}  // namespace vantrelle::ui::win32

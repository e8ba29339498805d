#pragma once

// What the Win32 test driver reads of the controls beyond the contract: which entry of a
// list to act on as the user would, and what a label draws. Only the controls that answer
// and the tests include it.

#include <string>
#include <vector>

namespace vantrelle::ui {

class Control;
class DirListBox;
class DriveListBox;
class Label;

namespace win32 {

// The entry that stands for `drive` or `path`, or -1.
int DriveIndex(const DriveListBox& list, const std::string& drive);
int DirEntryIndex(const DirListBox& list, const std::string& path);
// The lines a label paints, each as it is drawn.
std::vector<std::string> ShownLines(const Label& label);
// How often the control has been painted.
int Paints(const Control& control);

}  // namespace win32
}  // namespace vantrelle::ui

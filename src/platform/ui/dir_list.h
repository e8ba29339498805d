#pragma once

// The folder list. Its top is the root of the drive that holds `Path` ("E:\", or the
// mount point on Linux); below it the folders from there down to `Path`, then `Path`'s
// sub-folders, hidden ones included, files never. Nothing above the drive's root is
// shown, so the user cannot leave the drive. Opening an entry (double click, or Enter)
// moves the list there; selecting one without opening it changes nothing. Paths are
// the file system's own byte strings.

#include <functional>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

class DirListBox : public Control {
  public:
    DirListBox(Window& window, std::string name, Rect at, files::FileSystem& fs);

    const std::string& Path() const;

    // Moves the list to `path`; a drive ("E:") means its root, and the drive that holds
    // `path` becomes the top. When that is another place than the current one, `Change`
    // runs before this returns; the same place raises nothing.
    void SetPath(const std::string& path);

    // The sub-folders of `Path` as shown, in their order, as full paths.
    std::vector<std::string> SubFolderPaths() const;
    // Why `Path` could not be listed (the list shows it too), or "" when it could.
    const std::string& ListingError() const;

    // `Path` changed, by the user opening a folder or by code.
    std::function<void()> Change;
};

}  // namespace vantrelle::ui

#pragma once

// The folder list: the ancestors of `Path`, the folder itself, and its sub-folders,
// hidden ones included. Opening an entry (double click or Enter) moves the list there.
// Paths are the file system's own byte strings.

#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/files/files.h"

namespace vantrelle::ui {

class DirListBox : public QTreeWidget {
  public:
    DirListBox(files::FileSystem& fs, QWidget* parent);

    const std::string& Path() const { return path_; }

    // Moves the list to `path`; a drive ("E:") means its root. When that is another
    // place than the current one, `Change` runs before this returns.
    void SetPath(const std::string& path);

    // Why the current folder could not be listed, or "" when it could.
    const QString& ListingError() const { return listing_error_; }

    // The sub-folders shown, as full paths.
    std::vector<std::string> SubFolderPaths() const;

    std::function<void()> Change;

  private:
    std::string Normalized(const std::string& path) const;
    std::string Join(const std::string& folder, const std::string& name) const;
    void Fill();

    files::FileSystem& fs_;
    std::string path_;
    QString listing_error_;
};

}  // namespace vantrelle::ui

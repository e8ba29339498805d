#include "platform/ui/qt/dir_list.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>
#include <optional>

#include "platform/ui/qt/engine_text.h"

namespace vantrelle::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;

bool IsDrive(const std::string& path) {
    return path.size() == 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The length of the root at the start of `path`: "E:\" or "/" (0 for a relative path).
std::size_t RootLength(const std::string& path, char separator) {
    if (path.size() >= 3 && IsDrive(path.substr(0, 2)) && path[2] == separator) {
        return 3;
    }
    if (!path.empty() && path[0] == separator) {
        return 1;
    }
    return 0;
}

struct SubFolderListing {
    std::vector<std::string> names;
    std::optional<files::Error> error;  // why the listing stopped short
};

SubFolderListing ListSubFolders(files::FileSystem& fs, const std::string& path) {
    SubFolderListing listing;
    auto fso = fs.CreateFileSystemObject();
    if (!fso) {
        listing.error = fso.error();
        return listing;
    }
    auto folder = fso.value()->GetFolder(path);
    if (!folder) {
        listing.error = folder.error();
        return listing;
    }
    auto subfolders = folder.value()->SubFolders();
    if (!subfolders) {
        listing.error = subfolders.error();
        return listing;
    }
    auto members = subfolders.value()->Enumerate();
    if (!members) {
        listing.error = members.error();
        return listing;
    }
    while (true) {
        auto next = members.value()->Next();
        if (!next) {
            listing.error = next.error();  // the names read so far are still shown
            return listing;
        }
        if (!next.value()) {
            return listing;
        }
        if (auto name = next.value()->Name()) {
            listing.names.push_back(name.value());
        }
    }
}

QString CaseFolded(const std::string& name) {
    return FromEngineText(name).toCaseFolded();
}

}  // namespace

DirListBox::DirListBox(files::FileSystem& fs, QWidget* parent) : QTreeWidget(parent), fs_(fs) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setColumnCount(1);
    setIndentation(12);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QVariant path = item->data(0, kPathRole);
        if (path.isValid()) {
            SetPath(path.toByteArray().toStdString());
        }
    });
}

std::string DirListBox::Normalized(const std::string& path) const {
    const char separator = fs_.Separator();
    if (IsDrive(path)) {
        return path + separator;
    }
    std::string result = path;
    const std::size_t root = std::max<std::size_t>(RootLength(result, separator), 1);
    while (result.size() > root && result.back() == separator) {
        result.pop_back();
    }
    return result;
}

std::string DirListBox::Join(const std::string& folder, const std::string& name) const {
    if (!folder.empty() && folder.back() == fs_.Separator()) {
        return folder + name;
    }
    return folder + fs_.Separator() + name;
}

void DirListBox::SetPath(const std::string& path) {
    const std::string place = Normalized(path);
    if (place == path_) {
        return;
    }
    path_ = place;
    Fill();
    if (Change) {
        Change();
    }
}

std::vector<std::string> DirListBox::SubFolderPaths() const {
    std::vector<std::string> paths;
    QTreeWidgetItem* current = currentItem();
    if (current == nullptr) {
        return paths;
    }
    for (int i = 0; i < current->childCount(); ++i) {
        const QVariant path = current->child(i)->data(0, kPathRole);
        if (path.isValid()) {
            paths.push_back(path.toByteArray().toStdString());
        }
    }
    return paths;
}

void DirListBox::Fill() {
    clear();
    listing_error_.clear();
    if (path_.empty()) {
        return;
    }
    const char separator = fs_.Separator();
    const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The chain of ancestors, each one nested in the one before, ending at the folder.
    std::vector<std::pair<std::string, std::string>> chain;  // path, shown name
    const std::size_t root = RootLength(path_, separator);
    if (root > 0) {
        chain.emplace_back(path_.substr(0, root), path_.substr(0, root));
    }
    std::size_t start = root;
    while (start < path_.size()) {
        std::size_t end = path_.find(separator, start);
        if (end == std::string::npos) {
            end = path_.size();
        }
        if (end > start) {
            chain.emplace_back(path_.substr(0, end), path_.substr(start, end - start));
        }
        start = end + 1;
    }

    QTreeWidgetItem* parent = nullptr;
    for (const auto& [path, name] : chain) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, FromEngineText(name));
        item->setIcon(0, open_icon);
        item->setData(0, kPathRole, QByteArray::fromStdString(path));
        parent = item;
    }
    if (parent == nullptr) {
        return;
    }

    auto [names, error] = ListSubFolders(fs_, path_);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CaseFolded(a) < CaseFolded(b);
    });
    for (const std::string& name : names) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, FromEngineText(name));
        item->setIcon(0, closed_icon);
        item->setData(0, kPathRole, QByteArray::fromStdString(Join(path_, name)));
    }
    if (error) {
        // A drive without a medium, or a folder that is gone: the list says so and
        // stays usable; the other drives and the ancestors can still be opened.
        listing_error_ = FromEngineText(error->description);
        if (listing_error_.isEmpty()) {
            listing_error_ =
                QStringLiteral("This folder cannot be read (error %1).").arg(error->number);
        }
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, listing_error_);
        item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
        item->setFlags(Qt::NoItemFlags);
    }
    expandAll();
    setCurrentItem(parent);
}

}  // namespace vantrelle::ui

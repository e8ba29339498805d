#include "platform/ui/dir_list.h"

#include <QFile>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>

#include "platform/ui/common/folder_listing.h"
#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString CaseFolded(const std::string& name) {
    return qt::ToQt(name).toCaseFolded();
}

class FolderWidget : public QTreeWidget {
  public:
    explicit FolderWidget(files::FileSystem& fs) : fs_(fs) {
        setHeaderHidden(true);
        setRootIsDecorated(false);
        setItemsExpandable(false);
        setColumnCount(1);
        setIndentation(12);
        setUniformRowHeights(true);
        connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
            const QVariant path = item->data(0, kPathRole);
            if (path.isValid()) {
                MoveTo(common::FolderPlace(path.toByteArray().toStdString(), fs_.Separator()),
                       top_);
            }
        });
    }

    // The root of the drive that holds `place`: a drive letter's root, otherwise the
    // mount point; a place that cannot be asked is its own top.
    std::string DriveRoot(const std::string& place) const {
        std::string root = common::DriveLetterRoot(place, fs_.Separator());
        if (root.empty()) {
            const QStorageInfo volume(QFile::decodeName(QByteArray::fromStdString(place)));
            root = volume.isValid() ? QFile::encodeName(volume.rootPath()).toStdString() : place;
        }
        return root;
    }

    void MoveTo(const std::string& place, const std::string& top) {
        if (place == path_) {
            return;
        }
        path_ = place;
        top_ = top;
        Fill();
        if (changed) {
            changed();
        }
    }

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }
    const std::vector<std::string>& sub_folders() const { return sub_folders_; }
    files::FileSystem& fs() const { return fs_; }

    std::function<void()> changed;

  private:
    void Fill() {
        clear();
        error_.clear();
        sub_folders_.clear();
        const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
        QTreeWidgetItem* parent = nullptr;
        for (const common::FolderEntry& folder :
             common::FoldersDownTo(top_, path_, fs_.Separator())) {
            auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
            item->setText(0, qt::ToQt(folder.name));
            item->setIcon(0, open_icon);
            item->setData(0, kPathRole, QByteArray::fromStdString(folder.path));
            parent = item;
        }

        common::SubFolderListing listing = common::ListSubFolders(fs_, path_);
        std::stable_sort(listing.folders.begin(), listing.folders.end(),
                         [](const common::FolderEntry& a, const common::FolderEntry& b) {
                             return CaseFolded(a.name) < CaseFolded(b.name);
                         });
        const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
        for (const common::FolderEntry& folder : listing.folders) {
            auto* item = new QTreeWidgetItem(parent);
            item->setText(0, qt::ToQt(folder.name));
            item->setIcon(0, closed_icon);
            item->setData(0, kPathRole, QByteArray::fromStdString(folder.path));
            sub_folders_.push_back(folder.path);
        }
        if (!listing.error.empty()) {
            // A drive without a medium, or a folder that is gone: the list says so and
            // stays usable.
            error_ = listing.error;
            auto* item = new QTreeWidgetItem(parent);
            item->setText(0, qt::ToQt(error_));
            item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
            item->setFlags(Qt::NoItemFlags);
        }
        expandAll();
        setCurrentItem(parent);
    }

    files::FileSystem& fs_;
    std::string path_;
    std::string top_;
    std::string error_;
    std::vector<std::string> sub_folders_;
};

FolderWidget* Widget(const DirListBox& list) {
    return qt::WidgetOf<FolderWidget>(list);
}

}  // namespace

DirListBox::DirListBox(Window& window, std::string name, Rect at, files::FileSystem& fs)
    : Control(window, std::move(name), qt::Placed(window, new FolderWidget(fs), at)) {
    Widget(*this)->changed = [this] { qt::Raise(this->window(), Change); };
}

const std::string& DirListBox::Path() const {
    return Widget(*this)->path();
}

void DirListBox::SetPath(const std::string& path) {
    FolderWidget* widget = Widget(*this);
    const std::string place = common::FolderPlace(path, widget->fs().Separator());
    widget->MoveTo(place, widget->DriveRoot(place));
}

std::vector<std::string> DirListBox::SubFolderPaths() const {
    return Widget(*this)->sub_folders();
}

const std::string& DirListBox::ListingError() const {
    return Widget(*this)->error();
}

}  // namespace vantrelle::ui

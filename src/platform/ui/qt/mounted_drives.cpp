// The machine's volumes, as the drive list offers them.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cstdlib>

#include "platform/ui/drive_list.h"
#include "platform/ui/qt/native.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#endif

namespace vantrelle::ui {

namespace {

#ifndef Q_OS_WIN
bool UnderAny(const QString& path, std::initializer_list<const char*> prefixes) {
    for (const char* prefix : prefixes) {
        const QString folder = QLatin1String(prefix);
        if (path == folder || path.startsWith(folder + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

// Kernel and desktop plumbing that no user would pick as the drive to repair.
bool IsPseudo(const QStorageInfo& volume) {
    static const QList<QByteArray> kTypes = {
        "proc",       "sysfs",      "devtmpfs", "devpts",   "tmpfs",  "ramfs",       "cgroup",
        "cgroup2",    "securityfs", "debugfs",  "tracefs",  "pstore", "bpf",         "mqueue",
        "hugetlbfs",  "configfs",   "fusectl",  "autofs",   "nsfs",   "binfmt_misc", "efivarfs",
        "rpc_pipefs", "nfsd",       "overlay",  "squashfs", "rootfs", "selinuxfs",   "binder"};
    const QByteArray type = volume.fileSystemType();
    if (kTypes.contains(type) || type.startsWith("fuse.") || type == "fuse") {
        return true;
    }
    return UnderAny(volume.rootPath(),
                    {"/proc", "/sys", "/dev", "/run/user", "/run/lock", "/run/credentials", "/boot",
                     "/snap", "/var/lib", "/var/snap", "/var/run"}) ||
           (UnderAny(volume.rootPath(), {"/run"}) && !UnderAny(volume.rootPath(), {"/run/media"}));
}

// A file bind-mounted over another (as containers mount /etc/hosts) is no drive.
bool RootIsFolder(const QStorageInfo& volume) {
    struct stat root {};
    return stat(QFile::encodeName(volume.rootPath()).constData(), &root) == 0 &&
           S_ISDIR(root.st_mode);
}

// The mount points of this process's mount namespace, as paths.
std::vector<std::string> MountPoints() {
    std::vector<std::string> points;
    std::ifstream mountinfo("/proc/self/mountinfo");
    for (std::string line; std::getline(mountinfo, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        if (!(fields >> id >> parent >> device >> root >> point)) {
            continue;
        }
        // Spaces, tabs, newlines and backslashes are written as three octal digits.
        const auto octal = [&point](std::size_t at) {
            return at < point.size() && point[at] >= '0' && point[at] <= '7';
        };
        std::string unescaped;
        for (std::size_t i = 0; i < point.size(); ++i) {
            if (point[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
                unescaped += static_cast<char>((point[i + 1] - '0') * 64 +
                                               (point[i + 2] - '0') * 8 + (point[i + 3] - '0'));
                i += 3;
            } else {
                unescaped += point[i];
            }
        }
        points.push_back(std::move(unescaped));
    }
    return points;
}

// A block device the kernel marks removable (USB sticks, card readers), or a volume
// the desktop mounted for the user, which is where external disks end up.
bool IsRemovable(const QStorageInfo& volume) {
    if (UnderAny(volume.rootPath(), {"/media", "/run/media", "/mnt"})) {
        return true;
    }
    const QString device = QFile::decodeName(volume.device());
    if (!device.startsWith(QLatin1String("/dev/"))) {
        return false;
    }
    const QString block =
        QFileInfo(QLatin1String("/sys/class/block/") + QFileInfo(device).fileName())
            .canonicalFilePath();
    if (block.isEmpty()) {
        return false;
    }
    for (const QString& flag :
         {block + QLatin1String("/removable"), block + QLatin1String("/../removable")}) {
        QFile file(flag);
        if (file.open(QIODevice::ReadOnly)) {
            return file.readAll().trimmed() == "1";
        }
    }
    return false;
}
#endif

}  // namespace

std::vector<DriveEntry> MountedDrives() {
    std::vector<DriveEntry> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid()) {
            continue;
        }
        DriveEntry entry;
#ifdef Q_OS_WIN
        const QString root = QDir::toNativeSeparators(volume.rootPath());
        if (root.size() != 3 || root[1] != QLatin1Char(':')) {
            continue;
        }
        entry.drive = root.left(2).toStdString();
        QString text = root.left(2).toLower();
        if (!volume.name().isEmpty()) {
            text += QLatin1String(" [") + volume.name() + QLatin1Char(']');
        }
        entry.text = qt::FromQt(text);
        entry.removable =
            GetDriveTypeW(reinterpret_cast<const wchar_t*>(root.utf16())) == DRIVE_REMOVABLE;
#else
        if (IsPseudo(volume) || !RootIsFolder(volume)) {
            continue;
        }
        const QString root = volume.rootPath();
        entry.drive = QFile::encodeName(root).toStdString();
        const QString name = volume.name();
        entry.text = qt::FromQt(
            name.isEmpty() ? root : name + QLatin1String(" (") + root + QLatin1Char(')'));
        entry.removable = IsRemovable(volume);
#endif
        drives.push_back(std::move(entry));
    }
    std::stable_sort(drives.begin(), drives.end(), [](const DriveEntry& a, const DriveEntry& b) {
        return a.removable && !b.removable;
    });
    if (drives.empty()) {
        drives.push_back({QFile::encodeName(QDir::rootPath()).toStdString(), {}, false});
    }
    return drives;
}

bool IsSystemDrive(const std::string& path) {
#ifdef Q_OS_WIN
    QString drive = QDir::toNativeSeparators(qt::ToQt(path));
    if (drive.endsWith(QLatin1Char('\\'))) {
        drive.chop(1);
    }
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH + 1);
    return drive.size() == 2 && drive[1] == QLatin1Char(':') && length >= 2 && windows[1] == L':' &&
           drive[0].toUpper() == QChar(static_cast<char16_t>(windows[0])).toUpper();
#else
    struct stat target {};
    if (path.empty() || stat(path.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) {
        return false;
    }
    // A folder inside a volume is no drive; the volume's root is a mount point.
    const std::string canonical =
        QFile::encodeName(QFileInfo(qt::ToQt(path)).canonicalFilePath()).toStdString();
    const std::vector<std::string> points = MountPoints();
    if (canonical != "/" && std::find(points.begin(), points.end(), canonical) == points.end()) {
        return false;
    }
    std::vector<std::string> system = {"/", "/boot", "/usr", "/home", "/root"};
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        system.emplace_back(home);
    }
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        system.emplace_back(user->pw_dir);
    }
    return std::any_of(system.begin(), system.end(), [&](const std::string& folder) {
        struct stat own {};
        return stat(folder.c_str(), &own) == 0 && own.st_dev == target.st_dev;
    });
#endif
}

}  // namespace vantrelle::ui

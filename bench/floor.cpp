// The floor for the repair benchmark: the same walk as `vantrelle-cli --recursive` over
// a tree whose DOS attributes live in user.DOSATTRIB, with nothing but the system calls
// it cannot do without: one pass over each directory and, per entry, either
//   replace    one blind write of "0x0" that fails where there is no attribute, or
//   read-write one read and, when a bit is set, one write (what a reset must do to
//              leave unreadable values and Samba's records alone).
// Also makes and re-hides the benchmark's trees. With --ntfs the attribute is ntfs-3g's
// system.ntfs_attrib_be instead, with --ntfs3 ntfs3's system.ntfs_attrib (host byte
// order); with --fat it is vfat's, through the FAT ioctls on the entry opened (replace:
// one set; read-write: one get and, when a bit is set, one set).
//
//   floor [KIND] replace|read-write ROOT
//   floor [KIND] populate ROOT FOLDERS FILES_PER_FOLDER   (FOLDERS 0: files in ROOT)
//   floor [KIND] hide ROOT                 KIND: --ntfs, --ntfs3 or --fat

#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kName = "user.DOSATTRIB";
constexpr char kHidden[] = "0x6";
constexpr char kNormal[] = "0x0";

enum class Mode { Replace, ReadWrite, Hide };

long errors = 0;
bool ntfs = false;
bool ntfs3 = false;
bool fat = false;

// vfat: one byte; Hidden and System set, or Read-only, Hidden, System and Archive cleared.
// The kernel insists on the directory bit staying as it is.
void VisitFat(const std::string& path, Mode mode, bool directory) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        ++errors;
        return;
    }
    std::uint32_t value = directory ? 0x10 : 0;
    switch (mode) {
        case Mode::Replace:
            if (ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &value) != 0) {
                ++errors;
            }
            break;
        case Mode::ReadWrite:
            if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &value) != 0) {
                ++errors;
            } else if ((value & 0x27) != 0) {
                value &= ~0x27u;
                if (ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &value) != 0) {
                    ++errors;
                }
            }
            break;
        case Mode::Hide:
            value |= 0x06;
            if (ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &value) != 0) {
                ++errors;
            }
            break;
    }
    close(fd);
}

// ntfs-3g: 32 bits, big-endian; Hidden and System set, or the settable bits cleared.
void VisitNtfs(const std::string& path, Mode mode) {
    constexpr const char* kNtfs = "system.ntfs_attrib_be";
    const unsigned char hidden[4] = {0, 0, 0, 0x06};
    unsigned char value[4] = {};
    switch (mode) {
        case Mode::Replace:
            if (lsetxattr(path.c_str(), kNtfs, value, 4, 0) != 0) {
                ++errors;
            }
            break;
        case Mode::ReadWrite:
            if (lgetxattr(path.c_str(), kNtfs, value, 4) != 4) {
                ++errors;
            } else if ((value[2] & 0x31) != 0 || (value[3] & 0x27) != 0) {
                value[2] &= ~0x31;
                value[3] &= ~0x27;
                if (lsetxattr(path.c_str(), kNtfs, value, 4, 0) != 0) {
                    ++errors;
                }
            }
            break;
        case Mode::Hide:
            if (lsetxattr(path.c_str(), kNtfs, hidden, 4, 0) != 0) {
                ++errors;
            }
            break;
    }
}

// ntfs3: 32 bits in host byte order; the driver keeps a folder's directory bit itself.
void VisitNtfs3(const std::string& path, Mode mode) {
    constexpr const char* kNtfs3 = "system.ntfs_attrib";
    constexpr std::uint32_t kSettable = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;
    std::uint32_t value = 0;
    switch (mode) {
        case Mode::Replace:
            if (lsetxattr(path.c_str(), kNtfs3, &value, 4, 0) != 0) {
                ++errors;
            }
            break;
        case Mode::ReadWrite:
            if (lgetxattr(path.c_str(), kNtfs3, &value, 4) != 4) {
                ++errors;
            } else if ((value & kSettable) != 0) {
                value &= ~kSettable;
                if (lsetxattr(path.c_str(), kNtfs3, &value, 4, 0) != 0) {
                    ++errors;
                }
            }
            break;
        case Mode::Hide:
            value = 0x06;
            if (lsetxattr(path.c_str(), kNtfs3, &value, 4, 0) != 0) {
                ++errors;
            }
            break;
    }
}

void Visit(const std::string& path, Mode mode, bool directory = false) {
    if (ntfs3) {
        VisitNtfs3(path, mode);
        return;
    }
    if (fat) {
        VisitFat(path, mode, directory);
        return;
    }
    if (ntfs) {
        VisitNtfs(path, mode);
        return;
    }
    switch (mode) {
        case Mode::Replace:
            if (lsetxattr(path.c_str(), kName, kNormal, 3, XATTR_REPLACE) != 0 &&
                errno != ENODATA && errno != ENOTSUP && errno != EPERM) {
                ++errors;
            }
            break;
        case Mode::ReadWrite: {
            char value[256];
            const ssize_t size = lgetxattr(path.c_str(), kName, value, sizeof value);
            if (size > 0 && !(size == 3 && std::memcmp(value, kNormal, 3) == 0) &&
                lsetxattr(path.c_str(), kName, kNormal, 3, XATTR_REPLACE) != 0) {
                ++errors;
            }
            break;
        }
        case Mode::Hide:
            if (lsetxattr(path.c_str(), kName, kHidden, 3, 0) != 0) {
                ++errors;
            }
            break;
    }
}

int Walk(const std::string& root, Mode mode) {
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr) {
            ++errors;
            continue;
        }
        while (dirent* entry = readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
                continue;
            }
            std::string path = folder + "/" + name;
            Visit(path, mode, entry->d_type == DT_DIR);
            if (entry->d_type == DT_DIR) {
                pending.push_back(std::move(path));
            }
        }
        closedir(dir);
    }
    if (errors != 0) {
        std::fprintf(stderr, "floor: %ld entries failed\n", errors);
        return 1;
    }
    return 0;
}

int Populate(const std::string& root, int folders, int files) {
    auto make_files = [&](const std::string& folder) {
        for (int i = 0; i < files; ++i) {
            const std::string path = folder + "/file" + std::to_string(i) + ".txt";
            const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd < 0 || write(fd, path.data(), path.size()) < 0) {
                std::perror(path.c_str());
                std::exit(1);
            }
            close(fd);
            Visit(path, Mode::Hide);
        }
    };
    if (folders == 0) {
        make_files(root);
    }
    for (int f = 0; f < folders; ++f) {
        const std::string folder = root + "/folder" + std::to_string(f);
        if (mkdir(folder.c_str(), 0755) != 0) {
            std::perror(folder.c_str());
            return 1;
        }
        Visit(folder, Mode::Hide, true);
        make_files(folder);
    }
    return errors == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc > 1 ? argv[1] : "";
    if (kind == "--ntfs" || kind == "--ntfs3" || kind == "--fat") {
        ntfs = kind == "--ntfs";
        ntfs3 = kind == "--ntfs3";
        fat = kind == "--fat";
        --argc;
        ++argv;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc == 3 && command == "replace") {
        return Walk(argv[2], Mode::Replace);
    }
    if (argc == 3 && command == "read-write") {
        return Walk(argv[2], Mode::ReadWrite);
    }
    if (argc == 3 && command == "hide") {
        return Walk(argv[2], Mode::Hide);
    }
    if (argc == 5 && command == "populate") {
        return Populate(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    }
    std::fprintf(stderr,
                 "usage: floor [--ntfs|--ntfs3|--fat] replace|read-write|hide ROOT\n"
                 "       floor [--ntfs|--ntfs3|--fat] populate ROOT FOLDERS FILES_PER_FOLDER\n");
    return 2;
}

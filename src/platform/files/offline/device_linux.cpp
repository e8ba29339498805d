#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/files/offline/device.h"

namespace vantrelle::files::offline {

namespace {

Error SystemError(int number, const std::string& what) {
    return Error{number, std::string(std::strerror(number)) + " (" + what + ")"};
}

class FileDevice final : public BlockDevice {
  public:
    FileDevice(int fd, std::uint64_t size, bool writable)
        : fd_(fd), size_(size), writable_(writable) {}
    ~FileDevice() override { ::close(fd_); }

    std::uint64_t Size() const override { return size_; }

    Status Read(std::uint64_t offset, std::span<std::uint8_t> into) override {
        if (offset > size_ || into.size() > size_ - offset) {
            return Error{EIO, "A read past the end of the device"};
        }
        std::size_t done = 0;
        while (done < into.size()) {
            const ssize_t n = ::pread(fd_, into.data() + done, into.size() - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return SystemError(n < 0 ? errno : EIO, "reading the device");
            }
            done += static_cast<std::size_t>(n);
        }
        return Done{};
    }

    Status Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        if (!writable_) {
            return SystemError(EROFS, "the device can only be read");
        }
        if (offset > size_ || bytes.size() > size_ - offset) {
            return Error{EIO, "A write past the end of the device"};
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return SystemError(n < 0 ? errno : EIO, "writing the device");
            }
            done += static_cast<std::size_t>(n);
        }
        return Done{};
    }

    Status Flush() override {
        if (::fdatasync(fd_) != 0) {
            return SystemError(errno, "flushing the device");
        }
        return Done{};
    }

  private:
    int fd_;
    std::uint64_t size_;
    bool writable_;
};

// Undoes the escapes of /proc/self/mountinfo (\040 for a space ...).
std::string Unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text.push_back(static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8)));
            i += 3;
        } else {
            text.push_back(field[i]);
        }
    }
    return text;
}

bool SameFile(const std::string& path, const struct stat& file) {
    struct stat other {};
    return ::stat(path.c_str(), &other) == 0 && other.st_dev == file.st_dev &&
           other.st_ino == file.st_ino;
}

// Where `file` (a block device, or an image) is in use: a mount of this device or of
// this image as its source, or a loop device backed by the image. Empty when nowhere.
std::string InUse(const struct stat& file) {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point;
        fields >> id >> parent >> numbers >> root >> point;
        const std::size_t dash = line.find(" - ");
        std::string type, source;
        if (dash != std::string::npos) {
            std::istringstream tail(line.substr(dash + 3));
            tail >> type >> source;
        }
        unsigned major_number = 0, minor_number = 0;
        const bool device_numbers =
            std::sscanf(numbers.c_str(), "%u:%u", &major_number, &minor_number) == 2;
        if (S_ISBLK(file.st_mode) && device_numbers &&
            ::makedev(major_number, minor_number) == file.st_rdev) {
            return "it is mounted on " + Unescaped(point);
        }
        if (!source.empty() && source[0] == '/' && SameFile(Unescaped(source), file)) {
            return "it is mounted on " + Unescaped(point);
        }
    }
    if (!S_ISREG(file.st_mode)) {
        return {};
    }
    DIR* block = ::opendir("/sys/block");
    if (block == nullptr) {
        return {};
    }
    std::string used;
    while (dirent* entry = ::readdir(block)) {
        if (std::strncmp(entry->d_name, "loop", 4) != 0) {
            continue;
        }
        std::ifstream backing(std::string("/sys/block/") + entry->d_name + "/loop/backing_file");
        std::string backing_file;
        if (std::getline(backing, backing_file) && SameFile(backing_file, file)) {
            used = std::string("the loop device /dev/") + entry->d_name +
                   " uses it (mounted or not; detach it with losetup -d)";
            break;
        }
    }
    ::closedir(block);
    return used;
}

}  // namespace

Result<std::unique_ptr<BlockDevice>> OpenUnmountedDevice(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return SystemError(errno, "looking up the device");
    }
    if (!S_ISBLK(st.st_mode) && !S_ISREG(st.st_mode)) {
        return Error{EINVAL, "It is neither a block device nor an image file"};
    }
    // A block device claimed exclusively cannot be mounted, nor is it while we hold it.
    const int exclusive = S_ISBLK(st.st_mode) ? O_EXCL : 0;
    bool writable = true;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | exclusive);
    if (fd < 0 && (errno == EROFS || errno == EACCES)) {
        writable = false;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | exclusive);
    }
    if (fd < 0) {
        if (errno == EBUSY) {
            return Error{EBUSY,
                         "The device is in use (mounted, or held by another program); "
                         "unmount it first. Nothing was written"};
        }
        return SystemError(errno, "opening the device");
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        const int error = errno;
        ::close(fd);
        return SystemError(error, "looking up the device");
    }
    if (const std::string used = InUse(opened); !used.empty()) {
        ::close(fd);
        return Error{EBUSY,
                     "The volume is in use: " + used + ". Unmount it first. Nothing was written"};
    }
    std::uint64_t size = static_cast<std::uint64_t>(opened.st_size);
    if (S_ISBLK(opened.st_mode) && ::ioctl(fd, BLKGETSIZE64, &size) != 0) {
        const int error = errno;
        ::close(fd);
        return SystemError(error, "reading the device's size");
    }
    return std::unique_ptr<BlockDevice>(std::make_unique<FileDevice>(fd, size, writable));
}

}  // namespace vantrelle::files::offline

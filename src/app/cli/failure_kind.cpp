#include "app/cli/failure_kind.h"

#include <cerrno>

namespace vantrelle::cli {

namespace {

#ifdef _WIN32
// GetLastError's numbers.
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kInvalidName = 123;
constexpr int kDirectoryName = 267;  // ERROR_DIRECTORY: the name is not a folder's
constexpr int kWriteProtect = 19;

bool IsNotFound(int number) {
    return number == kFileNotFound || number == kPathNotFound;
}
// Listing a file's name followed by \* fails with ERROR_DIRECTORY, or under Wine with
// ERROR_INVALID_NAME.
bool IsNotAFolder(int number) {
    return number == kDirectoryName || number == kInvalidName;
}
bool IsReadOnly(int number) {
    return number == kWriteProtect;
}
// Windows answers ERROR_ACCESS_DENIED for a single locked-down file as well as for a
// whole folder, and has no code of its own for a volume without DOS attributes.
bool IsNoAttributes(int) {
    return false;
}
bool IsNotPermitted(int) {
    return false;
}
#else
bool IsNotFound(int number) {
    return number == ENOENT;
}
bool IsNotAFolder(int number) {
    return number == ENOTDIR;
}
bool IsReadOnly(int number) {
    return number == EROFS;
}
// The backends answer ENOTSUP where the mount offers no way to set the attributes.
bool IsNoAttributes(int number) {
    return number == ENOTSUP;
}
bool IsNotPermitted(int number) {
    return number == EACCES || number == EPERM;
}
#endif

}  // namespace

FailureKind KindOf(const engine::RepairFailure& failure, bool top) {
    const int number = failure.error.number;
    if (top && failure.entry.empty()) {
        if (IsNotFound(number)) {
            return FailureKind::NoSuchFolder;
        }
        if (IsNotAFolder(number)) {
            return FailureKind::NotAFolder;
        }
    }
    if (IsReadOnly(number)) {
        return FailureKind::ReadOnly;
    }
    if (IsNoAttributes(number)) {
        return FailureKind::NoAttributes;
    }
    if (top && failure.entry.empty() && IsNotPermitted(number)) {
        return FailureKind::NotPermitted;
    }
    return FailureKind::Entry;
}

bool IsTheVolumes(FailureKind kind) {
    return kind == FailureKind::ReadOnly || kind == FailureKind::NoAttributes ||
           kind == FailureKind::NotPermitted;
}

std::string WhatToDo(FailureKind kind) {
    switch (kind) {
        case FailureKind::ReadOnly:
#ifdef _WIN32
            return "the volume is write-protected: slide the stick's lock switch off, or "
                   "make the volume writable, and run again";
#else
            return "the volume is mounted read-only: remount it read-write "
                   "(mount -o remount,rw MOUNTPOINT) and run again";
#endif
        case FailureKind::NoAttributes:
            return "the driver this volume is mounted with cannot change DOS attributes: mount "
                   "FAT with the kernel's vfat driver and NTFS with ntfs-3g or ntfs3; exFAT "
                   "needs a kernel whose exfat driver has the FAT attribute calls, or Windows";
        case FailureKind::NotPermitted:
            return "permission denied: run as the owner of the files or as root";
        default:
            return "";
    }
}

}  // namespace vantrelle::cli

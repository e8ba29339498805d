#pragma once

// Mounts made by a test in a mount namespace of the test process's own, so the machine's
// mounts never change. Needs root (or CAP_SYS_ADMIN); Linux only.

#include <sched.h>
#include <sys/mount.h>

#include <filesystem>
#include <string>

namespace vantrelle::testing {

// Moves the process into a mount namespace of its own, whose mounts propagate nowhere.
// False where that is not permitted.
inline bool EnterOwnMountNamespace() {
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// `source` (a folder or a file) bound over `target` until destroyed.
class BindMount {
  public:
    BindMount(const std::filesystem::path& source, const std::filesystem::path& target)
        : target_(target),
          mounted_(mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0) {}
    ~BindMount() { Unmount(); }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    bool mounted() const { return mounted_; }
    void Unmount() {
        if (mounted_) {
            umount2(target_.c_str(), MNT_DETACH);
            mounted_ = false;
        }
    }

  private:
    std::filesystem::path target_;
    bool mounted_;
};

}  // namespace vantrelle::testing

#pragma once

// What --list repairs on: the real file system in every way, but for the reset, which
// reads the entry's attributes, checked as a reset checks it, and writes nothing. So the
// walk is the repair's own: the same mode, reserved folders and containment.

#include "platform/files/files.h"

namespace vantrelle::cli {

class ListingOnly final : public files::FileSystem {
  public:
    explicit ListingOnly(files::FileSystem& real) : real_(real) {}

    char Separator() const override { return real_.Separator(); }
    files::Result<files::Listed> Dir(const std::string& pattern, std::uint32_t mask) override {
        return real_.Dir(pattern, mask);
    }
    files::Result<files::Listed> Dir() override { return real_.Dir(); }
    files::Result<std::uint32_t> SetAttr(const files::Entry& entry, std::uint32_t) override {
        return real_.GetAttr(entry);
    }
    files::Result<std::uint32_t> GetAttr(const files::Entry& entry) override {
        return real_.GetAttr(entry);
    }
    files::Result<std::unique_ptr<files::FileSystemObject>> CreateFileSystemObject() override {
        return real_.CreateFileSystemObject();
    }

  private:
    files::FileSystem& real_;
};

}  // namespace vantrelle::cli

#include "platform/ui/common/folder_listing.h"

#include <algorithm>

namespace vantrelle::ui::common {

namespace {

bool IsDrive(const std::string& path) {
    return path.size() == 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string Join(const std::string& folder, const std::string& name, char separator) {
    if (!folder.empty() && folder.back() == separator) {
        return folder + name;
    }
    return folder + separator + name;
}

std::string Described(const files::Error& error) {
    if (!error.description.empty()) {
        return error.description;
    }
    return "This folder cannot be read (error " + std::to_string(error.number) + ").";
}

}  // namespace

std::string DriveLetterRoot(const std::string& place, char separator) {
    if (place.size() >= 2 && IsDrive(place.substr(0, 2)) &&
        (place.size() == 2 || place[2] == separator)) {
        return place.substr(0, 2) + separator;
    }
    return {};
}

std::string FolderPlace(const std::string& path, char separator) {
    if (IsDrive(path)) {
        return path + separator;
    }
    std::string place = path;
    const std::size_t root = std::max<std::size_t>(DriveLetterRoot(place, separator).size(), 1);
    while (place.size() > root && place.back() == separator) {
        place.pop_back();
    }
    return place;
}

std::vector<FolderEntry> FoldersDownTo(const std::string& top, const std::string& place,
                                       char separator) {
    const bool below =
        place.compare(0, top.size(), top) == 0 &&
        (place.size() == top.size() || top.back() == separator || place[top.size()] == separator);
    if (!below) {
        return {{place, place}};
    }
    std::vector<FolderEntry> chain{{top, top}};
    std::size_t start = top.size();
    while (start < place.size()) {
        if (place[start] == separator) {
            ++start;
            continue;
        }
        std::size_t end = place.find(separator, start);
        if (end == std::string::npos) {
            end = place.size();
        }
        chain.push_back({place.substr(0, end), place.substr(start, end - start)});
        start = end;
    }
    return chain;
}

SubFolderListing ListSubFolders(files::FileSystem& fs, const std::string& place) {
    SubFolderListing listing;
    auto fso = fs.CreateFileSystemObject();
    if (!fso) {
        listing.error = Described(fso.error());
        return listing;
    }
    auto folder = fso.value()->GetFolder(place);
    if (!folder) {
        listing.error = Described(folder.error());
        return listing;
    }
    auto subfolders = folder.value()->SubFolders();
    if (!subfolders) {
        listing.error = Described(subfolders.error());
        return listing;
    }
    auto members = subfolders.value()->Enumerate();
    if (!members) {
        listing.error = Described(members.error());
        return listing;
    }
    while (true) {
        auto next = members.value()->Next();
        if (!next) {
            listing.error = Described(next.error());
            return listing;
        }
        if (!next.value()) {
            return listing;
        }
        if (auto name = next.value()->Name()) {
            listing.folders.push_back({Join(place, name.value(), fs.Separator()), name.value()});
        }
    }
}

}  // namespace vantrelle::ui::common

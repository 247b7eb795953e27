#include "phonesim/device_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace mivex::phonesim {
namespace {

std::string LinkTarget(const std::string& linkPath) {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink(linkPath.c_str(), buffer.data(), buffer.size());
    return length < 0 ? std::string{}
                      : std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace

bool CreateDeviceLink(const std::string& linkPath, const std::string& target, std::string& error) {
    struct stat existing {};
    if (lstat(linkPath.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = linkPath + ": exists and is not a symbolic link; not replaced";
        return false;
    }
    // A new link beside the old one and a rename, so the name never points nowhere.
    const std::string temporary = linkPath + ".new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
        error = linkPath + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveDeviceLink(const std::string& linkPath, const std::string& target) {
    if (LinkTarget(linkPath) == target) {
        unlink(linkPath.c_str());
    }
}

}  // namespace mivex::phonesim

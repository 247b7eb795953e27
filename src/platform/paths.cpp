#include "platform/paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace mivex::platform {

namespace {

std::filesystem::path HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

}  // namespace

std::filesystem::path DefaultDataDirectory() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        return std::filesystem::path(xdg) / "mivex";
    }
    return HomeDirectory() / ".local" / "share" / "mivex";
}

bool CreateOwnerOnlyDirectories(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return true;
    if (path.has_parent_path() && path.parent_path() != path &&
        !CreateOwnerOnlyDirectories(path.parent_path())) {
        return false;
    }
    if (::mkdir(path.c_str(), 0700) != 0)
        return errno == EEXIST && std::filesystem::is_directory(path, error);
    if (::chmod(path.c_str(), 0700) != 0)
        return false;
    SyncDirectory(path.parent_path());
    return true;
}

void SyncDirectory(const std::filesystem::path& directory) {
    const int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace mivex::platform

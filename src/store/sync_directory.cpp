#include "store/sync_directory.h"

#include <fcntl.h>
#include <unistd.h>

namespace mivex::store {

void SyncDirectory(const std::filesystem::path& directory) {
    const int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace mivex::store

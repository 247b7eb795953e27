#include "temp_folders.h"

#include <stdlib.h>

#include <stdexcept>
#include <string>
#include <system_error>

namespace mivex::bench {

TempFolderList::~TempFolderList() {
    for (const std::filesystem::path& folder : made_) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

std::filesystem::path TempFolderList::Make() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mivex-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("no temporary folder");
    return made_.emplace_back(pattern);
}

TempFolderList& TempFolders() {
    static TempFolderList folders;
    return folders;
}

}  // namespace mivex::bench

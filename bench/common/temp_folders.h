#pragma once

// Temporary folders for benchmark data: each a fresh directory under the
// system's temporary folder, all removed when the program ends.

#include <filesystem>
#include <vector>

namespace mivex::bench {

class TempFolderList {
public:
    TempFolderList() = default;
    ~TempFolderList();
    TempFolderList(const TempFolderList&) = delete;
    TempFolderList& operator=(const TempFolderList&) = delete;

    // A new, empty folder; throws when none can be made.
    std::filesystem::path Make();

private:
    std::vector<std::filesystem::path> made_;
};

// The program's one list.
TempFolderList& TempFolders();

}  // namespace mivex::bench

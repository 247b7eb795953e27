#include "temp_dir.h"

#include <stdlib.h>

#include <stdexcept>
#include <string>

namespace mivex::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mivex-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace mivex::testing

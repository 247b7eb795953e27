#pragma once

// Where Mivex keeps its files.

#include <filesystem>

namespace mivex::platform {

// $XDG_DATA_HOME/mivex, or ~/.local/share/mivex when XDG_DATA_HOME is unset,
// empty or not absolute (as the XDG base directory rules say). Not created.
[[nodiscard]] std::filesystem::path DefaultDataDirectory();

}  // namespace mivex::platform

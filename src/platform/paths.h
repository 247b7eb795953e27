#pragma once

// Where Mivex keeps its files, and making the folders that hold them.

#include <filesystem>

namespace mivex::platform {

// $XDG_DATA_HOME/mivex, or ~/.local/share/mivex when XDG_DATA_HOME is unset,
// empty or not absolute (as the XDG base directory rules say). Not created.
[[nodiscard]] std::filesystem::path DefaultDataDirectory();

// Creates every missing directory down to `path`, owner-only whatever the
// umask, each made durable in its parent; existing directories keep their
// permissions. False when `path` is not a directory afterwards.
[[nodiscard]] bool CreateOwnerOnlyDirectories(const std::filesystem::path& path);

// Makes a directory's entries (a created, renamed or deleted name) durable.
// Best effort: a failure leaves them as durable as the system makes them.
void SyncDirectory(const std::filesystem::path& directory);

}  // namespace mivex::platform

#pragma once

// Making a directory's entries (a created, renamed or deleted name) durable.

#include <filesystem>

namespace mivex::store {

// Best effort: a failure leaves the entries as durable as the system makes them.
void SyncDirectory(const std::filesystem::path& directory);

}  // namespace mivex::store

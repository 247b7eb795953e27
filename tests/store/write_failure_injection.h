#pragma once

// Makes the volume refuse new records, as a full disk would, by giving its
// records table a trigger through a second SQLite connection. The trigger
// lives in the file, so it knows the store's table by name: a test helper
// that has to follow the volume's schema.

#include <filesystem>

namespace mivex::testing {

// Lets `allowed` more records be inserted, then fails every insert.
void FailInsertsAfter(const std::filesystem::path& volumeFile, int allowed);

}  // namespace mivex::testing

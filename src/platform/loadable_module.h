#pragma once

// Shared modules opened on demand, so that their libraries are mapped and
// relocated only by a run that needs them rather than by every start.

#include <string>

namespace mivex::platform {

// Opens the shared module `file` and finds `symbol` in it. A bare file name
// is looked up as the dynamic linker does for the program (its run path
// first), a name with a "/" is taken as it stands. The module stays loaded
// until the process ends: libraries it brings may register types that
// cannot be unregistered. Null, with the loader's own words in `error`,
// when the module or the symbol cannot be found.
[[nodiscard]] void* LoadModuleSymbol(const std::string& file, const char* symbol,
                                     std::string& error);

}  // namespace mivex::platform

#pragma once

// The ModemManager link through libmivex-modem, opened the first time a run
// or the port list needs ModemManager. When the module cannot be opened (a
// build without it, a broken install), every ask gets the same answer as
// where ModemManager does not run, and a run on a ModemManager port says that
// the support is not installed.

#include <mutex>
#include <string>

#include "modem/modem_module.h"

namespace mivex::modem {

class ModemLoader {
public:
    // `moduleFile` as platform::LoadModuleSymbol takes it; the default is
    // found through the program's run path, which points at lib/mivex beside
    // bin/ both in the build tree and in an install.
    explicit ModemLoader(std::string moduleFile = kModemModuleFile);

    // The module's entry, or null when it cannot be opened; then Error()
    // says why. A failed open is not retried within one run. Safe to call
    // from several threads.
    [[nodiscard]] const ModemModuleEntry* Entry();

    // The loader's own words, for a log or a test.
    [[nodiscard]] const std::string& Error() const { return error_; }

    // The loader shared by the whole process.
    [[nodiscard]] static ModemLoader& Shared();

private:
    void Load();

    std::string moduleFile_;
    std::once_flag loaded_;
    const ModemModuleEntry* entry_ = nullptr;
    std::string error_;
};

}  // namespace mivex::modem

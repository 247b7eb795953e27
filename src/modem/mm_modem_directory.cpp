#include "modem/mm_modem_directory.h"

#include "modem/modem_loader.h"

namespace mivex::modem {

std::vector<platform::ManagedModem> MmModemDirectory::ListModems() {
    const ModemModuleEntry* entry = ModemLoader::Shared().Entry();
    if (entry == nullptr) {
        return {};  // without the module, as where ModemManager does not run
    }
    return entry->listModems(timeouts_);
}

}  // namespace mivex::modem

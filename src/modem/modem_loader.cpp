#include "modem/modem_loader.h"

#include <utility>

#include "platform/loadable_module.h"

namespace mivex::modem {

ModemLoader::ModemLoader(std::string moduleFile) : moduleFile_(std::move(moduleFile)) {}

void ModemLoader::Load() {
    void* symbol = platform::LoadModuleSymbol(moduleFile_, kModemModuleSymbol, error_);
    if (symbol == nullptr) {
        return;
    }
    const ModemModuleEntry* entry = reinterpret_cast<ModemModuleEntryFunction>(symbol)();
    if (entry != nullptr && entry->version == kModemModuleVersion && entry->listModems != nullptr &&
        entry->connectLink != nullptr) {
        entry_ = entry;
    } else {
        error_ = moduleFile_ + " is from another version of Mivex";
    }
}

const ModemModuleEntry* ModemLoader::Entry() {
    std::call_once(loaded_, [this] { Load(); });
    return entry_;
}

ModemLoader& ModemLoader::Shared() {
    static ModemLoader loader;
    return loader;
}

}  // namespace mivex::modem

#include "contacts/vcard_loader.h"

#include <utility>

#include "platform/loadable_module.h"

namespace mivex::contacts {

VCardLoader::VCardLoader(std::string moduleFile) : moduleFile_(std::move(moduleFile)) {}

void VCardLoader::Load() {
    std::string why;
    void* symbol = platform::LoadModuleSymbol(moduleFile_, kVCardModuleSymbol, why);
    if (symbol != nullptr) {
        const VCardModuleEntry* entry = reinterpret_cast<VCardModuleEntryFunction>(symbol)();
        if (entry != nullptr && entry->version == kVCardModuleVersion &&
            entry->readVCards != nullptr) {
            readVCards_ = entry->readVCards;
        } else {
            why = moduleFile_ + " is from another version of Mivex";
        }
    }
    if (readVCards_ == nullptr)
        error_ = "vCard reader cannot be loaded: " + why;
}

std::optional<VCardReadResult> VCardLoader::Read(std::string_view fileBytes) {
    std::call_once(loaded_, [this] { Load(); });
    if (readVCards_ == nullptr)
        return std::nullopt;
    return readVCards_(fileBytes);
}

VCardLoader& VCardLoader::Shared() {
    static VCardLoader loader;
    return loader;
}

}  // namespace mivex::contacts

#include "contacts/vcard_module.h"

namespace mivex::contacts {
namespace {

VCardReadResult ReadAll(std::string_view fileBytes) {
    return ReadVCards(fileBytes);
}

constexpr VCardModuleEntry kEntry{.version = kVCardModuleVersion, .readVCards = &ReadAll};

}  // namespace
}  // namespace mivex::contacts

// The only symbol the module shows; everything else is hidden by the build.
extern "C" __attribute__((visibility("default"))) const mivex::contacts::VCardModuleEntry*
mivex_vcard_module_entry() {
    return &mivex::contacts::kEntry;
}

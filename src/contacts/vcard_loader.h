#pragma once

// Reading .vcf files through libmivex-vcard, opened on the first file that
// has to be parsed. When the module cannot be opened (a broken install), no
// file can be read: each asks gets the same clear reason, nothing crashes,
// and what the contacts cache holds still serves.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "contacts/vcard_module.h"
#include "contacts/vcard_reader.h"

namespace mivex::contacts {

class VCardLoader {
public:
    // `moduleFile` as platform::LoadModuleSymbol takes it; the default is
    // found through the program's run path, which points at lib/mivex beside
    // bin/ both in the build tree and in an install.
    explicit VCardLoader(std::string moduleFile = kVCardModuleFile);

    // The file's cards, or nothing when the module cannot be opened; then
    // Error() says why. A failed open is not retried within one run. Safe
    // to call from several threads.
    [[nodiscard]] std::optional<VCardReadResult> Read(std::string_view fileBytes);

    // For people: "vCard reader cannot be loaded: <the loader's words>".
    [[nodiscard]] const std::string& Error() const { return error_; }

    // The loader shared by every address book of the process.
    [[nodiscard]] static VCardLoader& Shared();

private:
    void Load();

    std::string moduleFile_;
    std::once_flag loaded_;
    VCardReadResult (*readVCards_)(std::string_view) = nullptr;
    std::string error_;
};

}  // namespace mivex::contacts

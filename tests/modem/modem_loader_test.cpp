// Opening the ModemManager module: the programs must tell a module that is
// missing or foreign from a working one, and never call into the wrong one.

#include "modem/modem_loader.h"

#include <gtest/gtest.h>

namespace mivex::modem {
namespace {

TEST(ModemLoader, OpensOnlyTheModemModule) {
    struct Row {
        const char* file;
        bool opens;
        const char* errorNames;  // what the error must mention when it fails
    };
    const Row rows[] = {
        {kModemModuleFile, true, ""},
        {"libmivex-modem-not-installed.so", false, "libmivex-modem-not-installed.so"},
        // Found through the same run path, but with another entry.
        {"libmivex-vcard.so", false, kModemModuleSymbol},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        ModemLoader loader(row.file);
        const ModemModuleEntry* entry = loader.Entry();
        EXPECT_EQ(entry != nullptr, row.opens) << loader.Error();
        EXPECT_NE(loader.Error().find(row.errorNames), std::string::npos) << loader.Error();
        // A second ask gives the same answer without opening again.
        EXPECT_EQ(loader.Entry(), entry);
    }
}

}  // namespace
}  // namespace mivex::modem

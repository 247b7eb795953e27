#pragma once

// The one door into libmivex-vcard, the module that holds the .vcf reader
// and the vCard library under it. That library pulls in some fifty others
// (crypto, Kerberos, HTTP, phone-number tables), which would all be mapped
// and relocated before main at every start although a start with an
// up-to-date contacts cache parses nothing. The module is opened only when
// a file has to be parsed (see vcard_loader.h).
//
// Both sides are built from this one header by the same build, so the entry
// passes C++ types; the version guards against a module left behind by an
// older install.

#include <string_view>

#include "contacts/vcard_reader.h"

namespace mivex::contacts {

inline constexpr const char* kVCardModuleFile = "libmivex-vcard.so";
inline constexpr const char* kVCardModuleSymbol = "mivex_vcard_module_entry";
// Raised whenever VCardModuleEntry or the records it returns change shape.
inline constexpr int kVCardModuleVersion = 1;

struct VCardModuleEntry {
    int version = kVCardModuleVersion;
    VCardReadResult (*readVCards)(std::string_view fileBytes) = nullptr;
};

// The type of kVCardModuleSymbol, an extern "C" function in the module.
using VCardModuleEntryFunction = const VCardModuleEntry* (*)();

}  // namespace mivex::contacts

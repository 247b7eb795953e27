// Any bytes as the payload of a contacts cache (the CRC in front of it only
// keeps out damage, not a crafted file): nothing, or files that encode to a
// cache decoding to the same files.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "contacts/contacts_cache.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mivex::contacts;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)DecodeContactsCache(bytes);
    const auto files = DecodeContactsCachePayload(bytes);
    if (!files)
        return 0;
    std::vector<const CachedFile*> kept;
    for (const CachedFile& file : *files)
        kept.push_back(&file);
    const auto again = DecodeContactsCache(EncodeContactsCache(kept));
    mivex::fuzz::Require(again && *again == *files, "a decoded cache encodes to itself");
    return 0;
}

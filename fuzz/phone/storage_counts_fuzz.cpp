// Any bytes as an AT+CPMS answer: counts within range or no counts.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "phone/answer_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using mivex::fuzz::Require;
    using mivex::phone::kMaxStoreCount;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    if (const auto counts = mivex::phone::ParseStorageCounts(answer)) {
        Require(counts->used >= 0 && counts->used <= kMaxStoreCount, "used count within range");
        Require(counts->total >= counts->used && counts->total <= kMaxStoreCount,
                "total count within range and not below the used count");
        Require(answer.find(',') != std::string_view::npos, "counts come with a comma");
    }
    return 0;
}

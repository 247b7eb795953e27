#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "options/option_ids.h"

namespace mivex::testing {

// Options held in maps; absent ones read as 0 or empty with a false result.
class FakeOptions final : public options::OptionReader {
public:
    bool ReadOption(options::Option option, std::int32_t& value) override;
    bool ReadOption(options::Option option, std::u16string& value) override;

    std::map<options::Option, std::int32_t> integers;
    std::map<options::Option, std::u16string> strings;
};

}  // namespace mivex::testing

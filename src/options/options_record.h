#pragma once

// The settings as one record in the store's "Options" folder, one property
// per option (its number), I4 or string. Every call opens the folder, reads
// or writes one property of the first record, and closes it again; nothing is
// cached, so a change counts from the next read.

#include <cstdint>
#include <string>
#include <string_view>

#include "options/option_ids.h"

namespace mivex::store {
class Store;
}

namespace mivex::options {

class StoreOptions final : public OptionReader {
public:
    explicit StoreOptions(store::Store& store) : store_(store) {}

    // False, with 0 or the empty string, when the option is absent, the
    // folder cannot be opened, or (strings) the stored value is longer than
    // kMaxOptionChars.
    bool ReadOption(Option option, std::int32_t& value) override;
    bool ReadOption(Option option, std::u16string& value) override;

    // Writes to the first record, creating it when the folder is empty; the
    // record's other options stay. A string of any length is written.
    bool WriteOption(Option option, std::int32_t value);
    bool WriteOption(Option option, std::u16string_view value);

private:
    store::Store& store_;
};

}  // namespace mivex::options

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

    [[nodiscard]] store::Store& Store() { return store_; }

private:
    store::Store& store_;
};

// What any write to the store changes, by this program or another: the
// identity, size and modification time of the volume file and of SQLite's
// write-ahead log beside it. Two stat calls; nothing is opened.
struct StoreStamp {
    struct File {
        std::uint64_t inode = 0;
        std::int64_t size = -1;  // -1: absent
        std::int64_t modifiedNs = 0;
        friend bool operator==(const File&, const File&) = default;
    };
    File volume;
    File log;
    friend bool operator==(const StoreStamp&, const StoreStamp&) = default;
};
[[nodiscard]] StoreStamp StampOf(const store::Store& store);

// One integer option kept in memory for a reader that needs it often (the
// compose view's counter, at every keystroke). It is read again when the
// store's stamp changed, or after Forget.
class RememberedOption {
public:
    explicit RememberedOption(Option option) : option_(option) {}

    [[nodiscard]] std::int32_t Value(StoreOptions& options);
    // The next Value reads the store, as after the option dialog saved.
    void Forget() { known_ = false; }

private:
    Option option_;
    bool known_ = false;
    std::int32_t value_ = 0;
    StoreStamp stamp_;
};

}  // namespace mivex::options

#pragma once

// The order of names in the sender and recipient sort orders: the ICU
// collator of the user's collation locale (LC_ALL, LC_COLLATE, LANG; the root
// collation when none is set or it is "C"/"POSIX") at tertiary strength, so
// "anna" sits beside "Anna" and accented names beside plain ones, while names
// that differ only in case still get a fixed order. Spaces count (no
// "shifted" handling), which keeps the fixed-width sort keys ordered by name
// first and time second.
//
// Names are turned into ICU sort keys, stored beside the record: byte order
// of the keys is collation order, so SQLite orders and seeks them as plain
// blobs and the file needs no custom collation to be read. The collator's
// identity is kept in the file; when it changes (an ICU upgrade, another
// locale), the stored keys are rebuilt.
//
// Opening an ICU collator loads its rules, a few milliseconds: it is opened
// on first use, so a program that only reads needs none.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::store {

class TextCollator {
public:
    // The collator for the locale named by the environment.
    TextCollator();
    // The collator for an ICU locale id ("" is the root collation).
    explicit TextCollator(const std::string& locale);
    ~TextCollator();
    TextCollator(const TextCollator&) = delete;
    TextCollator& operator=(const TextCollator&) = delete;

    // Appends the sort key of `text` (no zero octet inside, one at the end).
    // Without a collator from ICU (no data), keys fall back to the order of
    // the UTF-16 units, which is at least consistent.
    void AppendSortKey(std::u16string_view text, std::vector<std::uint8_t>& key) const;

    // Names the rules the keys were made with; equal identities make equal keys.
    [[nodiscard]] const std::string& Identity() const;

    // Names what was asked for, the ICU release and the locale, without
    // opening the collator. One request always gives one identity.
    [[nodiscard]] const std::string& Request() const { return request_; }

    // The ICU locale id the environment asks for ("" for the root collation).
    [[nodiscard]] static std::string LocaleFromEnvironment();

private:
    struct Collator;
    void Open() const;

    std::string locale_;
    std::string request_;
    // Filled once, by the first caller that needs them, from any thread.
    mutable std::once_flag opened_;
    mutable std::unique_ptr<Collator> collator_;
    mutable std::string identity_;
};

}  // namespace mivex::store

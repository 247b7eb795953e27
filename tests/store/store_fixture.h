#pragma once

// A fresh data directory per test and a Store over it, with helpers for the
// records the tests write and read back.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_controls.h"
#include "store/message_records.h"
#include "store/store.h"

namespace mivex::store::tests {

// A directory under the system's temporary folder, removed with everything
// in it (permissions restored first) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : store(dir.path(), sounds) {}

    FolderHandle Open(std::u16string_view name, PropId sort = 0);

    TempDir dir;
    mivex::testing::CountingSounds sounds;
    Store store;
};

// Writes an Inbox record of that sender name and time; its id.
ObjectId WriteInbox(Folder& inbox, std::u16string_view name, sms::FileTime time,
                    std::u16string_view text = u"text");
// Reads from the first record until a read fails: the ids in order.
std::vector<ObjectId> ReadAllIds(Folder& folder);
// The string property `number` of every record, in order.
std::vector<std::u16string> ReadAllTexts(Folder& folder, std::uint16_t number);

// Reads the whole file for byte-for-byte comparisons.
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace mivex::store::tests

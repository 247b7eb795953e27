// The options record: one property per option in the first record of
// "Options", read and written one at a time.

#include "options/options_record.h"

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using options::Option;

class OptionsRecordTest : public StoreTest {
protected:
    options::StoreOptions settings{store};
};

// Absent options read as 0 or empty, on a new volume and on one that cannot
// be used; reading creates nothing and beeps at no one.
TEST_F(OptionsRecordTest, AbsentOptionsReadAsZeroOrEmpty) {
    for (const bool usable : {true, false}) {
        SCOPED_TRACE(usable);
        if (!usable) {
            ASSERT_TRUE(store.GetDatabaseFolder());
            WriteFileBytes(store.VolumePath(), std::string(2048, 'x'));
        }
        for (int number = 0; number < options::kOptionCount; ++number) {
            std::int32_t value = 7;
            std::u16string text = u"junk";
            EXPECT_FALSE(settings.ReadOption(static_cast<Option>(number), value));
            EXPECT_FALSE(settings.ReadOption(static_cast<Option>(number), text));
            EXPECT_EQ(value, 0);
            EXPECT_EQ(text, u"");
        }
        EXPECT_EQ(store.MountCount(), 0u);
        EXPECT_EQ(sounds.beeps, 0);
        if (usable) {
            EXPECT_EQ(Open(kOptionsName)->SeekBeginning(0), 0u);
        }
    }
    EXPECT_FALSE(settings.WriteOption(Option::DataBits, 8));
}

TEST_F(OptionsRecordTest, WritesShareOneRecordAndKeepEachOther) {
    ASSERT_TRUE(settings.WriteOption(Option::ServiceCentre, u"+447700900123"));
    ASSERT_TRUE(settings.WriteOption(Option::UsePhoneServiceCentre, 1));
    ASSERT_TRUE(settings.WriteOption(Option::BaudRate, 115200));
    ASSERT_TRUE(settings.WriteOption(Option::BaudRate, -5));

    std::u16string centre;
    std::int32_t value = 0;
    EXPECT_TRUE(settings.ReadOption(Option::ServiceCentre, centre));
    EXPECT_EQ(centre, u"+447700900123");
    EXPECT_TRUE(settings.ReadOption(Option::UsePhoneServiceCentre, value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(settings.ReadOption(Option::BaudRate, value));
    EXPECT_EQ(value, -5);
    // Read with the other type, an option is not there.
    EXPECT_FALSE(settings.ReadOption(Option::ServiceCentre, value));
    EXPECT_EQ(value, 0);

    FolderHandle folder = Open(kOptionsName);
    EXPECT_NE(folder->SeekBeginning(0), 0u);
    EXPECT_EQ(folder->SeekBeginning(1), 0u);
}

TEST_F(OptionsRecordTest, StringsLongerThanNinetyNineUnitsReadAsAbsent) {
    const struct {
        std::size_t length;
        bool readable;
    } cases[] = {{0, true}, {99, true}, {100, false}, {5000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::u16string value(c.length, u'7');
        ASSERT_TRUE(settings.WriteOption(Option::Port, value));
        std::u16string read = u"junk";
        EXPECT_EQ(settings.ReadOption(Option::Port, read), c.readable);
        EXPECT_EQ(read, c.readable ? value : u"");
    }
}

}  // namespace
}  // namespace mivex::store::tests

// The options record: one property per option in the first record of
// "Options", read and written one at a time.

#include "options/options_record.h"

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using options::Option;

struct OptionsRecordTest : StoreTest {
    options::StoreOptions settings{store};
};

// On a new volume and on one that cannot be used, every option reads as 0
// or empty; reading creates nothing and beeps at no one.
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
            EXPECT_TRUE(value == 0 && text.empty());
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
    ASSERT_TRUE(settings.WriteOption(Option::BaudRate, 115200));
    ASSERT_TRUE(settings.WriteOption(Option::UsePhoneServiceCentre, 1));
    ASSERT_TRUE(settings.WriteOption(Option::BaudRate, -5));
    // Strings longer than 99 units read as absent.
    for (const std::size_t length : {0, 99, 100, 5000}) {
        const std::u16string port(length, u'7');
        ASSERT_TRUE(settings.WriteOption(Option::Port, port));
        std::u16string read = u"junk";
        EXPECT_EQ(settings.ReadOption(Option::Port, read), length < 100) << length;
        EXPECT_EQ(read, length < 100 ? port : u"");
    }

    std::u16string centre;
    std::int32_t value = 0;
    EXPECT_TRUE(settings.ReadOption(Option::ServiceCentre, centre) && centre == u"+447700900123");
    EXPECT_TRUE(settings.ReadOption(Option::UsePhoneServiceCentre, value) && value == 1);
    EXPECT_TRUE(settings.ReadOption(Option::BaudRate, value) && value == -5);
    // Read with the other type, an option is not there.
    EXPECT_FALSE(settings.ReadOption(Option::ServiceCentre, value));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(Open(kOptionsName)->SeekBeginning(1), 0u);
}

}  // namespace
}  // namespace mivex::store::tests

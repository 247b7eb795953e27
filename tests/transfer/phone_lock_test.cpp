// The phone's lock file as another process finds it: the holder it names,
// shown as the one refused is told, whatever the file holds; and a lock let
// go, or left by a process that died, is taken again.

#include "transfer/phone_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

#include "temp_dir.h"
#include "text/utf8.h"

namespace mivex::transfer {
namespace {

TEST(PhoneLock, TellsWhoHoldsThePhone) {
    struct Case {
        std::string file;
        std::string told;
    };
    const std::string retry = " - try again when it has finished.";
    for (const Case& row : {
             Case{"1234\nmivex-cli watch\nkeeps\n",
                  "mivex-cli watch (process 1234) - it sends and receives for you."},
             Case{"77\nthe Mivex window\nrun\n", "the Mivex window (process 77)" + retry},
             Case{"", "another Mivex program" + retry},  // it has not written its name yet
             Case{"-5\n\x1b[31mred\a\n", "[31mred" + retry},
             Case{"12x\n\xff\xfe\n", ""},  // no UTF-8: said without the name
         }) {
        SCOPED_TRACE(row.file);
        mivex::testing::TempDir directory;
        const std::filesystem::path file = directory.path() / kPhoneLockFileName;
        std::ofstream(file) << row.file;
        const int holder = open(file.c_str(), O_RDWR);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);

        const PhoneOwner owner{directory.path(), "mivex-cli receive", false};
        PhoneLockAttempt refused = TakePhoneLock(owner);
        EXPECT_EQ(refused.ending, PhoneLockEnding::Held);
        EXPECT_FALSE(refused.lock.isValid());
        const std::string told = text::Utf16ToUtf8(PhoneInUseText(refused.holder));
        EXPECT_EQ(told, row.told.empty() ? "The phone is in use by another Mivex program."
                                         : "The phone is in use by " + row.told);

        // The holder ends: the file it left holds nothing.
        close(holder);
        PhoneLockAttempt taken = TakePhoneLock(owner);
        EXPECT_EQ(taken.ending, PhoneLockEnding::Taken);
        EXPECT_TRUE(taken.lock.isValid());
        EXPECT_EQ(TakePhoneLock(owner).ending, PhoneLockEnding::Held);
        taken.lock.Release();
        EXPECT_EQ(TakePhoneLock(owner).ending, PhoneLockEnding::Taken);
    }
}

}  // namespace
}  // namespace mivex::transfer

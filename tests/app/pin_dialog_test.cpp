// The SIM PIN dialog as a user meets it: only digits go in, masked, and OK
// waits for 4 to 8 of them.

#include "app/pin_dialog.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

namespace mivex::app {
namespace {

TEST(PinDialog, TakesFourToEightDigitsOnly) {
    struct Case {
        const char* typed;
        const char* kept;
        bool ok;
    };
    const Case cases[] = {
        {"123", "123", false},          {"1234", "1234", true},          {"12a34", "1234", true},
        {"12345678", "12345678", true}, {"123456789", "12345678", true}, {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        PinDialog dialog({});
        dialog.show();
        auto* pin = dialog.findChild<QLineEdit*>();
        QTest::keyClicks(pin, QString::fromLatin1(c.typed));
        EXPECT_EQ(pin->echoMode(), QLineEdit::Password);
        EXPECT_EQ(pin->text(), QString::fromLatin1(c.kept));
        EXPECT_EQ(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled(),
                  c.ok);
    }
}

}  // namespace
}  // namespace mivex::app

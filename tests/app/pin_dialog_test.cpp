// The SIM PIN dialog as a user meets it: only digits go in, OK waits for 4
// to 8 of them, the tries left are shown and the last one is warned of.

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

TEST(PinDialog, ShowsTheTriesLeftAndWarnsOfTheLast) {
    EXPECT_EQ(PinDialog::TriesText(std::nullopt), QString());
    EXPECT_EQ(PinDialog::TriesText(3), QStringLiteral("3 tries left"));
    EXPECT_TRUE(PinDialog::TriesText(1).startsWith(QStringLiteral("Last try:")));

    PinDialog dialog({1});
    QTest::keyClicks(dialog.findChild<QLineEdit*>(), QStringLiteral("4321"));
    dialog.findChild<QCheckBox*>()->setChecked(true);
    const platform::PinEntry entry = dialog.Entry();
    EXPECT_EQ(std::pair(entry.digits, entry.remember), std::pair(std::string("4321"), true));
}

}  // namespace
}  // namespace mivex::app

// The three option dialogs as real widgets over a real store in a temporary
// folder: what they show on a new volume and after saving, OK against Cancel
// and the close request, and stored values their lists do not offer.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <fstream>
#include <stdexcept>

#include "fake_controls.h"
#include "fake_port_tree.h"
#include "options/options_record.h"
#include "options/ui/general_options_dialog.h"
#include "options/ui/port_setup_dialog.h"
#include "options/ui/sms_options_dialog.h"
#include "store/store.h"
#include "temp_dir.h"

namespace mivex::options::tests {
namespace {

using mivex::testing::ScriptedPrompter;

template <typename Control>
Control& Find(QWidget& dialog, const QString& name) {
    for (Control* control : dialog.findChildren<Control*>()) {
        if (control->accessibleName() == name)
            return *control;
    }
    throw std::runtime_error("no control named " + name.toStdString());
}

QCheckBox& Box(QWidget& dialog, const char* name) {
    return Find<QCheckBox>(dialog, QString::fromUtf8(name));
}

QComboBox& List(QWidget& dialog, const char* name) {
    return Find<QComboBox>(dialog, QString::fromUtf8(name));
}

enum class Leave { Ok, Cancel, Close };

void LeaveBy(QDialog& dialog, Leave leave) {
    auto& buttons = *dialog.findChild<QDialogButtonBox*>();
    if (leave == Leave::Ok)
        buttons.button(QDialogButtonBox::Ok)->click();
    else if (leave == Leave::Cancel)
        buttons.button(QDialogButtonBox::Cancel)->click();
    else
        dialog.close();
}

class OptionDialogsTest : public ::testing::Test {
protected:
    OptionDialogsTest() {
        chrome.help = [this] { ++helpShown; };
        chrome.prompter = &prompter;
        ports.Add({.name = "ttyUSB0",
                   .majorMinor = "188:0",
                   .udev = "E:ID_VENDOR=HUAWEI\nE:ID_MODEL=E3531\n"});
        ports.Add({.name = "ttyS0", .majorMinor = "4:64", .type = "4"});
    }

    std::int32_t Integer(Option option) {
        std::int32_t value = -1;
        return options.ReadOption(option, value) ? value : -1;
    }
    std::u16string Text(Option option) {
        std::u16string value;
        (void)options.ReadOption(option, value);
        return value;
    }

    std::unique_ptr<GeneralOptionsDialog> General() {
        return std::make_unique<GeneralOptionsDialog>(
            options, chrome, [this] { ++refills; }, ports.Roots());
    }

    mivex::testing::TempDir dir;
    mivex::testing::CountingSounds sounds;
    store::Store store{dir.path(), sounds};
    StoreOptions options{store};
    ScriptedPrompter prompter;
    DialogChrome chrome;
    FakePortTree ports;
    int helpShown = 0;
    int refills = 0;
};

TEST_F(OptionDialogsTest, SmsOptionsOnANewVolume) {
    SmsOptionsDialog dialog(options, chrome);
    auto& number = Find<QLineEdit>(dialog, "Service Centre");
    EXPECT_EQ(number.text(), QString());
    EXPECT_TRUE(number.isEnabled());
    EXPECT_EQ(List(dialog, "Validity period").currentText(), "1 Hour");
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
}

TEST_F(OptionDialogsTest, SmsOptionsStoreOnlyOnOk) {
    for (const Leave leave : {Leave::Cancel, Leave::Close, Leave::Ok}) {
        SCOPED_TRACE(static_cast<int>(leave));
        SmsOptionsDialog dialog(options, chrome);
        QTest::keyClicks(&Find<QLineEdit>(dialog, "Service Centre"), "+447700900123");
        Box(dialog, "Use phone Service Centre").click();
        List(dialog, "Validity period").setCurrentIndex(3);
        for (const char* name : {"Request status report", "Request reply",
                                 "Send only GSM characters", "Delete messages after receive"})
            Box(dialog, name).click();
        LeaveBy(dialog, leave);

        const bool saved = leave == Leave::Ok;
        EXPECT_EQ(Text(Option::ServiceCentre), saved ? u"+447700900123" : u"");
        for (const Option option :
             {Option::UsePhoneServiceCentre, Option::StatusReport, Option::ReplyPath,
              Option::GsmAlphabetOnly, Option::DeleteAfterReceive})
            EXPECT_EQ(Integer(option), saved ? 1 : -1) << static_cast<int>(option);
        EXPECT_EQ(Integer(Option::ValidityPeriod), saved ? 3 : -1);
    }
    SmsOptionsDialog reopened(options, chrome);
    auto& number = Find<QLineEdit>(reopened, "Service Centre");
    EXPECT_EQ(number.text(), "+447700900123");
    EXPECT_FALSE(number.isEnabled());
    EXPECT_EQ(List(reopened, "Validity period").currentText(), "1 Week");
    for (QCheckBox* box : reopened.findChildren<QCheckBox*>())
        EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
}

TEST_F(OptionDialogsTest, SmsOptionsKeepTheTypedNumberWhateverTheBoxSays) {
    SmsOptionsDialog dialog(options, chrome);
    auto& number = Find<QLineEdit>(dialog, "Service Centre");
    // One more digit than an option holds: it would be stored and read back
    // as nothing, so it cannot be typed.
    QTest::keyClicks(&number, QString(kMaxOptionChars + 1, QLatin1Char('4')));
    QCheckBox& usePhone = Box(dialog, "Use phone Service Centre");
    usePhone.click();
    EXPECT_FALSE(number.isEnabled());
    usePhone.click();
    EXPECT_TRUE(number.isEnabled());
    usePhone.click();
    LeaveBy(dialog, Leave::Ok);
    EXPECT_EQ(Text(Option::ServiceCentre), std::u16string(kMaxOptionChars, u'4'));
}

TEST_F(OptionDialogsTest, SmsOptionsShowTheAbsentChoiceForAValidityTheListLacks) {
    ASSERT_TRUE(options.WriteOption(Option::ValidityPeriod, 7));
    SmsOptionsDialog dialog(options, chrome);
    EXPECT_EQ(List(dialog, "Validity period").currentText(), "1 Hour");
}

TEST_F(OptionDialogsTest, OptionsThatCannotBeStoredAreReportedAndTheDialogStays) {
    ASSERT_TRUE(options.WriteOption(Option::BaudRate, 9600));
    {
        std::ofstream corrupt(store.VolumePath(), std::ios::binary | std::ios::trunc);
        corrupt << std::string(2048, 'x');
    }
    SmsOptionsDialog dialog(options, chrome);
    dialog.show();
    LeaveBy(dialog, Leave::Ok);
    ASSERT_EQ(prompter.seen.size(), 1U);
    EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::Stop);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(OptionDialogsTest, EveryControlHasANameForScreenReaders) {
    SmsOptionsDialog sms(options, chrome);
    const auto general = General();
    PortSetupDialog setup(options, chrome);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&sms, general.get(), &setup}) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        std::vector<QWidget*> controls;
        for (QWidget* control : dialog->findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
                qobject_cast<QLineEdit*>(control))
                controls.push_back(control);
        }
        EXPECT_GE(controls.size(), 6U);
        for (QWidget* control : controls) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            ASSERT_NE(accessible, nullptr);
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
                << control->metaObject()->className();
        }
    }
}

TEST_F(OptionDialogsTest, HelpKeyOpensTheContentsExceptInPortSetup) {
    SmsOptionsDialog sms(options, chrome);
    const auto general = General();
    PortSetupDialog setup(options, chrome);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&sms, general.get(), &setup})
        QTest::keyClick(dialog, Qt::Key_F1);
    EXPECT_EQ(helpShown, 2);
}

// Speed, data bits, stop bits and flow control as the lists show them.
using LineSettings = std::vector<QString>;
constexpr std::array<const char*, 4> kLineLists = {"Baud rate", "Data bits", "Stop bits",
                                                   "Flow control"};

LineSettings Shown(QWidget& dialog) {
    LineSettings shown;
    for (const char* name : kLineLists)
        shown.push_back(List(dialog, name).currentText());
    return shown;
}

void Choose(QWidget& dialog, const LineSettings& wanted) {
    for (std::size_t i = 0; i < kLineLists.size(); ++i)
        List(dialog, kLineLists[i]).setCurrentText(wanted[i]);
}

TEST_F(OptionDialogsTest, PortSetupOnANewVolumeStoresTheDefaults) {
    PortSetupDialog dialog(options, chrome);
    EXPECT_EQ(Shown(dialog), LineSettings({"19200", "8", "1", "Hardware"}));
    LeaveBy(dialog, Leave::Ok);
    EXPECT_EQ(Integer(Option::BaudRate), 19200);
    EXPECT_EQ(Integer(Option::DataBits), 8);
    EXPECT_EQ(Integer(Option::StopBits), 0);
    EXPECT_EQ(Integer(Option::FlowControl), 1);
}

TEST_F(OptionDialogsTest, PortSetupStoresTheChoiceAndDefaultsStoreNothing) {
    {
        PortSetupDialog dialog(options, chrome);
        Choose(dialog, {"115200", "7", "2", "None"});
        LeaveBy(dialog, Leave::Ok);
    }
    EXPECT_EQ(Integer(Option::BaudRate), 115200);
    EXPECT_EQ(Integer(Option::DataBits), 7);
    EXPECT_EQ(Integer(Option::StopBits), 2);
    EXPECT_EQ(Integer(Option::FlowControl), 0);

    PortSetupDialog dialog(options, chrome);
    EXPECT_EQ(Shown(dialog), LineSettings({"115200", "7", "2", "None"}));
    Find<QPushButton>(dialog, "Defaults").click();
    EXPECT_EQ(Shown(dialog), LineSettings({"19200", "8", "1", "Hardware"}));
    LeaveBy(dialog, Leave::Cancel);
    EXPECT_EQ(Integer(Option::BaudRate), 115200);
    EXPECT_EQ(Integer(Option::FlowControl), 0);
}

TEST_F(OptionDialogsTest, PortSetupKeepsUsableSettingsItsListsDoNotOffer) {
    struct Case {
        Option option = Option::BaudRate;
        std::int32_t stored = 0;
        const char* list = "";
        const char* shown = "";
        std::int32_t storedByOk = 0;
    };
    const std::vector<Case> cases = {
        {.option = Option::BaudRate,
         .stored = 460800,
         .list = "Baud rate",
         .shown = "460800",
         .storedByOk = 460800},
        {.option = Option::BaudRate,
         .stored = 1200,
         .list = "Baud rate",
         .shown = "1200",
         .storedByOk = 1200},
        {.option = Option::BaudRate,
         .stored = -5,
         .list = "Baud rate",
         .shown = "19200",
         .storedByOk = 19200},
        {.option = Option::DataBits,
         .stored = 6,
         .list = "Data bits",
         .shown = "6",
         .storedByOk = 6},
        {.option = Option::DataBits,
         .stored = 9,
         .list = "Data bits",
         .shown = "8",
         .storedByOk = 8},
        {.option = Option::FlowControl,
         .stored = 2,
         .list = "Flow control",
         .shown = "Software",
         .storedByOk = 2},
        {.option = Option::FlowControl,
         .stored = 5,
         .list = "Flow control",
         .shown = "Hardware",
         .storedByOk = 1},
        {.option = Option::StopBits,
         .stored = 3,
         .list = "Stop bits",
         .shown = "1",
         .storedByOk = 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.shown);
        ASSERT_TRUE(options.WriteOption(test.option, test.stored));
        PortSetupDialog dialog(options, chrome);
        EXPECT_EQ(List(dialog, test.list).currentText(), test.shown);
        LeaveBy(dialog, Leave::Ok);
        EXPECT_EQ(Integer(test.option), test.storedByOk);
    }
}

TEST_F(OptionDialogsTest, GeneralOptionsOnANewVolume) {
    const auto dialog = General();
    EXPECT_EQ(List(*dialog, "Contact name order").currentText(), "First then Last");
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
        EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
    QComboBox& port = List(*dialog, "Communications Port");
    EXPECT_EQ(port.count(), 2);
    EXPECT_EQ(port.currentText(), "/dev/ttyS0:");
    LeaveBy(*dialog, Leave::Ok);
    EXPECT_EQ(Text(Option::Port), u"/dev/ttyS0:");
    EXPECT_EQ(Integer(Option::NameOrder), 0);
}

TEST_F(OptionDialogsTest, GeneralOptionsStoreAndRefillContactsOnlyOnOk) {
    for (const Leave leave : {Leave::Cancel, Leave::Close, Leave::Ok}) {
        SCOPED_TRACE(static_cast<int>(leave));
        const auto dialog = General();
        List(*dialog, "Contact name order").setCurrentIndex(1);
        for (const char* name :
             {"Show all contact numbers", "Remove (x) from contact numbers", "Turn off sounds"})
            Box(*dialog, name).click();
        List(*dialog, "Communications Port").setCurrentText("/dev/ttyUSB0: HUAWEI E3531");
        LeaveBy(*dialog, leave);

        const bool saved = leave == Leave::Ok;
        EXPECT_EQ(refills, saved ? 1 : 0);
        for (const Option option : {Option::NameOrder, Option::ShowAllContactNumbers,
                                    Option::RemoveNumberTag, Option::SoundsOff})
            EXPECT_EQ(Integer(option), saved ? 1 : -1) << static_cast<int>(option);
        EXPECT_EQ(Text(Option::Port), saved ? u"/dev/ttyUSB0: HUAWEI E3531" : u"");
    }
    const auto reopened = General();
    EXPECT_EQ(List(*reopened, "Contact name order").currentText(), "Last then First");
    for (QCheckBox* box : reopened->findChildren<QCheckBox*>())
        EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
    EXPECT_EQ(List(*reopened, "Communications Port").currentIndex(), 1);
    EXPECT_EQ(List(*reopened, "Communications Port").count(), 2);
}

TEST_F(OptionDialogsTest, GeneralOptionsNeverChangeAPortThatIsAway) {
    for (const char16_t* stored :
         {u"/dev/gsmmodem:", u"/dev/pts/4:", u"COM3:", u"/dev/ttyUSB7: Huawei E3531"}) {
        const std::u16string port(stored);
        SCOPED_TRACE(std::string(port.begin(), port.end()));
        ASSERT_TRUE(options.WriteOption(Option::Port, port));
        const auto dialog = General();
        EXPECT_EQ(List(*dialog, "Communications Port").currentText().toStdU16String(), port);
        LeaveBy(*dialog, Leave::Ok);
        EXPECT_EQ(Text(Option::Port), port);
    }
}

TEST_F(OptionDialogsTest, GeneralOptionsStoreATypedDevicePath) {
    const auto dialog = General();
    QLineEdit& typed = Find<QLineEdit>(*dialog, "Communications Port");
    typed.clear();
    QTest::keyClicks(&typed, "/dev/ttyS1");
    LeaveBy(*dialog, Leave::Ok);
    EXPECT_EQ(Text(Option::Port), u"/dev/ttyS1");
}

TEST_F(OptionDialogsTest, SetupOpensPortSetupWhichStoresOnItsOwnOk) {
    const auto dialog = General();
    bool setupShown = false;
    QTimer::singleShot(0, [&] {
        auto* setup = qobject_cast<PortSetupDialog*>(QApplication::activeModalWidget());
        setupShown = setup != nullptr;
        if (setup != nullptr)
            LeaveBy(*setup, Leave::Ok);
    });
    Find<QPushButton>(*dialog, "Setup").click();
    EXPECT_TRUE(setupShown);
    LeaveBy(*dialog, Leave::Cancel);
    EXPECT_EQ(Integer(Option::BaudRate), 19200);
    EXPECT_EQ(Text(Option::Port), u"");
    EXPECT_EQ(refills, 0);
}

}  // namespace
}  // namespace mivex::options::tests

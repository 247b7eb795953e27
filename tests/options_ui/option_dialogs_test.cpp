// The three option dialogs as real widgets over a real store in a temporary
// folder: what they show on a new volume and after saving, OK against Cancel
// and the close request, and stored values their lists do not offer.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <map>
#include <memory>
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

enum class Kind { Sms, General, PortSetup };
enum class Leave { Ok, Cancel, Close };
using enum Kind;
using enum Option;

// What a dialog shows, by control name: a list's or an edit's text, or "on"
// and "off" for a check box.
using Shown = std::map<QString, QString>;

// Each control, by its accessible name, and the option behind it: what the
// control shows while the option is absent, a choice a user makes and that
// choice as stored.
struct Setting {
    Kind kind;
    QString control, fresh, choice;
    Option option;
    QString stored;
};
const Setting kSettings[] = {
    {Sms, "Service Centre", "", "+447700900123", ServiceCentre, "+447700900123"},
    {Sms, "Use phone Service Centre", "off", "on", UsePhoneServiceCentre, "1"},
    {Sms, "Validity period", "1 Hour", "1 Week", ValidityPeriod, "3"},
    {Sms, "Request status report", "off", "on", StatusReport, "1"},
    {Sms, "Request reply", "off", "on", ReplyPath, "1"},
    {Sms, "Send only GSM characters", "off", "on", GsmAlphabetOnly, "1"},
    {Sms, "Delete messages after receive", "off", "on", DeleteAfterReceive, "1"},
    {General, "Contact name order", "First then Last", "Last then First", NameOrder, "1"},
    {General, "Show all contact numbers", "off", "on", ShowAllContactNumbers, "1"},
    {General, "Remove (x) from contact numbers", "off", "on", RemoveNumberTag, "1"},
    {General, "Turn off sounds", "off", "on", SoundsOff, "1"},
    {General, "Receive new messages as they arrive", "on", "off", ReceiveAsTheyArrive, "0"},
    {General, "Communications Port", "/dev/ttyS0:", "/dev/gsmmodem:", Port, "/dev/gsmmodem:"},
    {PortSetup, "Baud rate", "19200", "115200", BaudRate, "115200"},
    {PortSetup, "Data bits", "8", "7", DataBits, "7"},
    {PortSetup, "Stop bits", "1", "2", StopBits, "2"},
    {PortSetup, "Flow control", "None", "Hardware", FlowControl, "1"},
};

// One column of the settings of a dialog, by control name.
Shown Column(Kind kind, QString Setting::*field) {
    Shown column;
    for (const Setting& setting : kSettings)
        if (setting.kind == kind)
            column[setting.control] = setting.*field;
    return column;
}

template <typename Control>
Control& Find(QWidget& dialog, const QString& name) {
    for (Control* control : dialog.findChildren<Control*>()) {
        if (control->accessibleName() == name)
            return *control;
    }
    throw std::runtime_error("no control named " + name.toStdString());
}

Shown ShownIn(QWidget& dialog) {
    Shown shown;
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        shown[box->accessibleName()] = box->isChecked() ? "on" : "off";
    for (QComboBox* list : dialog.findChildren<QComboBox*>())
        shown[list->accessibleName()] = list->currentText();
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        shown[edit->accessibleName()] = edit->text();
    return shown;
}

// As a user would: types into edits (an editable list's too) before a tick
// can turn them off, ticks what differs, picks the items of the other lists.
void Choose(QWidget& dialog, const Shown& choice) {
    const auto value = [&](QWidget* control) { return choice.find(control->accessibleName()); };
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (value(edit) != choice.end()) {
            edit->clear();
            QTest::keyClicks(edit, value(edit)->second);
        }
    }
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (value(box) != choice.end() && box->isChecked() != (value(box)->second == "on"))
            box->click();
    for (QComboBox* list : dialog.findChildren<QComboBox*>())
        if (value(list) != choice.end() && !list->isEditable())
            list->setCurrentText(value(list)->second);
}

void LeaveBy(QDialog& dialog, Leave leave) {
    if (leave == Leave::Close)
        dialog.close();
    else
        dialog.findChild<QDialogButtonBox*>()
            ->button(leave == Leave::Ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
            ->click();
}

class OptionDialogsTest : public ::testing::Test {
protected:
    OptionDialogsTest() {
        chrome.help = [this] { ++helpShown; };
        chrome.prompter = &prompter;
        ports.Add({"ttyUSB0", "188:0", "", "E:ID_VENDOR=HUAWEI\nE:ID_MODEL=E3531\n"});
        ports.Add({"ttyS0", "4:64", "4"});
    }

    std::unique_ptr<QDialog> Open(Kind kind) {
        if (kind == Sms)
            return std::make_unique<SmsOptionsDialog>(options, chrome);
        if (kind == General)
            return std::make_unique<GeneralOptionsDialog>(
                options, chrome, [this] { ++refills; }, ports.Roots());
        return std::make_unique<PortSetupDialog>(options, chrome);
    }

    QString Read(Option option) {
        std::u16string text;
        std::int32_t number = 0;
        if (IsStringOption(option))
            return options.ReadOption(option, text) ? QString::fromStdU16String(text) : "absent";
        return options.ReadOption(option, number) ? QString::number(number) : "absent";
    }

    mivex::testing::TempDir dir;
    mivex::testing::CountingSounds sounds;
    store::Store store{dir.path(), sounds};
    StoreOptions options{store};
    mivex::testing::ScriptedPrompter prompter;
    DialogChrome chrome;
    FakePortTree ports;
    int helpShown = 0, refills = 0;
};

TEST_F(OptionDialogsTest, ShowTheDefaultsAndStoreNothingUnlessOk) {
    for (const Kind kind : {Sms, General, PortSetup}) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(ShownIn(*Open(kind)), Column(kind, &Setting::fresh));
        for (const Leave leave : {Leave::Cancel, Leave::Close}) {
            const auto dialog = Open(kind);
            Choose(*dialog, Column(kind, &Setting::choice));
            LeaveBy(*dialog, leave);
            for (const Setting& setting : kSettings)
                EXPECT_EQ(Read(setting.option), "absent")
                    << setting.control.toStdString() << ", leaving by " << static_cast<int>(leave);
        }
    }
    EXPECT_EQ(refills, 0);
}

// One control changed at a time, so that two controls mixed up in loading or
// storing show on reopening.
TEST_F(OptionDialogsTest, OkStoresEachControlInItsOwnOption) {
    for (const Setting& setting : kSettings) {
        SCOPED_TRACE(setting.control.toStdString());
        Shown expected = Column(setting.kind, &Setting::fresh);
        expected[setting.control] = setting.choice;
        const auto dialog = Open(setting.kind);
        Choose(*dialog, expected);
        LeaveBy(*dialog, Leave::Ok);
        EXPECT_EQ(Read(setting.option), setting.stored);
        EXPECT_EQ(ShownIn(*Open(setting.kind)), expected);
    }
    // The contact list follows the General options on each of their OKs.
    EXPECT_EQ(refills, 6);
}

TEST_F(OptionDialogsTest, ShowAndKeepStoredValuesTheirListsLack) {
    // Settings another tool can store are shown and kept; ones that nothing
    // can use show the value an absent option stands for.
    // option, as stored, as shown, as stored again by OK
    // clang-format off
    const struct { Option option; QString stored, shown, storedByOk; } cases[] = {
        {BaudRate, "460800", "460800", "460800"},
        {BaudRate, "-5", "19200", "19200"},
        {DataBits, "6", "6", "6"},
        {StopBits, "3", "1", "0"},
        {FlowControl, "2", "Software", "2"},
        {ValidityPeriod, "7", "1 Hour", "0"},
        {NameOrder, "2", "First then Last", "0"},
        // A port whose device is away right now stays chosen; device paths
        // are case-sensitive, so a listed one in other letters is no match.
        {Port, "/dev/pts/4:", "/dev/pts/4:", "/dev/pts/4:"},
        {Port, "/dev/ttyusb0:", "/dev/ttyusb0:", "/dev/ttyusb0:"},
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(row.stored.toStdString());
        ASSERT_TRUE(IsStringOption(row.option)
                        ? options.WriteOption(row.option, row.stored.toStdU16String())
                        : options.WriteOption(row.option, row.stored.toInt()));
        const Setting& setting =
            *std::find_if(std::begin(kSettings), std::end(kSettings),
                          [&](const Setting& s) { return s.option == row.option; });
        const auto dialog = Open(setting.kind);
        EXPECT_EQ(Find<QComboBox>(*dialog, setting.control).currentText(), row.shown);
        LeaveBy(*dialog, Leave::Ok);
        EXPECT_EQ(Read(row.option), row.storedByOk);
    }
}

TEST_F(OptionDialogsTest, PortSetupDefaultsStoreNothing) {
    auto dialog = Open(PortSetup);
    Choose(*dialog, Column(PortSetup, &Setting::choice));
    LeaveBy(*dialog, Leave::Ok);
    dialog = Open(PortSetup);
    Find<QComboBox>(*dialog, "Flow control").setCurrentText("None");
    Find<QPushButton>(*dialog, "Defaults").click();
    // What most phones want, which differs from what an absent setting means
    // in one place: hardware flow control.
    Shown suggested = Column(PortSetup, &Setting::fresh);
    suggested["Flow control"] = "Hardware";
    EXPECT_EQ(ShownIn(*dialog), suggested);
    LeaveBy(*dialog, Leave::Cancel);
    EXPECT_EQ(ShownIn(*Open(PortSetup)), Column(PortSetup, &Setting::choice));
}

TEST_F(OptionDialogsTest, SmsOptionsKeepTheTypedNumberWhateverTheBoxSays) {
    const auto dialog = Open(Sms);
    auto& number = Find<QLineEdit>(*dialog, "Service Centre");
    // One more digit than an option holds: it would be stored and read back
    // as nothing, so it cannot be typed.
    QTest::keyClicks(&number, QString(kMaxOptionChars + 1, QLatin1Char('4')));
    auto& usePhone = Find<QCheckBox>(*dialog, "Use phone Service Centre");
    for (const bool enabled : {true, false, true}) {
        EXPECT_EQ(number.isEnabled(), enabled);
        usePhone.click();
    }
    EXPECT_FALSE(number.isEnabled());
    LeaveBy(*dialog, Leave::Ok);
    EXPECT_EQ(Read(ServiceCentre), QString(kMaxOptionChars, QLatin1Char('4')));
    EXPECT_FALSE(Find<QLineEdit>(*Open(Sms), "Service Centre").isEnabled());
}

TEST_F(OptionDialogsTest, SettingsThatCannotBeStoredAreReportedAndTheDialogStays) {
    ASSERT_TRUE(options.WriteOption(BaudRate, 9600));
    std::ofstream(store.VolumePath(), std::ios::binary | std::ios::trunc) << std::string(2048, 'x');
    const auto dialog = Open(General);
    dialog->show();
    LeaveBy(*dialog, Leave::Ok);
    ASSERT_EQ(prompter.seen.size(), 1U);
    EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::Stop);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(refills, 0);
}

TEST_F(OptionDialogsTest, SetupOpensPortSetupWhichStoresOnItsOwnOk) {
    const auto dialog = Open(General);
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
    EXPECT_EQ(Read(BaudRate), "19200");
    EXPECT_EQ(Read(Port), "absent");
}

// Every control is found by its accessible name above; F1 is the one key left.
TEST_F(OptionDialogsTest, HelpAnswersF1ExceptInPortSetup) {
    for (const Kind kind : {Sms, General, PortSetup})
        QTest::keyClick(Open(kind).get(), Qt::Key_F1);
    EXPECT_EQ(helpShown, 2);
}

}  // namespace
}  // namespace mivex::options::tests

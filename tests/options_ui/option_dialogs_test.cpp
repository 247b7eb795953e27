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

// What a dialog shows, by control name: a list's or an edit's text, or "on"
// and "off" for a check box.
using Shown = std::map<QString, QString>;

// Options as stored, numbers written out; "absent" for one never written.
using Stored = std::map<Option, QString>;

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

// As a user would: ticks what differs, types into edits (an editable list's
// too), picks the items of the other lists.
void Choose(QWidget& dialog, const Shown& choice) {
    for (const auto& [name, value] : choice) {
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
            if (box->accessibleName() == name && box->isChecked() != (value == "on"))
                box->click();
        }
        for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
            if (edit->accessibleName() == name) {
                edit->clear();
                QTest::keyClicks(edit, value);
            }
        }
        for (QComboBox* list : dialog.findChildren<QComboBox*>()) {
            if (list->accessibleName() == name && !list->isEditable())
                list->setCurrentText(value);
        }
    }
}

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

    std::unique_ptr<QDialog> Open(Kind kind) {
        if (kind == Kind::Sms)
            return std::make_unique<SmsOptionsDialog>(options, chrome);
        if (kind == Kind::General)
            return std::make_unique<GeneralOptionsDialog>(
                options, chrome, [this] { ++refills; }, ports.Roots());
        return std::make_unique<PortSetupDialog>(options, chrome);
    }

    Stored Read(const Stored& wanted) {
        Stored read;
        for (const auto& [option, value] : wanted) {
            std::u16string text;
            std::int32_t number = 0;
            if (IsStringOption(option))
                read[option] =
                    options.ReadOption(option, text) ? QString::fromStdU16String(text) : "absent";
            else
                read[option] =
                    options.ReadOption(option, number) ? QString::number(number) : "absent";
        }
        return read;
    }

    mivex::testing::TempDir dir;
    mivex::testing::CountingSounds sounds;
    store::Store store{dir.path(), sounds};
    StoreOptions options{store};
    mivex::testing::ScriptedPrompter prompter;
    DialogChrome chrome;
    FakePortTree ports;
    int helpShown = 0;
    int refills = 0;
};

TEST_F(OptionDialogsTest, ShowWhatAbsentOptionsStandForOnANewVolume) {
    const std::vector<std::pair<Kind, Shown>> cases = {
        {Kind::Sms,
         {{"Service Centre", ""},
          {"Use phone Service Centre", "off"},
          {"Validity period", "1 Hour"},
          {"Request status report", "off"},
          {"Request reply", "off"},
          {"Send only GSM characters", "off"},
          {"Delete messages after receive", "off"}}},
        {Kind::General,
         {{"Contact name order", "First then Last"},
          {"Show all contact numbers", "off"},
          {"Remove (x) from contact numbers", "off"},
          {"Turn off sounds", "off"},
          {"Communications Port", "/dev/ttyS0:"}}},
        {Kind::PortSetup,
         {{"Baud rate", "19200"},
          {"Data bits", "8"},
          {"Stop bits", "1"},
          {"Flow control", "Hardware"}}},
    };
    for (const auto& [kind, expected] : cases) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(ShownIn(*Open(kind)), expected);
    }
    EXPECT_TRUE(Find<QLineEdit>(*Open(Kind::Sms), "Service Centre").isEnabled());
}

TEST_F(OptionDialogsTest, StoreTheChoiceOnlyOnOkAndShowItWhenReopened) {
    struct Case {
        Kind kind = Kind::Sms;
        Shown choice = {};
        Stored stored = {};
    };
    const std::vector<Case> cases = {
        {.kind = Kind::Sms,
         .choice = {{"Service Centre", "+447700900123"},
                    {"Use phone Service Centre", "on"},
                    {"Validity period", "1 Week"},
                    {"Request status report", "on"},
                    {"Request reply", "on"},
                    {"Send only GSM characters", "on"},
                    {"Delete messages after receive", "on"}},
         .stored = {{Option::ServiceCentre, "+447700900123"},
                    {Option::UsePhoneServiceCentre, "1"},
                    {Option::ValidityPeriod, "3"},
                    {Option::StatusReport, "1"},
                    {Option::ReplyPath, "1"},
                    {Option::GsmAlphabetOnly, "1"},
                    {Option::DeleteAfterReceive, "1"}}},
        {.kind = Kind::General,
         .choice = {{"Contact name order", "Last then First"},
                    {"Show all contact numbers", "on"},
                    {"Remove (x) from contact numbers", "on"},
                    {"Turn off sounds", "on"},
                    {"Communications Port", "/dev/gsmmodem:"}},
         .stored = {{Option::NameOrder, "1"},
                    {Option::ShowAllContactNumbers, "1"},
                    {Option::RemoveNumberTag, "1"},
                    {Option::SoundsOff, "1"},
                    {Option::Port, "/dev/gsmmodem:"}}},
        {.kind = Kind::PortSetup,
         .choice = {{"Baud rate", "115200"},
                    {"Data bits", "7"},
                    {"Stop bits", "2"},
                    {"Flow control", "None"}},
         .stored = {{Option::BaudRate, "115200"},
                    {Option::DataBits, "7"},
                    {Option::StopBits, "2"},
                    {Option::FlowControl, "0"}}},
    };
    for (const Case& test : cases) {
        for (const Leave leave : {Leave::Cancel, Leave::Close, Leave::Ok}) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(test.kind) << " leaving by "
                                              << static_cast<int>(leave));
            const auto dialog = Open(test.kind);
            Choose(*dialog, test.choice);
            LeaveBy(*dialog, leave);
            for (const auto& [option, value] : Read(test.stored))
                EXPECT_EQ(value, leave == Leave::Ok ? test.stored.at(option) : "absent");
        }
        Shown reopened = ShownIn(*Open(test.kind));
        for (const auto& [name, value] : test.choice)
            EXPECT_EQ(reopened[name], value) << name.toStdString();
    }
    // The contact list follows the General options once, on their OK.
    EXPECT_EQ(refills, 1);
}

TEST_F(OptionDialogsTest, ShowAndKeepStoredValuesTheirListsLack) {
    struct Case {
        Option option = Option::BaudRate;
        QString stored;
        QString shown;
        QString storedByOk;
    };
    // Settings another tool can store are shown and kept; ones that nothing
    // can use show the value an absent option stands for.
    const std::vector<Case> cases = {
        {Option::BaudRate, "460800", "460800", "460800"},
        {Option::BaudRate, "-5", "19200", "19200"},
        {Option::DataBits, "6", "6", "6"},
        {Option::StopBits, "3", "1", "0"},
        {Option::FlowControl, "2", "Software", "2"},
        {Option::ValidityPeriod, "7", "1 Hour", "0"},
        {Option::NameOrder, "2", "First then Last", "0"},
        // A port whose device is away right now stays chosen; device paths
        // are case-sensitive, so a listed one in other letters is no match.
        {Option::Port, "/dev/pts/4:", "/dev/pts/4:", "/dev/pts/4:"},
        {Option::Port, "/dev/ttyusb0:", "/dev/ttyusb0:", "/dev/ttyusb0:"},
    };
    const std::map<Option, std::pair<Kind, QString>> controls = {
        {Option::BaudRate, {Kind::PortSetup, "Baud rate"}},
        {Option::DataBits, {Kind::PortSetup, "Data bits"}},
        {Option::StopBits, {Kind::PortSetup, "Stop bits"}},
        {Option::FlowControl, {Kind::PortSetup, "Flow control"}},
        {Option::ValidityPeriod, {Kind::Sms, "Validity period"}},
        {Option::NameOrder, {Kind::General, "Contact name order"}},
        {Option::Port, {Kind::General, "Communications Port"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.stored.toStdString());
        const bool text = IsStringOption(test.option);
        ASSERT_TRUE(text ? options.WriteOption(test.option, test.stored.toStdU16String())
                         : options.WriteOption(test.option, test.stored.toInt()));
        const auto& [kind, name] = controls.at(test.option);
        const auto dialog = Open(kind);
        EXPECT_EQ(Find<QComboBox>(*dialog, name).currentText(), test.shown);
        LeaveBy(*dialog, Leave::Ok);
        EXPECT_EQ(Read({{test.option, {}}})[test.option], test.storedByOk);
    }
}

TEST_F(OptionDialogsTest, PortSetupDefaultsStoreNothing) {
    const Shown changed = {
        {"Baud rate", "115200"}, {"Data bits", "7"}, {"Stop bits", "2"}, {"Flow control", "None"}};
    auto dialog = Open(Kind::PortSetup);
    Choose(*dialog, changed);
    LeaveBy(*dialog, Leave::Ok);
    dialog = Open(Kind::PortSetup);
    Find<QPushButton>(*dialog, "Defaults").click();
    EXPECT_EQ(ShownIn(*dialog), Shown({{"Baud rate", "19200"},
                                       {"Data bits", "8"},
                                       {"Stop bits", "1"},
                                       {"Flow control", "Hardware"}}));
    LeaveBy(*dialog, Leave::Cancel);
    EXPECT_EQ(ShownIn(*Open(Kind::PortSetup)), changed);
}

TEST_F(OptionDialogsTest, SmsOptionsKeepTheTypedNumberWhateverTheBoxSays) {
    const auto dialog = Open(Kind::Sms);
    auto& number = Find<QLineEdit>(*dialog, "Service Centre");
    // One more digit than an option holds: it would be stored and read back
    // as nothing, so it cannot be typed.
    QTest::keyClicks(&number, QString(kMaxOptionChars + 1, QLatin1Char('4')));
    auto& usePhone = Find<QCheckBox>(*dialog, "Use phone Service Centre");
    for (const bool enabled : {false, true, false}) {
        usePhone.click();
        EXPECT_EQ(number.isEnabled(), enabled);
    }
    LeaveBy(*dialog, Leave::Ok);
    EXPECT_EQ(Read({{Option::ServiceCentre, {}}})[Option::ServiceCentre],
              QString(kMaxOptionChars, QLatin1Char('4')));
    EXPECT_FALSE(Find<QLineEdit>(*Open(Kind::Sms), "Service Centre").isEnabled());
}

TEST_F(OptionDialogsTest, SettingsThatCannotBeStoredAreReportedAndTheDialogStays) {
    ASSERT_TRUE(options.WriteOption(Option::BaudRate, 9600));
    std::ofstream(store.VolumePath(), std::ios::binary | std::ios::trunc) << std::string(2048, 'x');
    const auto dialog = Open(Kind::General);
    dialog->show();
    LeaveBy(*dialog, Leave::Ok);
    ASSERT_EQ(prompter.seen.size(), 1U);
    EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::Stop);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(refills, 0);
}

TEST_F(OptionDialogsTest, SetupOpensPortSetupWhichStoresOnItsOwnOk) {
    const auto dialog = Open(Kind::General);
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
    EXPECT_EQ(Read({{Option::BaudRate, {}}, {Option::Port, {}}}),
              Stored({{Option::BaudRate, "19200"}, {Option::Port, "absent"}}));
}

TEST_F(OptionDialogsTest, NameEveryControlAndAnswerHelpExceptInPortSetup) {
    for (const Kind kind : {Kind::Sms, Kind::General, Kind::PortSetup}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const auto dialog = Open(kind);
        int controls = 0;
        for (QWidget* control : dialog->findChildren<QWidget*>()) {
            if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QComboBox*>(control) &&
                !qobject_cast<QLineEdit*>(control))
                continue;
            ++controls;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            ASSERT_NE(accessible, nullptr);
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
                << control->metaObject()->className();
        }
        EXPECT_GE(controls, 6);
        QTest::keyClick(dialog.get(), Qt::Key_F1);
    }
    EXPECT_EQ(helpShown, 2);
}

}  // namespace
}  // namespace mivex::options::tests

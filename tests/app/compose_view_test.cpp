#include "app/compose_view.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <functional>

#include "app/file_dialogs.h"
#include "app/qt_text.h"
#include "app/text_list_combo.h"
#include "app_fixture.h"
#include "options/option_ids.h"
#include "store/queueing.h"
#include "store/store.h"

namespace mivex::app {
namespace {

using platform::PromptAnswer;
using platform::PromptIcon;

constexpr std::string_view kThreeFriends =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
    "TEL;TYPE=CELL:+447700900123\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ivanova;Katya;;;\r\nFN:Katya Ivanova\r\n"
    "TEL;TYPE=CELL:+447700900456\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Okafor;Ben;;;\r\nFN:Ben Okafor\r\n"
    "TEL;TYPE=CELL:+447700900789\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n";

class ComposeViewTest : public ::testing::Test, public testing::AppFixture {
protected:
    ComposeView& View() {
        if (!view_)
            view_ = std::make_unique<ComposeView>(window, context);
        return *view_;
    }
    QStringList Rows() { return Texts(View().Recipients()); }
    void SetRows(const QStringList& rows) {
        View().Recipients().clear();
        View().Recipients().addItems(rows);
    }
    void Type(const QString& boxText) { View().RecipientBox().setEditText(boxText); }

    std::unique_ptr<ComposeView> view_;
};

// The counter shows what the measure of the text says (its rules are tried
// with the encoder): in the GSM alphabet, in Unicode, or in the GSM alphabet
// alone when the user asked for it; a typed line end counts once.
TEST_F(ComposeViewTest, CounterShowsWhatIsLeftOfTheLastSms) {
    // clang-format off
    // text, GSM alphabet only, counter, told as Unicode
    const struct { QString text; bool gsmOnly; const char* counter; bool unicode; } rows[] = {
        {QString(), false, "160/1", false},
        {QString(161, QLatin1Char('a')), false, "145/2", false},
        {QStringLiteral("a\nb"), false, "157/1", false},
        {QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442"), false, "64/1", true},
        {QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442"), true, "154/1", false},
    };
    // clang-format on
    // The setting as another program (mivex-cli) writes it: the view keeps
    // it in memory and must notice once the user is back at the message.
    store::Store elsewhere(context.DataDirectory(), sounds);
    options::StoreOptions otherOptions(elsewhere);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.counter);
        View().MessageEdit().setPlainText(row.text);
        ASSERT_TRUE(
            otherOptions.WriteOption(options::Option::GsmAlphabetOnly, row.gsmOnly ? 1 : 0));
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(&View().MessageEdit(), &back);
        EXPECT_EQ(View().Counter().text(), QLatin1String(row.counter));
        EXPECT_EQ(View().Counter().accessibleName(), QLatin1String(row.counter));
        EXPECT_EQ(View().Counter().toolTip().contains(QStringLiteral("Unicode")), row.unicode);
    }
}

TEST_F(ComposeViewTest, AddTakesTheBoxEntryUpToItsSecondComma) {
    // clang-format off
    // typed in the box, the list after Add and its count: the placeholder
    // stops before the count; anything else rewrites it
    const struct { const char* box; QStringList rows; const char* count; } cases[] = {
        {"Select contact or enter number", {"old"}, "9"},
        {"", {"old"}, "1"},
        {"Ann Lee,+447700900123,M", {"Ann Lee,+447700900123", "old"}, "2"},
        {"+447700900555", {"+447700900555", "old"}, "2"},
    };
    // clang-format on
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.box);
        SetRows({"old"});
        View().RecipientCount().setText(QStringLiteral("9"));
        Type(QString::fromUtf8(entry.box));
        View().AddRecipient();
        EXPECT_EQ(Rows(), entry.rows);
        EXPECT_EQ(View().RecipientCount().text(), QLatin1String(entry.count));
        EXPECT_EQ(View().RecipientBox().currentText(), QString::fromUtf8(entry.box));
    }
}

// Adding the whole category and emptying the list ask first; No changes
// nothing. The category goes above the list in reverse.
TEST_F(ComposeViewTest, AddAllAndRemoveAllActOnlyOnYes) {
    WriteContacts("friends.vcf", kThreeFriends);
    // clang-format off
    const struct { const char* name; void (ComposeView::*action)(); std::u16string_view question; QStringList rows; } cases[] = {
        {"add all", &ComposeView::AddAllRecipients, kAddAllQuestion,
         {"Katya Ivanova,+447700900456", "Ben Okafor,+447700900789", "Ann Lee,+447700900123", "old"}},
        {"remove all", &ComposeView::RemoveAllRecipients, kRemoveAllQuestion, {}},
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        SetRows({"old"});
        app::QtPrompter::ClearShownBoxes();
        Answer({PromptAnswer::No, PromptAnswer::Yes});
        (View().*row.action)();
        EXPECT_EQ(Rows(), QStringList{"old"});
        (View().*row.action)();
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_EQ(View().RecipientCount().text(), QString::number(row.rows.size()));
        ASSERT_EQ(Boxes().size(), 2u);
        EXPECT_EQ(Boxes()[0].text, row.question);
        EXPECT_EQ(Boxes()[0].icon, PromptIcon::Exclamation);
    }
}

TEST_F(ComposeViewTest, TraceSwitchNeedsTheCodeAndBeepsOnlyWhenItTurnsOn) {
    // clang-format off
    // typed in the box, then the trace switch and the beeps so far
    const struct { const char* box; bool traceAfter; int beepsAfter; } taps[] = {
        {"QZXTRAC", false, 0}, {"qzxTrace", true, 1}, {"QZXTRACE and more", false, 1},
        {"QZXTRACE+447700", true, 2}, {"zzz", true, 2},
    };
    // clang-format on
    for (const auto& tap : taps) {
        SCOPED_TRACE(tap.box);
        Type(QString::fromUtf8(tap.box));
        QTest::mouseClick(&View().TitlePicture(), Qt::LeftButton);
        EXPECT_EQ(context.Shell().traceEnabled, tap.traceAfter);
        EXPECT_EQ(sounds.beeps, tap.beepsAfter);
        EXPECT_EQ(View().RecipientBox().currentText(), QString::fromUtf8(tap.box));
    }
}

TEST_F(ComposeViewTest, QueueingKeepsEverythingWhenRefusedAndClearsWhenDone) {
    View().MessageEdit().setPlainText(QStringLiteral("See you at eight"));
    Type(QStringLiteral("+447700900555"));
    View().OnCommand(cmd::MoveToOutbox);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, store::kNoRecipientText);
    EXPECT_EQ(View().MessageEdit().toPlainText(), QStringLiteral("See you at eight"));
    EXPECT_EQ(Count(store::kOutboxName), 0u);

    SetRows({"Ann Lee,+447700900123", "+447700900555"});
    View().OnCommand(cmd::MoveToOutbox);
    EXPECT_EQ(Count(store::kOutboxName), 2u);
    EXPECT_TRUE(View().MessageEdit().toPlainText().isEmpty());
    EXPECT_EQ(View().Counter().text(), QStringLiteral("160/1"));
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_EQ(View().RecipientCount().text(), QStringLiteral("0"));
    EXPECT_EQ(View().RecipientBox().currentText(), QStringLiteral("+447700900555"));
}

TEST_F(ComposeViewTest, ExportTellsTheCountOrTheFailure) {
    const std::string good = (dir.path() / "messages.txt").string();
    const std::string bad = (dir.path() / "missing" / "folder" / "messages.txt").string();
    // clang-format off
    const struct { std::optional<QString> chosen; std::optional<std::u16string> told; PromptIcon icon; } cases[] = {
        {std::nullopt, std::nullopt, PromptIcon::None},
        {QString::fromStdString(good), u"0 Messages Exported", PromptIcon::Information},
        {QString::fromStdString(bad), std::u16string(kExportFailedText), PromptIcon::Stop},
    };
    // clang-format on
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.chosen.value_or(QStringLiteral("cancelled")).toStdString());
        app::QtPrompter::ClearShownBoxes();
        AnswerNextSaveDialog(entry.chosen);
        View().OnCommand(cmd::Export);
        ASSERT_EQ(Boxes().size(), entry.told ? 1u : 0u);
        if (entry.told) {
            EXPECT_EQ(Boxes()[0].text, *entry.told);
            EXPECT_EQ(Boxes()[0].icon, entry.icon);
        }
    }
    // A name typed without its ending still makes a text file.
    EXPECT_EQ(LastSaveDialogRequest().defaultSuffix, QStringLiteral("txt"));
}

// The program fills the contact boxes after the window's first paint; a
// number typed before then stays.
TEST_F(ComposeViewTest, ContactsFilledAfterTheFirstPaintKeepWhatWasTyped) {
    WriteContacts("friends.vcf", kThreeFriends);
    ComposeView compose(window, context, ContactsFill::AfterFirstPaint);
    EXPECT_EQ(compose.RecipientBox().count(), 0);
    compose.RecipientBox().setEditText(QStringLiteral("+44770"));
    window.PushPage(&compose);
    window.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return compose.RecipientBox().count() == 3; }));
    EXPECT_EQ(compose.RecipientBox().currentText(), QStringLiteral("+44770"));
}

// Quit keeps the chosen category for the next start; closing the window
// ends the program without keeping it.
TEST_F(ComposeViewTest, QuitSavesTheChosenCategoryWindowCloseDoesNot) {
    WriteContacts("friends.vcf", kThreeFriends);
    for (const bool quit : {false, true}) {
        SCOPED_TRACE(quit);
        view_ = std::make_unique<ComposeView>(window, context);
        QComboBox& category = View().CategoryBox();
        category.setCurrentIndex(category.findText(QStringLiteral("Friends")));
        QTimer::singleShot(0, &window, [this, quit] {
            quit ? View().PostCommand(cmd::Quit) : void(window.close());
        });
        View().Run();
        std::u16string saved;
        EXPECT_EQ(context.Options().ReadOption(options::Option::Category, saved), quit);
        EXPECT_EQ(saved, quit ? u"Friends" : u"");
    }
    view_ = std::make_unique<ComposeView>(window, context);
    EXPECT_EQ(View().CategoryBox().currentText(), QStringLiteral("Friends"));
}

}  // namespace
// The recipient box's list: texts added while painting is held reach the
// box when it resumes; item data stays with its item across an insertion.
TEST(TextListComboTest, KeepsTextsAndDataInOrderThroughHeldFillsAndInserts) {
    using Ops = std::function<void(TextListCombo&)>;
    // clang-format off
    const struct { const char* name; Ops ops; QStringList texts; std::vector<int> data; } cases[] = {
        {"held fill", [](TextListCombo& list) {
             list.SetRedraw(false);
             list.AddItem(u"b");
             list.AddItem(u"c");
             list.SetRedraw(true);
         }, {"b", "c"}, {0, 0}},
        {"read while held", [](TextListCombo& list) {
             list.SetRedraw(false);
             list.AddItem(u"b");
             EXPECT_EQ(list.FindExact(u"b"), std::optional<std::size_t>(0));
             list.AddItem(u"c");
             list.SetRedraw(true);
         }, {"b", "c"}, {0, 0}},
        {"insert before data", [](TextListCombo& list) {
             list.AddItem(u"b");
             list.SetItemData(0, 7);
             list.InsertItem(0, u"a");
             list.AddItem(u"c");
         }, {"a", "b", "c"}, {0, 7, 0}},
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        QComboBox box;
        TextListCombo list(box);
        row.ops(list);
        QStringList shown;
        std::vector<int> data;
        for (int index = 0; index < box.count(); ++index) {
            shown << box.itemText(index);
            data.push_back(list.ItemData(static_cast<std::size_t>(index)));
        }
        EXPECT_EQ(shown, row.texts);
        EXPECT_EQ(data, row.data);
        EXPECT_EQ(list.Count(), static_cast<std::size_t>(row.texts.size()));
    }
}

}  // namespace mivex::app

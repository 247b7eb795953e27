#include "app/compose_view.h"

#include <gtest/gtest.h>

#include <QTimer>

#include "app/file_dialogs.h"
#include "app/qt_text.h"
#include "app_fixture.h"
#include "options/option_ids.h"
#include "store/queueing.h"

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
    QStringList Rows() {
        QStringList rows;
        for (int row = 0; row < View().Recipients().count(); ++row)
            rows << View().Recipients().item(row)->text();
        return rows;
    }
    void SetRows(const QStringList& rows) {
        View().Recipients().clear();
        View().Recipients().addItems(rows);
    }
    void Type(const QString& boxText) { View().RecipientBox().setEditText(boxText); }

    std::unique_ptr<ComposeView> view_;
};

// The counter counts what the message is sent as: septets in the GSM
// alphabet (an extension character takes two), UTF-16 units in Unicode, or
// every unit as one septet when the user asked for the GSM alphabet only.
TEST_F(ComposeViewTest, CounterShowsWhatIsLeftOfTheLastSms) {
    const struct {
        QString text;
        bool gsmOnly;
        const char* counter;
        bool unicode;
    } rows[] = {
        {QString(), false, "160/1", false},
        {QString(160, QLatin1Char('a')), false, "0/1", false},
        {QString(161, QLatin1Char('a')), false, "145/2", false},
        {QString(307, QLatin1Char('a')), false, "152/3", false},
        {QStringLiteral("a\nb"), false, "157/1", false},
        {QStringLiteral("[\u20AC]"), false, "154/1", false},
        {QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442"), false, "64/1", true},
        {QString(71, QChar(0x4F60)), false, "63/2", true},
        {QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442"), true, "154/1", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.counter);
        ASSERT_TRUE(
            context.Options().WriteOption(options::Option::GsmAlphabetOnly, row.gsmOnly ? 1 : 0));
        View().MessageEdit().setPlainText(row.text);
        EXPECT_EQ(View().Counter().text(), QLatin1String(row.counter));
        EXPECT_EQ(View().Counter().accessibleName(), QLatin1String(row.counter));
        EXPECT_EQ(View().Counter().toolTip().contains(QStringLiteral("Unicode")), row.unicode);
    }
}

TEST_F(ComposeViewTest, AddTakesTheBoxEntryUpToItsSecondComma) {
    const struct {
        const char* box;
        QStringList rows;
    } cases[] = {
        {"Select contact or enter number", {"old"}},
        {"", {"old"}},
        {"Ann Lee,+447700900123,M", {"Ann Lee,+447700900123", "old"}},
        {"+447700900555", {"+447700900555", "old"}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.box);
        SetRows({"old"});
        View().RecipientCount().setText(QStringLiteral("9"));
        Type(QString::fromUtf8(entry.box));
        View().AddRecipient();
        EXPECT_EQ(Rows(), entry.rows);
        // The placeholder stops before the count; anything else rewrites it.
        const bool placeholder = QString::fromUtf8(entry.box).startsWith(QLatin1String("Select"));
        EXPECT_EQ(View().RecipientCount().text(),
                  placeholder ? QStringLiteral("9") : QString::number(entry.rows.size()));
        EXPECT_EQ(View().RecipientBox().currentText(), QString::fromUtf8(entry.box));
    }
}

TEST_F(ComposeViewTest, AddAllPutsTheCategoryAboveTheListInReverseOnlyOnYes) {
    WriteContacts("friends.vcf", kThreeFriends);
    SetRows({"old"});
    Answer({PromptAnswer::No, PromptAnswer::Yes});
    View().AddAllRecipients();
    EXPECT_EQ(Rows(), QStringList{"old"});
    View().AddAllRecipients();
    EXPECT_EQ(Rows(), (QStringList{"Katya Ivanova,+447700900456", "Ben Okafor,+447700900789",
                                   "Ann Lee,+447700900123", "old"}));
    EXPECT_EQ(View().RecipientCount().text(), QStringLiteral("4"));
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, kAddAllQuestion);
    EXPECT_EQ(Boxes()[0].icon, PromptIcon::Exclamation);
}

TEST_F(ComposeViewTest, RemoveGivesTheSelectedEntryBackAndSelectsTheNext) {
    const struct {
        int selected;  // -1: none
        QStringList rows;
        int selectedAfter;
        const char* box;
    } cases[] = {
        {1, {"a", "c"}, 1, "b"},
        {2, {"a", "b"}, -1, "c"},
        {-1, {"a", "b", "c"}, -1, "typed"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.selected);
        SetRows({"a", "b", "c"});
        Type(QStringLiteral("typed"));
        if (entry.selected >= 0)
            View().Recipients().setCurrentRow(entry.selected);
        View().RemoveRecipient();
        EXPECT_EQ(Rows(), entry.rows);
        EXPECT_EQ(View().RecipientBox().currentText(), QString::fromUtf8(entry.box));
        const QList<QListWidgetItem*> selected = View().Recipients().selectedItems();
        EXPECT_EQ(selected.isEmpty() ? -1 : View().Recipients().row(selected.front()),
                  entry.selectedAfter);
    }
}

TEST_F(ComposeViewTest, RemoveAllEmptiesTheListOnlyOnYes) {
    SetRows({"a", "b"});
    Answer({PromptAnswer::No, PromptAnswer::Yes});
    View().RemoveAllRecipients();
    EXPECT_EQ(Rows().size(), 2);
    View().RemoveAllRecipients();
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_EQ(View().RecipientCount().text(), QStringLiteral("0"));
    EXPECT_EQ(Boxes().back().text, kRemoveAllQuestion);
}

TEST_F(ComposeViewTest, TraceSwitchNeedsTheCodeAndBeepsOnlyWhenItTurnsOn) {
    const struct {
        const char* box;
        bool traceAfter;
        int beepsAfter;
    } taps[] = {
        {"QZXTRAC", false, 0},        {"qzxTrace", true, 1}, {"QZXTRACE and more", false, 1},
        {"QZXTRACE+447700", true, 2}, {"zzz", true, 2},
    };
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
    EXPECT_EQ(OutboxCount(), 0u);

    SetRows({"Ann Lee,+447700900123", "+447700900555"});
    View().OnCommand(cmd::MoveToOutbox);
    EXPECT_EQ(OutboxCount(), 2u);
    EXPECT_TRUE(View().MessageEdit().toPlainText().isEmpty());
    EXPECT_EQ(View().Counter().text(), QStringLiteral("160/1"));
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_EQ(View().RecipientCount().text(), QStringLiteral("0"));
    EXPECT_EQ(View().RecipientBox().currentText(), QStringLiteral("+447700900555"));
}

TEST_F(ComposeViewTest, ExportTellsTheCountOrTheFailure) {
    const std::string good = (dir.path() / "messages.txt").string();
    const std::string bad = (dir.path() / "missing" / "folder" / "messages.txt").string();
    const struct {
        std::optional<QString> chosen;
        std::optional<std::u16string> told;
        PromptIcon icon;
    } cases[] = {
        {std::nullopt, std::nullopt, PromptIcon::None},
        {QString::fromStdString(good), u"0 Messages Exported", PromptIcon::Information},
        {QString::fromStdString(bad), std::u16string(kExportFailedText), PromptIcon::Stop},
    };
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
    const SaveDialogRequest& asked = LastSaveDialogRequest();
    EXPECT_EQ(asked.title, QStringLiteral("Mivex"));
    EXPECT_EQ(asked.filter, QStringLiteral("Text (*.txt)"));
    EXPECT_EQ(asked.defaultName, QStringLiteral("Mivex Messages.txt"));
    EXPECT_EQ(asked.defaultSuffix, QStringLiteral("txt"));
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
            if (quit)
                View().PostCommand(cmd::Quit);
            else
                window.close();
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
}  // namespace mivex::app

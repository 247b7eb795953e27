#pragma once

// The compose view: the program's main view and the root of every other. The
// user writes a message with a live count of the characters left in the
// current SMS, picks recipients from the address book by category or types
// numbers, and queues the message in the Outbox for each recipient, or
// queues and sends it at once. It also carries the program-wide commands of
// the "View" menu and the hidden trace switch, and it is what the folder
// views hand a message to for a reply, a forward, an edit or a copy.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>
#include <optional>

#include "app/qt_controls.h"
#include "app/text_list_combo.h"
#include "app/view_chrome.h"
#include "app/view_page.h"
#include "options/options_record.h"
#include "store/compose_target.h"

namespace mivex::app {

class AppContext;
class HoldEdit;

inline constexpr std::u16string_view kSelectContactText = u"Select contact or enter number";
inline constexpr std::u16string_view kTraceCode = u"QZXTRACE";
inline constexpr std::u16string_view kAddAllQuestion = u"Add all contacts from selected category?";
inline constexpr std::u16string_view kRemoveAllQuestion = u"Remove all recipients?";
inline constexpr std::u16string_view kSendAndReceiveQuestion =
    u"Send all Outbox messages and Receive all phone messages?";
inline constexpr std::u16string_view kExportedText = u" Messages Exported";
inline constexpr std::u16string_view kExportFailedText =
    u"Export failed - the file could not be written!";

// When the contact boxes are filled from the address book: at once, or
// after the view's first paint, so that a big address book does not hold
// back the window (the recipient box takes typed numbers meanwhile).
enum class ContactsFill { Now, AfterFirstPaint };

class ComposeView final : public ViewPage, public store::ComposeTarget {
    Q_OBJECT

public:
    ComposeView(MainWindow& window, AppContext& context, ContactsFill fill = ContactsFill::Now);
    ~ComposeView() override;

    bool OnCommand(int id) override;
    QWidget* InitialFocus() override { return message_; }

    // store::ComposeTarget, for the folder views' hand-overs.
    void AddRecipientEntry(std::u16string_view entry) override;
    platform::TextControl& MessageText() override { return messageText_; }
    void MessageTextChanged() override { UpdateCounter(); }

    // Empties the recipients list and its count, as a hand-over does first.
    void ClearRecipients();

    // The recipient buttons, as a tap on each runs them.
    void AddRecipient();
    void AddAllRecipients();
    void RemoveRecipient();
    void RemoveAllRecipients();
    // A tap on the title picture.
    void TraceSwitch();
    // The chosen category, or the settings that shape the contact list,
    // changed: the recipient box's list is filled again.
    void ContactsRefill();
    // The SMS options were saved: the counter counts as they now say.
    void SmsOptionsSaved();

signals:
    // The contact boxes hold the address book (after the first paint when
    // filled late).
    void contactsFilled();

public:
    // For tests and the accessibility walk.
    [[nodiscard]] QPlainTextEdit& MessageEdit() { return *message_; }
    [[nodiscard]] QLabel& Counter() { return *counter_; }
    [[nodiscard]] QComboBox& CategoryBox() { return *category_; }
    [[nodiscard]] QComboBox& RecipientBox() { return *recipientBox_; }
    [[nodiscard]] QListWidget& Recipients() { return *recipients_; }
    [[nodiscard]] QLabel& RecipientCount() { return *recipientCount_; }
    [[nodiscard]] QLabel& TitlePicture() { return *title_; }
    [[nodiscard]] const ViewMenuBar& MenuBar() const { return menuBar_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    void Open(ContactsFill fill);
    // Fills the contact boxes unless they are, keeping what the user typed
    // meanwhile: after the first paint, or when an action needs them.
    void LateContactsUpdate();
    void UpdateCounter();
    void ShowCount(const QString& count);
    void FitCounter(qsizetype chars);
    // Reads the alphabet setting again if the store changed since, and
    // recounts when it did.
    void RecheckAlphabet();
    void ShowRecipientCount();
    void ContactsUpdate();
    void Queue(int command);
    void Export();
    void Quit();
    void ShowContextMenu(QPoint globalPoint);

    AppContext& context_;
    QPlainTextEdit* message_ = nullptr;
    QLabel* counter_ = nullptr;
    QLabel* title_ = nullptr;
    QComboBox* category_ = nullptr;
    QComboBox* recipientBox_ = nullptr;
    QListWidget* recipients_ = nullptr;
    QLabel* recipientCount_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QToolButton* removeAllButton_ = nullptr;
    QToolButton* addButton_ = nullptr;
    QToolButton* addAllButton_ = nullptr;
    HoldEdit* hold_ = nullptr;
    bool contactsFilled_ = false;
    bool painted_ = false;
    ViewMenuBar menuBar_;
    QtTextControl messageText_;
    QtListControl recipientList_;
    QtComboControl categoryControl_;
    TextListCombo recipientControl_;
    // The counter needs the setting at every keystroke. It is looked up in
    // the store only when the user may have changed it elsewhere: when the
    // window or the message edit gets the focus back, or the options
    // dialog saved; a keystroke then costs no file system call.
    options::RememberedOption gsmOption_{options::Option::GsmAlphabetOnly};
    std::optional<bool> gsmOnly_;  // not looked up yet
    qsizetype counterChars_ = 0;
};

}  // namespace mivex::app

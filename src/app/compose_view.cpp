#include "app/compose_view.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/counter_label.h"
#include "app/file_dialogs.h"
#include "app/help.h"
#include "app/hold_edit.h"
#include "app/qt_text.h"
#include "app/title_picture.h"
#include "contacts/contact_lists.h"
#include "contacts/vcard_loader.h"
#include "sms/text_measure.h"
#include "store/queueing.h"
#include "store/text_export.h"
#include "transfer/status_text.h"

namespace mivex::app {

namespace {

using options::Option;
using platform::PromptIcon;

// Text a recipient box, category box or recipient entry gives is cut here, as
// the view's one working buffer for control texts always did.
constexpr qsizetype kMaxControlTextChars = 259;

// The counter's room, in characters: "152/150" is about as long as it gets
// within the message's limits; a longer text widens it.
constexpr qsizetype kCounterChars = 7;

QString ControlText(const QString& text) {
    return text.left(kMaxControlTextChars);
}

const QString& CounterToolTip(sms::TextEncoding encoding) {
    static const QString ucs2 =
        QStringLiteral(
            "Left in this SMS / SMS needed.\nSent as Unicode (UCS2): %1 characters in one SMS, "
            "%2 in each part of a long message")
            .arg(sms::kSingleMessageUcs2Units)
            .arg(sms::kSegmentUcs2Units);
    static const QString gsm =
        QStringLiteral(
            "Left in this SMS / SMS needed.\nSent in the GSM alphabet: %1 characters in one "
            "SMS, %2 in each part of a long message; \u20AC [ ] { } ~ ^ | \\ count twice")
            .arg(sms::kSingleMessageSeptets)
            .arg(sms::kSegmentSeptets);
    return encoding == sms::TextEncoding::Ucs2 ? ucs2 : gsm;
}

// A vCard reader that cannot be loaded is a broken install, not trouble
// with the user's files, and the boxes cannot show it: it is said once, on
// stderr, where a desktop program's messages reach the journal.
void TellOnceOfMissingVCardReader() {
    static bool told = false;
    const std::string& error = contacts::VCardLoader::Shared().Error();
    if (told || error.empty())
        return;
    told = true;
    std::fprintf(stderr,
                 "mivex: %s; contacts files changed since they were last read are left out\n",
                 error.c_str());
}

}  // namespace

ComposeView::ComposeView(MainWindow& window, AppContext& context, ContactsFill fill)
    : ViewPage(window),
      context_(context),
      message_(new QPlainTextEdit(this)),
      counter_(new CounterLabel(QStringLiteral("160/1"), this)),
      title_(CreateTitlePicture(*this, QStringLiteral(":/artwork/title-new.svg"),
                                QStringLiteral("New"))),
      category_(new QComboBox(this)),
      recipientBox_(new QComboBox(this)),
      recipients_(new QListWidget(this)),
      recipientCount_(new QLabel(QStringLiteral("0"), this)),
      removeButton_(CreatePictureButton(*this, QStringLiteral(":/artwork/recipient-remove.svg"),
                                        QStringLiteral("Delete"))),
      removeAllButton_(CreatePictureButton(*this,
                                           QStringLiteral(":/artwork/recipient-remove-all.svg"),
                                           QStringLiteral("Delete all"))),
      addButton_(CreatePictureButton(*this, QStringLiteral(":/artwork/recipient-add.svg"),
                                     QStringLiteral("Add"))),
      addAllButton_(CreatePictureButton(*this, QStringLiteral(":/artwork/recipient-add-all.svg"),
                                        QStringLiteral("Add all"))),
      messageText_(*message_),
      recipientList_(*recipients_),
      categoryControl_(*category_),
      recipientControl_(*recipientBox_) {
    BuildControls();
    Open(fill);
}

ComposeView::~ComposeView() {
    if (context_.Shell().composeWindow == this)
        context_.Shell().composeWindow = nullptr;
}

void ComposeView::BuildControls() {
    setObjectName(QStringLiteral("ComposeView"));

    message_->setAccessibleName(QStringLiteral("Message"));
    message_->setTabChangesFocus(true);
    message_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    counter_->setAccessibleName(counter_->text());
    counter_->setAutoFillBackground(true);
    FitCounter(kCounterChars);

    category_->setEditable(true);
    category_->setInsertPolicy(QComboBox::NoInsert);
    category_->setAccessibleName(QStringLiteral("Contacts"));
    category_->lineEdit()->setAccessibleName(QStringLiteral("Contacts"));

    recipientBox_->setEditable(true);
    recipientBox_->setInsertPolicy(QComboBox::NoInsert);
    recipientBox_->setMaxVisibleItems(20);
    // The layout gives the box the view's width; sizing it to its longest
    // entry would measure every contact before the first paint.
    recipientBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    recipientBox_->setMinimumContentsLength(16);
    recipientBox_->setAccessibleName(QStringLiteral("Number or contact"));
    recipientBox_->lineEdit()->setAccessibleName(QStringLiteral("Number or contact"));
    // Typing part of a name offers every contact entry that holds it.
    recipientBox_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    recipientBox_->completer()->setFilterMode(Qt::MatchContains);
    recipientBox_->completer()->setCaseSensitivity(Qt::CaseInsensitive);

    recipients_->setAccessibleName(QStringLiteral("To"));
    recipients_->setSelectionMode(QAbstractItemView::SingleSelection);
    recipientCount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    recipientCount_->setAccessibleName(recipientCount_->text());
    recipientCount_->setAccessibleDescription(QStringLiteral("Number of recipients"));

    auto label = [this](const char* text, QWidget* buddy) {
        auto* result = new QLabel(QString::fromUtf8(text), this);
        result->setBuddy(buddy);
        return result;
    };

    auto* body = new QWidget(this);
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(4, 4, 4, 0);
    grid->addWidget(label("Message", message_), 0, 0);
    auto* topRight = new QHBoxLayout;
    topRight->addStretch(1);
    topRight->addWidget(counter_);
    topRight->addSpacing(12);
    topRight->addWidget(title_);
    grid->addLayout(topRight, 0, 1);
    grid->addWidget(message_, 1, 0, 1, 2);
    grid->setRowStretch(1, 3);

    auto* contactsRow = new QHBoxLayout;
    contactsRow->addWidget(label("Contacts", category_));
    contactsRow->addStretch(1);
    contactsRow->addWidget(category_, 1);
    grid->addLayout(contactsRow, 2, 0, 1, 2);
    grid->addWidget(recipientBox_, 3, 0, 1, 2);

    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->addWidget(label("To", recipients_));
    buttonsRow->addWidget(recipientCount_);
    buttonsRow->addStretch(1);
    buttonsRow->addWidget(label("Delete", removeButton_));
    buttonsRow->addWidget(removeButton_);
    buttonsRow->addWidget(removeAllButton_);
    buttonsRow->addSpacing(16);
    buttonsRow->addWidget(label("Add", addButton_));
    buttonsRow->addWidget(addButton_);
    buttonsRow->addWidget(addAllButton_);
    grid->addLayout(buttonsRow, 4, 0, 1, 2);
    grid->addWidget(recipients_, 5, 0, 1, 2);
    grid->setRowStretch(5, 2);

    menuBar_ = CreateViewMenuBar(*this, MenuBarId::Compose);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(2);
    page->addWidget(body, 1);
    page->addWidget(menuBar_.bar);
    ApplyViewColours(*body, ButtonScheme::Navy);

    hold_ = new HoldEdit(*message_);
    connect(hold_, &HoldEdit::held, this, &ComposeView::ShowContextMenu);
    connect(message_, &QPlainTextEdit::textChanged, this, &ComposeView::UpdateCounter);
    // Only a category the user chooses refills the list; filling it does not.
    connect(category_, &QComboBox::activated, this, [this] { ContactsRefill(); });

    const auto tap = [this](QToolButton* button, void (ComposeView::*action)()) {
        connect(button, &QToolButton::clicked, this, [this, button, action] {
            PressEffect(*button, context_.Clock());
            (this->*action)();
        });
    };
    tap(addButton_, &ComposeView::AddRecipient);
    tap(addAllButton_, &ComposeView::AddAllRecipients);
    tap(removeButton_, &ComposeView::RemoveRecipient);
    tap(removeAllButton_, &ComposeView::RemoveAllRecipients);

    title_->installEventFilter(this);
    message_->installEventFilter(this);
    recipientBox_->lineEdit()->installEventFilter(this);
}

void ComposeView::Open(ContactsFill fill) {
    context_.Shell().composeWindow = this;
    UpdateCounter();
    InputPanelDown();
    if (std::u16string category; context_.Options().ReadOption(Option::Category, category)) {
        categoryControl_.InsertItem(0, category);
        categoryControl_.SetCurrentIndex(0);
    }
    if (fill == ContactsFill::Now) {
        SendCommand(cmd::ContactsUpdate);
    } else {
        recipientBox_->setEditText(ToQString(kSelectContactText));
        installEventFilter(this);
    }
}

void ComposeView::LateContactsUpdate() {
    if (contactsFilled_)
        return;
    QLineEdit& edit = *recipientBox_->lineEdit();
    const QString typed = edit.text();
    const int cursor = edit.cursorPosition();
    ContactsRefill();
    if (typed != ToQString(kSelectContactText)) {
        edit.setText(typed);
        edit.setCursorPosition(cursor);
    } else {
        recipientBox_->setEditText(typed);
    }
    emit contactsFilled();
}

bool ComposeView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == this && type == QEvent::Paint && !painted_) {
        painted_ = true;
        // On the loop's next turn, once the paint is on the screen. Not a
        // posted command: a view opened over this one meanwhile must not
        // keep the boxes empty.
        QTimer::singleShot(0, this, [this] { LateContactsUpdate(); });
    }
    if (watched == title_ && type == QEvent::MouseButtonPress) {
        TraceSwitch();
        return true;
    }
    if (watched == recipientBox_->lineEdit() && type == QEvent::FocusIn) {
        recipients_->clearSelection();
        recipients_->setCurrentRow(-1, QItemSelectionModel::Clear);
        InputPanelUp();
    } else if (watched == message_ && type == QEvent::FocusIn) {
        RecheckAlphabet();
        InputPanelUp();
    } else if ((watched == message_ || watched == recipientBox_->lineEdit()) &&
               type == QEvent::FocusOut) {
        InputPanelDown();
    }
    return ViewPage::eventFilter(watched, event);
}

bool ComposeView::OnCommand(int id) {
    ViewOpener* views = context_.Views();
    switch (id) {
        case cmd::ContactsUpdate:
            ContactsUpdate();
            return true;
        case cmd::MoveToOutbox:
        case cmd::MoveToOutboxAndSend:
            Queue(id);
            return true;
        case cmd::SendAndReceive:
            if (context_.Prompter().Confirm(kSendAndReceiveQuestion)) {
                context_.Shell().sendAndReceive.Start();
                SendCommand(cmd::Outbox);
            }
            return true;
        case cmd::Inbox:
        case cmd::Outbox:
        case cmd::Sent:
            return views != nullptr && views->RunFolderView(id);
        case cmd::GeneralOptions:
        case cmd::SmsOptions:
        case cmd::About:
            return views != nullptr && views->RunDialog(id, *this);
        case cmd::Export:
            Export();
            return true;
        case cmd::ClearDatabase:
            (void)context_.Store().ClearDatabase(context_.Prompter());
            return true;
        case cmd::Quit:
            Quit();
            return true;
        case cmd::Cut:
            message_->cut();
            return true;
        case cmd::Copy:
            message_->copy();
            return true;
        case cmd::Paste:
            message_->paste();
            return true;
        case cmd::Abbreviations:
            ShowHelp(HelpPage::Abbreviations);
            return true;
        default:
            return false;
    }
}

void ComposeView::changeEvent(QEvent* event) {
    // Back from another program, which may have changed the setting.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RecheckAlphabet();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        FitCounter(counterChars_);
    ViewPage::changeEvent(event);
}

void ComposeView::RecheckAlphabet() {
    // Not looked up yet: the first text to count reads it anyway.
    if (!gsmOnly_)
        return;
    const bool gsmOnly = gsmOption_.Value(context_.Options()) != 0;
    if (gsmOnly == *gsmOnly_)
        return;
    gsmOnly_ = gsmOnly;
    UpdateCounter();
}

void ComposeView::UpdateCounter() {
    // The counter counts what the message will be sent as: septets left in
    // the GSM alphabet, or UTF-16 units left in UCS2, and the SMS it takes.
    // An empty message counts the same in either alphabet, so the setting
    // is first read when there is text, not before the window shows.
    const std::u16string text = messageText_.Text();
    if (!gsmOnly_ && !text.empty())
        gsmOnly_ = gsmOption_.Value(context_.Options()) != 0;
    const sms::TextMeasure measure =
        sms::MeasureText(text, gsmOnly_.value_or(false) ? sms::AlphabetChoice::GsmOnly
                                                        : sms::AlphabetChoice::Automatic);
    // Runs at every keystroke: only what changed is set, as each setting
    // tells the accessibility tools.
    const QString count =
        QString::number(measure.unitsLeft) + u'/' + QString::number(measure.segments);
    if (counter_->text() != count)
        ShowCount(count);
    const QString& tip = CounterToolTip(measure.encoding);
    if (counter_->toolTip() != tip) {
        counter_->setToolTip(tip);
        counter_->setAccessibleDescription(tip);
    }
}

void ComposeView::ShowCount(const QString& count) {
    if (count.size() > counterChars_)
        FitCounter(count.size());
    counter_->setText(count);
    counter_->setAccessibleName(count);
}

void ComposeView::FitCounter(qsizetype chars) {
    // A label that may change size has the whole view laid out again, and
    // one that lets the view show through has it painted again, at each
    // keystroke. The counter has a fixed size, wide enough for `chars` of
    // the widest digit, and paints its own background; its text is
    // right-aligned after a stretch, so it stands where it would anyway.
    const QFontMetrics metrics = counter_->fontMetrics();
    int digit = 0;
    for (char16_t unit = u'0'; unit <= u'9'; ++unit)
        digit = std::max(digit, metrics.horizontalAdvance(QChar(unit)));
    const QMargins margins = counter_->contentsMargins();
    const int width = static_cast<int>(chars) * digit +
                      metrics.horizontalAdvance(QLatin1Char('/')) + margins.left() +
                      margins.right() + 2 * counter_->margin();
    counter_->setFixedSize(width, counter_->sizeHint().height());
    counterChars_ = chars;
}

void ComposeView::SmsOptionsSaved() {
    gsmOption_.Forget();
    gsmOnly_.reset();
    UpdateCounter();
}

void ComposeView::ShowRecipientCount() {
    recipientCount_->setText(QString::number(recipients_->count()));
    recipientCount_->setAccessibleName(recipientCount_->text());
}

void ComposeView::ContactsUpdate() {
    InputPanelDown();
    ContactsRefill();
    recipientBox_->setEditText(ToQString(kSelectContactText));
}

void ComposeView::ContactsRefill() {
    contactsFilled_ = true;
    (void)contacts::FillContactCombo(recipientControl_, categoryControl_,
                                     context_.Contacts().Refresh(), context_.Options());
    TellOnceOfMissingVCardReader();
}

void ComposeView::AddRecipient() {
    const QString text = ControlText(recipientBox_->currentText());
    if (text == ToQString(kSelectContactText))
        return;
    std::u16string entry = ToU16(text);
    contacts::ContactEntryToRecipient(entry);
    if (!entry.empty())
        recipientList_.InsertRow(0, entry);
    ShowRecipientCount();
    InputPanelDown();
}

void ComposeView::AddAllRecipients() {
    LateContactsUpdate();
    if (!context_.Prompter().Confirm(kAddAllQuestion))
        return;
    for (std::size_t index = 0; index < recipientControl_.Count(); ++index) {
        std::u16string entry = ToU16(ControlText(ToQString(recipientControl_.ItemText(index))));
        contacts::ContactEntryToRecipient(entry);
        if (!entry.empty())
            recipientList_.InsertRow(0, entry);
        ShowRecipientCount();
    }
    InputPanelDown();
}

void ComposeView::RemoveRecipient() {
    const int row = recipients_->currentRow();
    if (row < 0 || !recipients_->item(row)->isSelected())
        return;
    recipientBox_->setEditText(recipients_->item(row)->text());
    delete recipients_->takeItem(row);
    recipients_->clearSelection();
    if (row < recipients_->count())
        recipients_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    else
        recipients_->setCurrentRow(-1, QItemSelectionModel::Clear);
    ShowRecipientCount();
}

void ComposeView::RemoveAllRecipients() {
    if (!context_.Prompter().Confirm(kRemoveAllQuestion))
        return;
    ClearRecipients();
    InputPanelDown();
}

void ComposeView::ClearRecipients() {
    recipients_->clear();
    ShowRecipientCount();
}

void ComposeView::AddRecipientEntry(std::u16string_view entry) {
    recipientBox_->setEditText(ToQString(entry));
    AddRecipient();
}

void ComposeView::TraceSwitch() {
    const QString code =
        recipientBox_->currentText().left(static_cast<qsizetype>(kTraceCode.size()));
    if (code.toUpper() != ToQString(kTraceCode))
        return;
    bool& trace = context_.Shell().traceEnabled;
    trace = !trace;
    if (trace)
        context_.Sounds().DefaultBeep();
}

void ComposeView::Queue(int command) {
    int queued = 0;
    {
        store::FolderHandle outbox =
            context_.Store().OpenFolder(store::kOutboxName, store::kOutboxByDate);
        if (!outbox)
            return;
        const store::SendNow sendNow =
            command == cmd::MoveToOutboxAndSend ? store::SendNow::Yes : store::SendNow::No;
        queued = store::QueueMessage(messageText_, recipientList_, *outbox, sendNow,
                                     context_.Prompter(), context_.Clock());
    }  // closed before the Outbox view opens it again
    if (queued == 0)
        return;
    message_->clear();  // its change notification resets the counter
    ClearRecipients();
    if (command == cmd::MoveToOutboxAndSend && context_.Views() != nullptr)
        context_.Views()->RunFolderView(cmd::Outbox);
}

void ComposeView::Export() {
    const std::optional<QString> path =
        AskSaveFileName(this, {.title = QStringLiteral("Mivex"),
                               .filter = QStringLiteral("Text (*.txt)"),
                               .defaultName = ToQString(store::kDefaultExportFileName),
                               .defaultSuffix = QStringLiteral("txt")});
    if (!path)
        return;
    const std::optional<store::ExportCounts> counts =
        store::ExportMessagesOrFail(context_.Store(), path->toStdString());
    if (!counts) {
        context_.Prompter().Tell(kExportFailedText, PromptIcon::Stop);
        return;
    }
    std::u16string told = transfer::WithNumber(u"", counts->written, kExportedText);
    if (counts->unreadable == 0) {
        context_.Prompter().Tell(told, PromptIcon::Information);
        return;
    }
    // Messages the store could not read are not in the file: the user must know.
    told.append(u"\n").append(store::UnreadableExportText(counts->unreadable));
    context_.Prompter().Tell(told, PromptIcon::Exclamation);
}

void ComposeView::Quit() {
    if (const std::optional<std::size_t> chosen = categoryControl_.CurrentIndex()) {
        (void)context_.Options().WriteOption(Option::Category, categoryControl_.ItemText(*chosen));
    }
    End(1);
}

void ComposeView::ShowContextMenu(QPoint globalPoint) {
    QMenu menu(this);
    const struct {
        const char* caption;
        int id;
    } items[] = {{"Cut", cmd::Cut},
                 {"Copy", cmd::Copy},
                 {"Paste", cmd::Paste},
                 {"Abbreviations", cmd::Abbreviations}};
    for (const auto& item : items) {
        const int id = item.id;
        connect(menu.addAction(QString::fromUtf8(item.caption)), &QAction::triggered, this,
                [this, id] { PostCommand(id); });
    }
    PopupRightAligned(menu, globalPoint);
}

}  // namespace mivex::app

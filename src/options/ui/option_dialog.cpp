#include "options/ui/option_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "options/options_record.h"
#include "platform/prompter.h"

namespace mivex::options {

namespace {

// As wide as the About dialog; as high as the controls need, and not so low
// that the dialog looks like a message box.
constexpr int kWidth = 360;
constexpr int kMinimumHeight = 280;

}  // namespace

OptionDialog::OptionDialog(const DialogChrome& chrome, QWidget* owner, const QString& titleSvg,
                           const QString& titleName, Help help)
    : QDialog(owner), chrome_(chrome), help_(help) {
    setWindowTitle(QStringLiteral("Mivex"));

    auto* titleRow = new QHBoxLayout;
    titleRow->addStretch(1);
    QWidget* title = chrome.titlePicture ? chrome.titlePicture(*this, titleSvg, titleName)
                                         : new QLabel(titleName, this);
    title->setAccessibleName(titleName);
    titleRow->addWidget(title);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setAccessibleName(QStringLiteral("Separator"));

    body_ = new QVBoxLayout;
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleRow);
    layout->addWidget(line);
    layout->addLayout(body_);
    layout->addStretch(1);
    layout->addWidget(buttons_);
}

void OptionDialog::FinishDress() {
    if (chrome_.colours)
        chrome_.colours(*this);
    // A drop-down list shows its choice in the colour of typed text, as the
    // edits do, rather than in the colour of button captions.
    for (QComboBox* list : findChildren<QComboBox*>()) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::ButtonText, palette.color(QPalette::Text));
        list->setPalette(palette);
    }
    resize(kWidth, std::max(kMinimumHeight, sizeHint().height()));
}

bool OptionDialog::event(QEvent* event) {
    if (help_ == Help::Answered && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::HelpContents)) {
        if (chrome_.help)
            chrome_.help();
        return true;
    }
    return QDialog::event(event);
}

void OptionWrites::Write(Option option, std::int32_t value) {
    if (!options_.WriteOption(option, value))
        allStored_ = false;
}

void OptionWrites::Write(Option option, const QString& value) {
    if (!options_.WriteOption(option, value.toStdU16String()))
        allStored_ = false;
}

bool OptionDialog::CloseWhenStored(const OptionWrites& writes) {
    if (writes.AllStored()) {
        QDialog::accept();
        return true;
    }
    if (chrome_.prompter != nullptr)
        chrome_.prompter->Tell(u"The settings could not be saved.", platform::PromptIcon::Stop);
    return false;
}

QCheckBox* NewCheckBox(const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setAccessibleName(text);
    return box;
}

std::int32_t ReadInteger(StoreOptions& options, Option option) {
    std::int32_t value = 0;
    (void)options.ReadOption(option, value);
    return value;
}

}  // namespace mivex::options

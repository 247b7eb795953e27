#include "app/pin_dialog.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/transfer_runner.h"
#include "app/ui_thread.h"
#include "phone/sim_answers.h"

namespace mivex::app {

namespace {

struct TestHook {
    bool active = false;
    std::deque<std::optional<platform::PinEntry>> answers;
    std::vector<platform::PinQuestion> asked;
};

TestHook& Hook() {
    static TestHook hook;
    return hook;
}

}  // namespace

PinDialog::PinDialog(const platform::PinQuestion& question, QWidget* owner)
    : QDialog(owner),
      pin_(new QLineEdit(this)),
      tries_(new QLabel(TriesText(question.triesLeft), this)),
      remember_(new QCheckBox(QStringLiteral("Remember until Mivex ends"), this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setObjectName(QStringLiteral("PinDialog"));
    setWindowTitle(QStringLiteral("Mivex"));
    setAccessibleName(QStringLiteral("SIM card PIN"));
    // The transfer that asks holds back input from the rest of the program.
    setProperty(kTakesInputDuringRun, true);

    auto* heading = new QLabel(QStringLiteral("The SIM card is locked.\nEnter its PIN:"), this);
    heading->setAccessibleName(heading->text());
    heading->setBuddy(pin_);

    pin_->setEchoMode(QLineEdit::Password);
    pin_->setMaxLength(static_cast<int>(phone::kMaxPinDigits));
    pin_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(phone::kMaxPinDigits)), pin_));
    pin_->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText |
                              Qt::ImhHiddenText);
    pin_->setAccessibleName(QStringLiteral("PIN"));
    pin_->setAccessibleDescription(QStringLiteral("4 to 8 digits"));
    pin_->setPlaceholderText(QStringLiteral("4 to 8 digits"));

    tries_->setAccessibleName(tries_->text());
    tries_->setWordWrap(true);
    tries_->setVisible(!tries_->text().isEmpty());
    if (question.triesLeft == 1)
        tries_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));

    remember_->setAccessibleName(remember_->text());
    remember_->setToolTip(QStringLiteral("Kept in memory only, never written to disk"));
    buttons_->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(pin_);
    layout->addWidget(tries_);
    layout->addWidget(remember_);
    layout->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(pin_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    UpdateOk();
}

QString PinDialog::TriesText(const std::optional<int>& triesLeft) {
    if (!triesLeft)
        return {};
    if (*triesLeft == 1)
        return QStringLiteral(
            "Last try: a wrong PIN now blocks the SIM card, and only its PUK unblocks it.");
    return QStringLiteral("%1 tries left").arg(*triesLeft);
}

platform::PinEntry PinDialog::Entry() const {
    return {pin_->text().toStdString(), remember_->isChecked()};
}

void PinDialog::UpdateOk() {
    buttons_->button(QDialogButtonBox::Ok)
        ->setEnabled(phone::IsPinText(pin_->text().toStdString()));
}

std::optional<platform::PinEntry> QtPinPrompter::AskPin(const platform::PinQuestion& question) {
    TestHook& hook = Hook();
    if (hook.active) {
        hook.asked.push_back(question);
        if (hook.answers.empty())
            return std::nullopt;
        std::optional<platform::PinEntry> answer = hook.answers.front();
        hook.answers.pop_front();
        return answer;
    }
    return OnThreadOf(*qApp, [&question]() -> std::optional<platform::PinEntry> {
        PinDialog dialog(question, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Entry();
    });
}

void QtPinPrompter::AnswerNextPins(std::deque<std::optional<platform::PinEntry>> answers) {
    TestHook& hook = Hook();
    hook.active = true;
    hook.answers = std::move(answers);
}

const std::vector<platform::PinQuestion>& QtPinPrompter::AskedQuestions() {
    return Hook().asked;
}

}  // namespace mivex::app

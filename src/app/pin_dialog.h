#pragma once

// The SIM card's PIN, asked for when a transfer finds the SIM locked: a
// masked field that takes 4 to 8 digits, the tries left where the phone
// tells them (with a warning before the last one), and "Remember until Mivex
// ends". Cancel ends the transfer.
//
// Tests answer the dialog ahead of time (QtPinPrompter::AnswerNextPins), so
// no test waits for a person.

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <deque>
#include <optional>
#include <vector>

#include "platform/pin_prompter.h"

namespace mivex::app {

class PinDialog final : public QDialog {
    Q_OBJECT
public:
    explicit PinDialog(const platform::PinQuestion& question, QWidget* owner = nullptr);

    // What was typed, after the dialog was accepted.
    [[nodiscard]] platform::PinEntry Entry() const;

    // "2 tries left", "Last try: ..." or empty, as the dialog shows it.
    [[nodiscard]] static QString TriesText(const std::optional<int>& triesLeft);

private:
    void UpdateOk();

    QLineEdit* pin_;
    QLabel* tries_;
    QCheckBox* remember_;
    QDialogButtonBox* buttons_;
};

// Asks with a PinDialog on the interface thread, from whichever thread the
// run is on, and waits for the answer.
class QtPinPrompter final : public platform::PinPrompter {
public:
    std::optional<platform::PinEntry> AskPin(const platform::PinQuestion& question) override;

    // The test hook: from now on the dialog is not shown; questions are
    // recorded and answered from this queue (an empty one cancels).
    static void AnswerNextPins(std::deque<std::optional<platform::PinEntry>> answers);
    [[nodiscard]] static const std::vector<platform::PinQuestion>& AskedQuestions();
};

}  // namespace mivex::app

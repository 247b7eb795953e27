#pragma once

// What the three option dialogs share: the program's dress handed in by the
// desktop program (so the dialogs need nothing of it and tests can run them
// bare), the title row with its separator, the OK and Cancel buttons, and
// the help key.

#include <QDialog>
#include <QDialogButtonBox>
#include <QString>
#include <cstdint>
#include <functional>

#include "options/option_ids.h"

class QCheckBox;
class QVBoxLayout;

namespace mivex::platform {
class Prompter;
}

namespace mivex::options {

class StoreOptions;

struct DialogChrome {
    // The title picture at the top right: the artwork's resource path and the
    // name it shows. Without it the name is shown as text.
    std::function<QWidget*(QWidget& parent, const QString& svg, const QString& name)> titlePicture;
    // The program's colours, put on a dialog once its buttons exist.
    std::function<void(QWidget& dialog)> colours;
    // The help page at its contents.
    std::function<void()> help;
    // Tells the user when the settings could not be saved.
    platform::Prompter* prompter = nullptr;
};

// The writes of one OK, in order; remembers whether every one was stored.
class OptionWrites {
public:
    explicit OptionWrites(StoreOptions& options) : options_(options) {}

    void Write(Option option, std::int32_t value);
    void Write(Option option, const QString& value);
    [[nodiscard]] bool AllStored() const { return allStored_; }

private:
    StoreOptions& options_;
    bool allStored_ = true;
};

class OptionDialog : public QDialog {
    Q_OBJECT
public:
    enum class Help { Answered, Ignored };

protected:
    OptionDialog(const DialogChrome& chrome, QWidget* owner, const QString& titleSvg,
                 const QString& titleName, Help help);

    // Where the dialog's own controls go, between the title row and the buttons.
    [[nodiscard]] QVBoxLayout& Body() const { return *body_; }
    [[nodiscard]] QDialogButtonBox& Buttons() const { return *buttons_; }
    [[nodiscard]] const DialogChrome& Chrome() const { return chrome_; }
    // Call at the end of the constructor, once every control exists: puts on
    // the colours and fits the height to the controls.
    void FinishDress();
    // Closes the dialog when every write of its OK was stored; otherwise says
    // so and stays open, so the user knows the settings did not take. True
    // when it closed.
    bool CloseWhenStored(const OptionWrites& writes);

    bool event(QEvent* event) override;

private:
    DialogChrome chrome_;
    Help help_;
    QVBoxLayout* body_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

// A check box named for screen readers by its own text.
[[nodiscard]] QCheckBox* NewCheckBox(const QString& text, QWidget* parent);

// An integer option as the dialogs use it: 0 when absent.
[[nodiscard]] std::int32_t ReadInteger(StoreOptions& options, Option option);

}  // namespace mivex::options

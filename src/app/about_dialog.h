#pragma once

// About: the logo, the program's name, its version and one line of what it
// is. OK or closing returns to the view that opened it, unchanged.

#include <QDialog>

namespace mivex::app {

// "V<version> <release date as DD/MM/YY>", e.g. "V0.1.0 06/12/26".
[[nodiscard]] QString VersionLine();

class AboutDialog final : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* owner);

protected:
    bool event(QEvent* event) override;
};

}  // namespace mivex::app

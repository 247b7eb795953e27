#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/help.h"
#include "app/title_picture.h"
#include "app/version.h"
#include "app/view_chrome.h"

namespace mivex::app {

QString VersionLine() {
    return QStringLiteral("V%1 %2").arg(QLatin1String(kVersion), QLatin1String(kReleaseDate));
}

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Mivex"));
    setObjectName(QStringLiteral("AboutDialog"));

    auto* titleRow = new QHBoxLayout;
    titleRow->addStretch(1);
    titleRow->addWidget(CreateTitlePicture(*this, QStringLiteral(":/artwork/title-about.svg"),
                                           QStringLiteral("About")));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setAccessibleName(QStringLiteral("Separator"));

    QLabel* logo = CreateSvgPicture(*this, QStringLiteral(":/artwork/about-logo.svg"),
                                    QSize(260, 116), QStringLiteral("Mivex logo"));
    auto* logoRow = new QHBoxLayout;
    logoRow->addStretch(1);
    logoRow->addWidget(logo);
    logoRow->addStretch(1);

    auto* text = new QLabel(
        QStringLiteral("Mivex\n%1\nSMS through your phone or modem").arg(VersionLine()), this);
    text->setAlignment(Qt::AlignCenter);
    text->setAccessibleName(text->text());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleRow);
    layout->addWidget(line);
    layout->addStretch(1);
    layout->addLayout(logoRow);
    layout->addSpacing(24);
    layout->addWidget(text);
    layout->addStretch(1);
    layout->addWidget(buttons);
    ApplyViewColours(*this, ButtonScheme::Navy);
    resize(360, 420);
}

bool AboutDialog::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::HelpContents)) {
        ShowHelp(HelpPage::Contents);
        return true;
    }
    return QDialog::event(event);
}

}  // namespace mivex::app

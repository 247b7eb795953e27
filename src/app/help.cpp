#include "app/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>

namespace mivex::app {

namespace {

constexpr auto kHelpRelative = "mivex/help/Mivex.htm";

}  // namespace

QString HelpAnchor(HelpPage page) {
    return page == HelpPage::Abbreviations ? QStringLiteral("Abbrev")
                                           : QStringLiteral("Mivex_Contents");
}

QString HelpFilePath() {
    // Beside the program first, so an installed copy shows its own page even
    // when another version is installed elsewhere; then the XDG data folders.
    const QString besideProgram = QCoreApplication::applicationDirPath() +
                                  QStringLiteral("/../share/") + QLatin1String(kHelpRelative);
    if (QFileInfo(besideProgram).isFile())
        return QFileInfo(besideProgram).canonicalFilePath();
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                  QLatin1String(kHelpRelative));
}

QUrl HelpUrl(HelpPage page) {
    const QString file = HelpFilePath();
    if (file.isEmpty())
        return {};
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(HelpAnchor(page));
    return url;
}

void ShowHelp(HelpPage page) {
    const QUrl url = HelpUrl(page);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

}  // namespace mivex::app

// Prints the help page's address as the desktop program works it out from
// the folder it runs in. The install test puts this beside the installed
// mivex, where it must find the page in the prefix and nowhere else.

#include <QCoreApplication>
#include <cstdio>

#include "app/help.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QUrl url = mivex::app::HelpUrl(mivex::app::HelpPage::Contents);
    std::printf("%s\n", qPrintable(url.toString()));
    return url.isEmpty() ? 1 : 0;
}

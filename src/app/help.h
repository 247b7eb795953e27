#pragma once

// The help page, Mivex.htm, opened at one of its anchors with the desktop's
// handler for web pages. The page is installed with the program, in
// share/mivex/help beside its bin folder, and found from there wherever the
// program was installed (the build tree has the same layout).

#include <QString>
#include <QUrl>

namespace mivex::app {

enum class HelpPage { Contents, Abbreviations };

// "Mivex_Contents" or "Abbrev".
[[nodiscard]] QString HelpAnchor(HelpPage page);

// The installed help file; empty when it cannot be found.
[[nodiscard]] QString HelpFilePath();

// file:///.../Mivex.htm#anchor; empty when the file cannot be found.
[[nodiscard]] QUrl HelpUrl(HelpPage page);

// Opens the page; nothing waits for the browser, and its failure to start is
// not the program's business.
void ShowHelp(HelpPage page);

}  // namespace mivex::app

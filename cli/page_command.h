// numerlo-page: hit-table pages without the window.
//   numerlo-page [--home URL] [-o PAGE] SERIALS RESULTS
//   numerlo-page [--home URL] [-o PAGE] --csv FILE [--draws FIRST]
//   numerlo-page [--home URL] --csv FILE --every FOLDER
// Exit status: 0 when every page was written, 1 when a check of the run
// failed (its status message on standard error), 2 when the options, a
// file or the CSV are wrong.
#pragma once

#include <QStringList>

namespace numerlo {

inline constexpr int kExitMade = 0;
inline constexpr int kExitCheckFailed = 1;
inline constexpr int kExitWrong = 2;

// Runs the command for `arguments` (the program's name first); needs a
// QGuiApplication. Returns the exit status.
int runPageCommand(const QStringList& arguments);

}  // namespace numerlo

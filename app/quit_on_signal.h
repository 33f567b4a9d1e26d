// Ends the program as if its window were closed when the session asks it to
// stop (SIGTERM, SIGHUP) or the user presses Ctrl+C in a terminal (SIGINT).
#pragma once

class QWidget;

namespace numerlo {

// Call once, after the main window exists and before the event loop runs.
void quitOnTerminationSignals(QWidget& mainWindow);

}  // namespace numerlo

// Ends the program cleanly when the session asks it to stop (SIGTERM,
// SIGHUP) or the user presses Ctrl+C in a terminal (SIGINT), even while a
// dialog or box is open; a save under way finishes first, but waits for a
// stream read slowly (a pipe, a slow device) no more than 2 s longer.
#pragma once

class QWidget;

namespace numerlo {

// Call once, after the main window exists and before the event loop runs.
void quitOnTerminationSignals(QWidget& mainWindow);

}  // namespace numerlo

// SIGTERM, SIGINT and SIGHUP (a session ending, kill, Ctrl+C in the terminal that started it)
// close the main window as Exit does, so the settings are saved: as soon as the start-up has run
// and the window lets itself be closed (not while a Writer operation or a dialog that switched it
// off is on). A second signal of the same kind ends the program at once.
#pragma once

namespace orvane {

class TfrmMain;

// Call once, from the thread that runs the event loop.
void CloseOnSignals(TfrmMain& window);

} // namespace orvane

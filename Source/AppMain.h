// The program's run from start to end: settings first, then the main window with the
// archives of the command line; at the end the extraction folder goes.
#ifndef TOVIK_SOURCE_APPMAIN_H
#define TOVIK_SOURCE_APPMAIN_H

#include <functional>

class TFormMain;

// Runs the program; answers its exit code. shown, when given, is called with the main window
// right after it is shown, before the event loop runs (harnesses watch the window from there).
// Without a harness, a window already running for the user on this display receives the
// archives instead, and the run ends at once with 0.
int RunApplication(int argc, char *argv[], const std::function<void(TFormMain &)> &shown = {});

#endif

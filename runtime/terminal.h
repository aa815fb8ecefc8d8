// The terminal on standard input: key mode for the run, restored on every
// way out.
#pragma once

// Switches the terminal on fd to non-canonical, no-echo mode (Ctrl-C and the
// other signal keys keep working) and arranges for its settings to come back
// at exit, on SIGINT, SIGTERM, SIGHUP and SIGQUIT, and on a crash signal.
// Ctrl-Z gives the shell its settings back while the program is stopped.
// Does nothing, and returns false, when fd is not a terminal in the
// foreground.
bool enterKeyMode(int fd);

// Puts back the settings the terminal had before enterKeyMode. Safe to call
// from a signal handler and any number of times; does nothing when the
// terminal was never changed.
void restoreTerminal();

// Whether standard error is a terminal: tools show progress there only then.
bool standardErrorIsTerminal();

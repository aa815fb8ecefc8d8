// The terminal on standard input: key mode for the run, restored on every
// way out.
#include "runtime/terminal.h"

#include <csignal>
#include <cstdlib>
#include <termios.h>
#include <unistd.h>

namespace {

int terminalFd = -1;
termios savedSettings{};
termios keySettings{};
volatile std::sig_atomic_t inKeyMode = 0;

// Signals that end the process by default: each restores the terminal first.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT,
                                  SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

bool inForeground()
{
    return tcgetpgrp(terminalFd) == getpgrp();
}

void applyKeySettings()
{
    if (inForeground() && tcsetattr(terminalFd, TCSANOW, &keySettings) == 0)
        inKeyMode = 1;
}

void onEndingSignal(int signal)
{
    restoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Ctrl-Z: give the shell its settings back, then stop as usual.
void onStop(int)
{
    restoreTerminal();
    std::signal(SIGTSTP, SIG_DFL);
    std::raise(SIGTSTP);
}

// Continued (fg, bg): back to key mode if we own the terminal again.
void onContinue(int)
{
    struct sigaction stop{};
    stop.sa_handler = onStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, nullptr);
    applyKeySettings();
}

void install(int signal, void (*handler)(int), int flags)
{
    struct sigaction action{};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

void restoreAtExit()
{
    restoreTerminal();
}

} // namespace

bool enterKeyMode(int fd)
{
    if (!isatty(fd))
        return false;
    terminalFd = fd;
    if (!inForeground() || tcgetattr(fd, &savedSettings) != 0)
        return false;

    keySettings = savedSettings;
    keySettings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keySettings.c_cc[VMIN] = 0;
    keySettings.c_cc[VTIME] = 0;

    std::atexit(restoreAtExit);
    for (int signal : kEndingSignals)
        install(signal, onEndingSignal, SA_NODEFER);
    install(SIGTSTP, onStop, 0);
    install(SIGCONT, onContinue, SA_RESTART);

    applyKeySettings();
    return inKeyMode != 0;
}

void restoreTerminal()
{
    if (inKeyMode) {
        tcsetattr(terminalFd, TCSANOW, &savedSettings);
        inKeyMode = 0;
    }
}

bool standardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

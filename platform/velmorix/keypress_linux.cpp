// One key from the controlling terminal, as the Windows console gives it.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "velmorix_platform.h"

// The bytes of one key (an escape sequence, a UTF-8 character) arrive together.
static const int REST_OF_KEY_MS = 50;

// Every signal that would end or stop the wait: all but those whose
// default is to do nothing, and the two that cannot be caught. Ctrl-C and
// Ctrl-Z are keys here, so these come from outside.
static bool ends_or_stops(int sig)
{
    return sig != SIGKILL && sig != SIGSTOP && sig != SIGCHLD && sig != SIGURG && sig != SIGWINCH;
}

// What the signal handler needs: set before any handler is installed.
static int tty_fd = -1;
static struct termios saved_mode, raw_mode;

static void catch_signal(int sig);

// Only a run in front may touch the terminal: one sent to the background
// keeps its hands off the settings of whatever runs there now.
static bool in_front(void) { return tcgetpgrp(tty_fd) == getpgrp(); }

static void on_signal(int sig)
{
    int saved_errno = errno;
    if (sig != SIGCONT) {
        // Give the terminal back, then end (or stop) as if never caught, so
        // that the caller sees the status the signal gives.
        if (in_front())
            tcsetattr(tty_fd, TCSANOW, &saved_mode);
        signal(sig, SIG_DFL);
        sigset_t just_this;
        sigemptyset(&just_this);
        sigaddset(&just_this, sig);
        sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
        raise(sig);
        catch_signal(sig);  // reached after a stop only, once continued
    }
    if (in_front())
        tcsetattr(tty_fd, TCSANOW, &raw_mode);  // continued: wait on, as less does
    errno = saved_errno;
}

static void catch_signal(int sig)
{
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigfillset(&action.sa_mask);   // one handler at a time
    action.sa_flags = SA_RESTART;  // the key read goes on after a stop
    sigaction(sig, &action, nullptr);
}

static void read_one_key(int tty)
{
    unsigned char byte;
    if (read(tty, &byte, 1) != 1)
        return;
    struct pollfd more = { tty, POLLIN, 0 };
    while (poll(&more, 1, REST_OF_KEY_MS) == 1 && (more.revents & POLLIN)) {
        if (read(tty, &byte, 1) != 1)
            break;
    }
}

void velmorix_wait_key(void)
{
    int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0)
        return;  // no terminal: nobody to wait for
    if (tcgetattr(tty, &saved_mode) != 0) {
        close(tty);
        return;
    }
    tty_fd = tty;
    raw_mode = saved_mode;
    raw_mode.c_lflag &= ~(tcflag_t)(ICANON | ECHO | ISIG | IEXTEN);  // Ctrl-C is a key too
    raw_mode.c_iflag &= ~(tcflag_t)(IXON | ICRNL);
    raw_mode.c_cc[VMIN] = 1;
    raw_mode.c_cc[VTIME] = 0;

    // A signal the caller ignores (nohup) stays ignored; one the system
    // keeps for itself (sigaction refuses it) is left alone.
    struct sigaction previous[NSIG];
    bool caught[NSIG] = {};
    for (int sig = 1; sig < NSIG; sig++) {
        caught[sig] = ends_or_stops(sig) && sigaction(sig, nullptr, &previous[sig]) == 0 &&
                      previous[sig].sa_handler != SIG_IGN;
        if (caught[sig])
            catch_signal(sig);
    }
    if (tcsetattr(tty, TCSAFLUSH, &raw_mode) == 0)
        read_one_key(tty);

    // Settings and dispositions go back together: no handler may take raw
    // mode again in between. A signal that came meanwhile acts afterwards.
    sigset_t all, before;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &before);
    tcsetattr(tty, TCSAFLUSH, &saved_mode);
    for (int sig = 1; sig < NSIG; sig++)
        if (caught[sig])
            sigaction(sig, &previous[sig], nullptr);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    close(tty);
}

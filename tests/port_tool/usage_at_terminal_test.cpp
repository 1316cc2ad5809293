// velmorix -h at a pseudo-terminal, as a person meets it: the whole screen before the
// key, no echo, and the terminal's settings given back whether a key or a signal ends it.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <utmp.h>

#include <fstream>

struct AtTerminal {  // velmorix -h, its controlling terminal a new pseudo-terminal's slave
    int master = -1, slave = -1, pid = -1;
    termios before = {}, now = {};  // zeroed whole, so that memcmp sees the fields only
    siginfo_t end = {};
    AtTerminal()
    {
        openpty(&master, &slave, nullptr, nullptr, nullptr);
        tcgetattr(slave, &before);
        if ((pid = fork()) == 0) {
            for (int sig : { SIGINT, SIGTERM, SIGHUP, SIGUSR1 })
                signal(sig, SIG_DFL);  // a caller's ignored signal would stay ignored
            close(master), login_tty(slave), execl(VELMORIX, "velmorix", "-h", (char *)nullptr), _exit(127);
        }
    }
    ~AtTerminal()
    {
        if (pid > 0)  // still a zombie at least (WNOWAIT), so the pid is still this child's
            kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        close(master), close(slave);
    }
    std::string read_for(size_t want, int quiet_ms)  // until `want` bytes, or quiet that long
    {
        std::string got;
        pollfd ready = { master, POLLIN, 0 };
        for (char c; got.size() < want && poll(&ready, 1, quiet_ms) == 1 && read(master, &c, 1) == 1;)
            got += c;
        return got;
    }
    bool raw() { return !tcgetattr(slave, &now) && !(now.c_lflag & ICANON); }  // the wait has begun
    bool ended() { return !waitid(P_PID, pid, &end, WEXITED | WNOHANG | WNOWAIT) && end.si_pid == pid; }
    bool within_5s(bool (AtTerminal::*done)())
    {
        for (int ms = 0; ms < 5000 && !(this->*done)(); ms += 10)
            usleep(10000);
        return (this->*done)();
    }
};

// The wait ends by a key (an arrow: several bytes, one key; Ctrl-C, a key like any
// other, as the Windows console reads it) or a signal from outside.
TEST(UsageAtTerminal, ScreenBeforeTheKeyNoEchoAndTheSettingsBackHoweverItEnds)
{
    std::ifstream file(USAGE_SCREEN);  // the e2e case's screen; the terminal shows \n as \r\n
    std::string screen;
    for (char c : std::string(std::istreambuf_iterator<char>(file), {}))
        screen += c == '\n' ? "\r\n" : std::string(1, c);
    const struct {
        const char *what, *key;  // no key: the signal
        int sig;
    } ends[] = {
        { "an arrow", "\033[A", 0 },   { "Ctrl-C", "\003", 0 },       { "SIGTERM", nullptr, SIGTERM },
        { "SIGHUP", nullptr, SIGHUP }, { "SIGINT", nullptr, SIGINT }, { "SIGUSR1", nullptr, SIGUSR1 },
    };
    for (const auto &[what, key, sig] : ends) {
        AtTerminal run;
        ASSERT_EQ(run.read_for(screen.size(), 5000), screen) << what;  // else each case waits 5 s more
        ASSERT_TRUE(run.within_5s(&AtTerminal::raw)) << what;
        ASSERT_TRUE(key ? write(run.master, key, strlen(key)) == (ssize_t)strlen(key)
                        : kill(run.pid, sig) == 0);
        ASSERT_TRUE(run.within_5s(&AtTerminal::ended)) << what;
        EXPECT_EQ(run.read_for(1, 200), "") << what;  // no echo, nothing more
        EXPECT_EQ(run.end.si_code, sig ? CLD_KILLED : CLD_EXITED) << what;
        EXPECT_EQ(run.end.si_status, sig) << what;  // exit status 0, or the signal
        EXPECT_TRUE(!tcgetattr(run.slave, &run.now) && !memcmp(&run.before, &run.now, sizeof run.now))
            << what;
    }
}

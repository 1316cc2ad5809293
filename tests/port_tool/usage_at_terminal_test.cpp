// velmorix -h at a pseudo-terminal, as a person meets it: the whole screen before the
// key, no echo, and the terminal's settings given back whether a key or a signal ends it.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <utmp.h>

#include <fstream>

template <class Done> static bool within_5s(Done done)
{
    for (int ms = 0; ms < 5000; ms += 10, usleep(10000))
        if (done())
            return true;
    return false;
}

struct AtTerminal {  // velmorix -h, its controlling terminal a new pseudo-terminal's slave
    int master = -1, slave = -1, status = -1;
    pid_t pid = -1;
    termios before = {}, now = {};  // zeroed whole, so that memcmp sees the fields only
    AtTerminal()
    {
        openpty(&master, &slave, nullptr, nullptr, nullptr);
        tcgetattr(slave, &before);
        if ((pid = fork()) == 0) {
            for (int sig : { SIGINT, SIGTERM, SIGHUP })
                signal(sig, SIG_DFL);  // a caller's ignored signal would stay ignored
            close(master), login_tty(slave), execl(VELMORIX, "velmorix", "-h", (char *)nullptr), _exit(127);
        }
    }
    ~AtTerminal()
    {
        if (pid > 0 && status == -1)  // not reaped yet
            kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        close(master), close(slave);
    }
    std::string read_for(size_t want, int quiet_ms)  // until `want` bytes, or quiet that long
    {
        std::string got;
        struct pollfd ready = { master, POLLIN, 0 };
        char buf[256];
        for (ssize_t n;
             got.size() < want && poll(&ready, 1, quiet_ms) == 1 && (n = read(master, buf, 256)) > 0;)
            got.append(buf, n);
        return got;
    }
    bool raw()
    {
        return within_5s([&] { return !tcgetattr(slave, &now) && !(now.c_lflag & ICANON); });
    }
    bool ends()
    {
        return within_5s([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    }
    bool settings_kept() { return !tcgetattr(slave, &now) && !memcmp(&before, &now, sizeof now); }
};

TEST(UsageAtTerminal, ScreenBeforeTheKeyThenNoEchoAndSettingsBack)
{
    std::ifstream file(USAGE_SCREEN);  // the e2e case's screen; the terminal shows \n as \r\n
    std::string screen;
    for (char c : std::string(std::istreambuf_iterator<char>(file), {}))
        screen += c == '\n' ? "\r\n" : std::string(1, c);
    AtTerminal run;
    EXPECT_EQ(run.read_for(screen.size(), 5000), screen);
    ASSERT_TRUE(run.raw());
    ASSERT_EQ(write(run.master, "\033[A", 3), 3);  // an arrow: several bytes, one key
    ASSERT_TRUE(run.ends());
    EXPECT_EQ(run.read_for(1, 200), "");
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;
    EXPECT_TRUE(run.settings_kept());
}

TEST(UsageAtTerminal, SignalFromOutsideGivesTheSettingsBackAndEndsTheSame)
{
    for (int sig : { SIGTERM, SIGHUP, SIGINT }) {
        AtTerminal run;
        ASSERT_TRUE(run.raw()) << strsignal(sig);
        kill(run.pid, sig);
        ASSERT_TRUE(run.ends()) << strsignal(sig);
        EXPECT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == sig) << strsignal(sig);
        EXPECT_TRUE(run.settings_kept()) << strsignal(sig);
    }
}

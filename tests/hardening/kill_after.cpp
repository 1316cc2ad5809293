// kill_after DELAY PROGRAM [ARG...]
// Runs PROGRAM and, DELAY microseconds after starting it, kills it with
// SIGKILL; DELAY "never" lets it finish. Prints how it ended ("killed" or
// "exit N") and how long it ran, in microseconds. The program reads from
// /dev/null and its output goes there too: only the report is printed.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long now_us()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: kill_after MICROSECONDS|never PROGRAM [ARG...]\n");
        return 2;
    }
    bool kill_it = strcmp(argv[1], "never") != 0;
    long long delay = kill_it ? atoll(argv[1]) : 0;
    long long start = now_us();
    pid_t child = fork();
    if (child < 0) {
        perror("fork");
        return 2;
    }
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    if (kill_it) {
        struct timespec wait = { (time_t)(delay / 1000000), (long)(delay % 1000000) * 1000 };
        while (nanosleep(&wait, &wait) != 0) {
        }
        kill(child, SIGKILL);  // harmless when it has finished already
    }
    int status;
    while (waitpid(child, &status, 0) < 0) {
    }
    long long ran = now_us() - start;
    if (WIFSIGNALED(status))
        printf("killed %lld\n", ran);
    else
        printf("exit %d %lld\n", WEXITSTATUS(status), ran);
    return 0;
}

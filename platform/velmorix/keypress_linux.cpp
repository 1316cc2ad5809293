// One key from the controlling terminal, as the Windows console gives it.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "velmorix_platform.h"

// The bytes of one key (an escape sequence, a UTF-8 character) arrive together.
static const int REST_OF_KEY_MS = 50;

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
    struct termios saved;
    if (tcgetattr(tty, &saved) != 0) {
        close(tty);
        return;
    }
    struct termios raw = saved;
    raw.c_lflag &= ~(tcflag_t)(ICANON | ECHO | ISIG | IEXTEN);  // Ctrl-C is a key too
    raw.c_iflag &= ~(tcflag_t)(IXON | ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(tty, TCSAFLUSH, &raw) == 0) {
        read_one_key(tty);
        tcsetattr(tty, TCSAFLUSH, &saved);
    }
    close(tty);
}

// One key from the console, read as the C library's _getch reads it.
#include <conio.h>
#include <windows.h>

#include "velmorix_platform.h"

// _getch hands over an extended key (arrow, function key) in two calls: a
// lead code, then the key's own code. Both are the one key press; reading
// the second keeps it from being left behind for whoever reads next.
static bool is_extended_lead(int code) { return code == 0x00 || code == 0xE0; }

// A process without a console (detached, or started without one) has no
// console input to wait on; _getch would not return a key there.
static bool has_console_input(void)
{
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               NULL, OPEN_EXISTING, 0, NULL);
    if (input == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode;
    bool is_console = GetConsoleMode(input, &mode) != 0;
    CloseHandle(input);
    return is_console;
}

void velmorix_wait_key(void)
{
    if (!has_console_input())
        return;
    if (is_extended_lead(_getch()))
        _getch();
}

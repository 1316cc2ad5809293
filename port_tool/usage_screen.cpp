// The usage screen of velmorix.
#include <stdio.h>

#include "usage_screen.h"
#include "velmorix_platform.h"

void show_usage_screen(void)
{
    static const char *const lines[] = {
        "\nUsage:",
        "\n     velmorix [key]",
        "\nkey = baseAddr - velmorix base address:",
        "\n0x340 (default)",
        "\nkey = -h (-H,-?,/h,/H,/?) - this usage",
        "\nExamples:",
        "\n     velmorix 300",
        "\n\nPress any key to exit . . .",
    };
    for (const char *line : lines)
        printf("%s", line);
    fflush(stdout);  // the prompt must be on screen before the wait
    velmorix_wait_key();
}

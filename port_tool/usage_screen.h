// The usage screen of velmorix.
#ifndef VELMORIX_USAGE_SCREEN_H
#define VELMORIX_USAGE_SCREEN_H

// Shows how to call velmorix and waits for one key.
void show_usage_screen(void);

#endif

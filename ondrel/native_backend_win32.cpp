// On Windows the machine's own bus is the card maker's library's business:
// the stand-in reaches none, so without a bus file the open fails as it
// does for a bus file that is not there.
#include <windows.h>

#include "backend.h"

namespace {

bool none_wanted(void) { return true; }

void *none_open(uint32_t *error)
{
    *error = ERROR_FILE_NOT_FOUND;
    return nullptr;
}

// Never reached: no handle is ever made for this backend.
int none_read(void *, unsigned, unsigned, uint8_t *) { return 1; }
int none_status(void *) { return 1; }
uint32_t none_write(void *, unsigned, unsigned, unsigned, unsigned, const uint8_t *) { return 0; }
void none_close(void *) {}

}  // namespace

const BusBackend native_backend = { none_wanted, none_open, none_read, none_status, none_write, none_close };

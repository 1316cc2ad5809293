// The library's one reader of its environment settings.
#include "env_setting.h"

#include <stdlib.h>

const char *env_setting(const char *name)
{
    const char *value = getenv(name);
    return value && *value ? value : nullptr;
}

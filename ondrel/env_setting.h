// The environment settings that steer the library (ONDREL_SIM, ONDREL_SYSFS,
// ONDREL_TRACE), read by the backends and the trace alike.
#ifndef ONDREL_ENV_SETTING_H
#define ONDREL_ENV_SETTING_H

// An environment setting, or null when it is unset or empty.
const char *env_setting(const char *name);

#endif

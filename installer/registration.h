// The host registry registration of the Tarnwick platform type and its component.
#ifndef TESSARAN_REGISTRATION_H
#define TESSARAN_REGISTRATION_H

// The target component's class identifier, braces included, and its ProgID.
#define KULVASPE_CLSID  "{5E2B07A4-91C3-4F6D-A8E0-3B7D19C64F52}"
#define KULVASPE_PROGID "VisualDSP.Kulvaspe"

// Writes the platform-type key and the component's COM registration.
// 0 on success; -1 after printing what failed.
int register_with_host(void);

#endif

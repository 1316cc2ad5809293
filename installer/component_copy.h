// The copy of the target component into the host's system folder.
#ifndef TESSARAN_COMPONENT_COPY_H
#define TESSARAN_COMPONENT_COPY_H

// Copies kulvaspe.dll from the current folder, replacing an older copy.
// 0 on success; -1 after printing what failed.
int copy_component(void);

#endif

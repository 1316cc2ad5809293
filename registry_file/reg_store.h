// The registry stand-in's file store: the registry is one .reg file, named
// by TESSARAN_REGISTRY (default tessaran.reg in the current folder). Every
// operation reads the file under its lock; a change is on disk, whole,
// before the operation returns success. A file that cannot be read is never
// written: the operation fails after one line on standard error naming the
// file, the line and what is wrong. Each line reg import skips gets such a
// line too, once a run, and the operation goes on.
#ifndef REGISTRY_REG_STORE_H
#define REGISTRY_REG_STORE_H

#include <functional>

#include "reg_document.h"

// The codes the Windows registry calls return for the same failures.
enum {
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_MORE_DATA = 234,
    ERROR_BADDB = 1009,
    ERROR_KEY_DELETED = 1018,
};

// Runs an operation on the file's document; a file not there yet is an
// empty registry. The operation returns a code (0 for success) and says
// whether it changed the document: only then is the file replaced.
long with_registry(bool for_change, const std::function<long(RegDocument &, bool &changed)> &operation);

#endif

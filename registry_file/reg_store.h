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

// The codes the Windows registry calls return for the same failures, in a
// namespace of their own so that they never meet <windows.h>'s names.
namespace registry_error {
constexpr long file_not_found = 2;
constexpr long invalid_parameter = 87;
constexpr long more_data = 234;
constexpr long bad_db = 1009;  // a file that cannot be read
constexpr long key_deleted = 1018;
}  // namespace registry_error

// Runs an operation on the file's document; a file not there yet is an
// empty registry. The operation returns a code (0 for success) and says
// whether it changed the document: only then is the file replaced. A file
// that cannot be locked, read or replaced gives the Windows code closest to
// the system's error (windows_error.h).
long with_registry(bool for_change, const std::function<long(RegDocument &, bool &changed)> &operation);

#endif

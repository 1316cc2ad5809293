// One registry operation on the file: lock, read, do, write back.
#include "reg_store.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include "durable_file.h"
#include "windows_error.h"

namespace {

std::string registry_file_name()
{
    const char *name = getenv("TESSARAN_REGISTRY");
    return name && *name ? name : "tessaran.reg";
}

long report(const std::string &file, const std::string &what, long code)
{
    fprintf(stderr, "tessaran: %s: %s\n", file.c_str(), what.c_str());
    return code;
}

// Tells the lines reg import skips, unless the last reading told the same
// lines of the same file: once a run, whose own edits leave them as they are.
void tell_skipped(const std::string &file, const RegDocument &doc)
{
    static std::string told;
    std::string lines = file;
    for (const SkippedLines &skipped : doc.skipped)
        for (uint32_t n = skipped.first; n <= skipped.last; n++)
            lines.append("\n").append(line_text(doc, n));
    if (lines == told)
        return;
    told = lines;
    for (const SkippedLines &skipped : doc.skipped)
        report(file + ":" + std::to_string(skipped.line), skipped.what, 0);
}

}  // namespace

long with_registry(bool for_change, const std::function<long(RegDocument &, bool &changed)> &operation)
{
    // Kept from call to call, so that a large file's buffers are not taken
    // and faulted in again for each of a run's calls.
    static std::string bytes;
    static RegDocument doc;
    std::string name = registry_file_name(), what;
    bool changed = false;
    size_t line = 0;
    LockedFile file;  // held until the operation returns, whichever way
    int error = file.lock_and_read(name, for_change ? FOR_CHANGE_OR_NEW : FOR_READING, bytes, what);
    if (error == ENOENT && !for_change) {
        read_document("", doc, &line, what);
        return operation(doc, changed);  // no file yet: an empty registry
    }
    if (error != 0)
        return report(name, what, windows_error(error, name));

    if (!read_document(bytes, doc, &line, what))
        return report(name + ":" + std::to_string(line), what + "; left unchanged", registry_error::bad_db);
    tell_skipped(name, doc);
    long result = operation(doc, changed);
    if (result == 0 && changed) {
        write_document(doc, bytes);
        if ((error = file.replace(bytes, what)) != 0)
            result = report(name, what, windows_error(error, name));
    }
    return result;
}

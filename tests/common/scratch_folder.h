// A temporary folder for one test, removed with everything in it when the
// object goes out of scope, and whole-file reads.
#ifndef TESTS_SCRATCH_FOLDER_H
#define TESTS_SCRATCH_FOLDER_H

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>

struct ScratchFolder {
    // mkdtemp fills in the pattern's copy, which lives until path holds the name;
    // under TMPDIR when set, so that a run can sweep up after a test that crashed.
    std::string path =
        mkdtemp((std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/vt_test.XXXXXX").data());

    ScratchFolder() = default;
    ScratchFolder(const ScratchFolder &) = delete;  // one owner removes it
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    ~ScratchFolder() { system(("rm -rf '" + path + "'").c_str()); }
};

// The whole file, or "" when it cannot be read.
inline std::string file_text(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#endif

// The fuzz targets' expectations: a failed one names its line, then stops
// the run as a crash would, so that libFuzzer keeps the input.
#ifndef FUZZ_CHECK_H
#define FUZZ_CHECK_H

#include <stdio.h>
#include <stdlib.h>

inline void check_at(bool condition, int line)
{
    if (condition)
        return;
    fprintf(stderr, "expectation failed at line %d\n", line);
    abort();
}
#define check(condition) check_at((condition), __LINE__)

#endif

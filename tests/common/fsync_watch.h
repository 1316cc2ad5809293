// Replaces fsync in a test program, to see which flushes a writer asks for
// and to make flushing a folder fail on demand.
#ifndef FSYNC_WATCH_H
#define FSYNC_WATCH_H

extern int file_syncs, folder_syncs;  // calls so far, by what was flushed
extern bool folder_sync_fails;        // true: flushing a folder fails with EIO

#endif

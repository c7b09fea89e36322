// The system calls a settings save goes through, one pointer each. The program always uses
// the system's own; a test puts in its own to make one step of a save fail as a full or
// broken disk would, then puts the system's back.
#pragma once

#include <sys/types.h>

struct SaveCalls {
    int (*Open)(const char *path, int flags, mode_t mode);
    ssize_t (*Write)(int fd, const void *data, size_t size);
    int (*Sync)(int fd);
    int (*Close)(int fd);
    int (*Rename)(const char *from, const char *to);
    int (*Unlink)(const char *path);
};

// The calls every save uses; the system's unless a test changed them.
SaveCalls &SettingsSaveCalls();

// The system's own calls.
SaveCalls SystemSaveCalls();

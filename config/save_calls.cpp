#include "save_calls.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace
{
int OpenFile(const char *path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}
} // namespace

SaveCalls SystemSaveCalls()
{
    return {OpenFile, ::write, ::fsync, ::close, std::rename, ::unlink};
}

SaveCalls &SettingsSaveCalls()
{
    static SaveCalls calls = SystemSaveCalls();
    return calls;
}

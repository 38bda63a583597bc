#include "app/platform/windowmodule.h"

#include <climits>
#include <unistd.h>

namespace brevik {

QByteArray windowModulePath()
{
    // The kernel's link to the running executable, whatever path it was started by.
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return QByteArray(BREVIK_WINDOW_MODULE);
    QByteArray executable(path, length);
    return executable.left(executable.lastIndexOf('/') + 1) + BREVIK_WINDOW_MODULE;
}

} // namespace brevik

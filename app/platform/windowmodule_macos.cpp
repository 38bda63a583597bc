#include "app/platform/windowmodule.h"

namespace brevik {

QByteArray windowModulePath()
{
    // dyld reads @executable_path itself: the folder of Brevik.app/Contents/MacOS/Brevik.
    return QByteArray("@executable_path/../PlugIns/") + BREVIK_WINDOW_MODULE;
}

} // namespace brevik

#include "app/window/windowapp.h"

#include <QtGlobal>

namespace brevik {

// The one symbol of the window module: the executable looks it up after loading the module,
// and only when it opens the window.
extern "C" Q_DECL_EXPORT int brevikRunWindow(int *argc, char **argv)
{
    return runWindowApp(*argc, argv);
}

} // namespace brevik

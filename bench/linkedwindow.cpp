// For bench_guard only: the window linked into the executable instead of loaded from its
// module, so that the guard's start-up can be timed both ways.
#include "app/window/windowapp.h"
#include "app/windowloader.h"

namespace brevik {

namespace WindowLoader {

int run(int &argc, char **argv)
{
    return runWindowApp(argc, argv);
}

} // namespace WindowLoader

} // namespace brevik

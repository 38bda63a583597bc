#include "app/windowloader.h"

#include "app/platform/windowmodule.h"

#include <cstdio>
#include <dlfcn.h>

namespace brevik {

namespace WindowLoader {

int run(int &argc, char **argv)
{
    void *module = dlopen(windowModulePath().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "Brevik: 无法加载窗口模块：%s\n", dlerror());
        return 1;
    }
    using Entry = int (*)(int *, char **);
    const auto entry = reinterpret_cast<Entry>(dlsym(module, "brevikRunWindow"));
    if (!entry) {
        std::fprintf(stderr, "Brevik: 窗口模块不完整：%s\n", dlerror());
        return 1;
    }
    // Never unloaded: the process ends with the window.
    return entry(&argc, argv);
}

} // namespace WindowLoader

} // namespace brevik

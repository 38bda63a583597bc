#include "app/windowloader.h"

#include "app/platform/windowmodule.h"
#include "i18n/language.h"

#include <QCoreApplication>

#include <cstdio>
#include <dlfcn.h>

namespace brevik {

namespace {

// The window never opens: say why, in the user's language. Nothing of Qt runs yet, so an
// application of its own carries the translation.
int failed(int &argc, char **argv, const char *text)
{
    // Read first: Qt may load libraries of its own, and a load failing there would replace it.
    const QString reason = QString::fromLocal8Bit(dlerror());
    QCoreApplication app(argc, argv);
    Languages::install(app, Languages::chosen());
    const QString line = QCoreApplication::translate("WindowLoader", text).arg(reason);
    std::fprintf(stderr, "Brevik: %s\n", line.toUtf8().constData());
    return 1;
}

} // namespace

namespace WindowLoader {

int run(int &argc, char **argv)
{
    void *module = dlopen(windowModulePath().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return failed(argc, argv, QT_TRANSLATE_NOOP("WindowLoader", "无法加载窗口模块：%1"));
    using Entry = int (*)(int *, char **);
    const auto entry = reinterpret_cast<Entry>(dlsym(module, "brevikRunWindow"));
    if (!entry)
        return failed(argc, argv, QT_TRANSLATE_NOOP("WindowLoader", "窗口模块不完整：%1"));
    // Never unloaded: the process ends with the window.
    return entry(&argc, argv);
}

} // namespace WindowLoader

} // namespace brevik

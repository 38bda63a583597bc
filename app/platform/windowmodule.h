#pragma once

#include <QByteArray>

namespace brevik {

// Where the window module lies, as dlopen takes it: beside the executable, or on a Mac in
// the bundle's PlugIns. A full path: dlopen's own search would follow the run path of
// whoever calls it, which is not always the executable (a sanitizer wraps dlopen).
QByteArray windowModulePath();

} // namespace brevik

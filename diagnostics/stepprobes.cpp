#include "diagnostics/stepprobes.h"

#include "exec/shell.h"

namespace brevik {

ShellResult StepProbes::run(ProbeKind kind, const QString &command, double timeout) const
{
    return gated(kind, [&] { return shell(command, timeout); });
}

} // namespace brevik

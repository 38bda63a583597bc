#pragma once

#include "model/repairop.h"

#include <QList>
#include <QStringList>

namespace brevik {

// Reads back the settings a repair changed, the way the guardian reads the proxy again after
// switching it off: a command that exited 0 is no proof that the setting holds (networksetup
// may report a refusal in its text only).
namespace EffectCheck {

// Reads back every setting that `ops` leave behind and that can be read back: a proxy kind of
// a service switched off or pointed at a host and port, the DNS servers of a service. Returns
// one line per setting that does not hold, naming the query and what it showed; empty when all
// hold or nothing could be checked.
QStringList unmet(const QList<RepairOp> &ops);

} // namespace EffectCheck

} // namespace brevik

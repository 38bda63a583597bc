#pragma once

#include "model/finding.h"

#include <QList>
#include <QString>

#include <optional>

namespace brevik {

// The words the scan's last finding and the window's banner share when a page came only
// directly: the Mac reaches the web, the apps that use its system proxy do not.
namespace DirectOnly {

// "只有直连能上网：走系统代理的应用仍断网", in the language of the moment.
QString title();

// The repair among `findings` that gives those apps their way out back: the one offered by
// the proxy check's blocking finding (switching the dead proxy off). None when no such
// finding carries a repair, say when the proxy's port answers but the proxy cannot fetch.
std::optional<FixAction> restoringRepair(const QList<Finding> &findings);

// What brings those apps back: that repair by its button's title, or what to do by hand.
QString remedy(const QList<Finding> &findings);

} // namespace DirectOnly

} // namespace brevik

#pragma once

#include <QString>

namespace brevik {

// A system notification, shown through osascript (the user sees it in Notification Centre).
namespace Notification {

// The command line that shows `text` under `title`. Both may hold any characters: they
// become AppleScript string literals inside one single-quoted shell word.
QString command(const QString &title, const QString &text);

} // namespace Notification

} // namespace brevik

#pragma once

#include <QDateTime>

#include <functional>

namespace brevik {

// Where the time of day comes from. Whatever stamps a log line, a journal entry or a report
// takes one, so that a test can hand it a fixed time instead of racing the real one.
using Clock = std::function<QDateTime()>;

inline Clock systemClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

} // namespace brevik

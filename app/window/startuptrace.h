
namespace brevik {
#pragma once

class MainWindow;

// When BREVIK_TRACE_STARTUP=1 is set, reports on standard error when the window has first
// painted (with the number of windows open) and when the first finding has come in, then
// quits: bench_startup times a start of the application by these lines, and the tests count
// the windows of a real start. Otherwise it does nothing.
void traceStartupIfAsked(MainWindow &window);

} // namespace brevik

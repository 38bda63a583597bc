#pragma once

class QApplication;

namespace brevik {

// The language chosen (Qt's own texts in it too), then the application's name, version,
// palette and font, as the window expects them.
void setUpApplication(QApplication &app);

// The desktop application: the window on the real Mac, or on a simulated one off macOS or
// when BREVIK_SIMULATE asks; runs until the window closes or the user quits. Returns the
// exit status.
int runWindowApp(int &argc, char **argv);

} // namespace brevik


namespace brevik {
#pragma once

struct CommandLine;

// The application: started with one of the terminal switches it does that one task
// without any window and ends; otherwise it is the desktop application.
class BrevikApp {
public:
    static int run(int argc, char **argv);

private:
    // One terminal mode, with the interrupts taken.
    static int runMode(const CommandLine &line, int argc, char **argv);
};

} // namespace brevik

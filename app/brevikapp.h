#pragma once

// The application: started with one of the terminal switches it does that one task
// without any window and ends; otherwise it is the desktop application.
class BrevikApp {
public:
    static int run(int argc, char **argv);

private:
    static int runMode(int argc, char **argv);
};

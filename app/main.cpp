#include "app/brevikapp.h"

using namespace brevik;

int main(int argc, char **argv)
{
    return BrevikApp::run(argc, argv);
}

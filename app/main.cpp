#include "app/brevikapp.h"

int main(int argc, char **argv)
{
    return BrevikApp::run(argc, argv);
}

#include <cstdio>

int main()
{
    std::puts("Brevik: the window is not built yet.");
    return 0;
}

// Entry point of the desktop build.
#include <cstdio>

int main(int, char **)
{
    std::printf("Vorn.exe [/?] [/music]\n");
    return 0;
}

// Entry point of the client.
#include <cstdio>

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    std::printf("pldk 5.0: the build works; nothing else is wired into the client executable.\n");
    return 0;
}

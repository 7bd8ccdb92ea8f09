// Prints "x y" of a named control of the main window, for shell scripts.
#include "click_points.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    for (const auto &c : tavrin::testing::at::all)
        if (argc == 2 && std::strcmp(argv[1], c.name) == 0) {
            std::printf("%d %d\n", c.point.x(), c.point.y());
            return 0;
        }
    std::fprintf(stderr, "usage: click_point <control>\n");
    return 2;
}

#include "demo/DemoData.h"

#include <windows.h>

#include <cstdio>
#include <string>

// Writes the demo game's data under "Data" of the folder given:
// demo_data <folder>
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo_data <folder>\n");
        return 2;
    }
    if (!SetCurrentDirectoryA(argv[1])) {
        std::fprintf(stderr, "demo_data: no folder %s\n", argv[1]);
        return 1;
    }
    std::string error;
    if (!WriteDemoData(error)) {
        std::fprintf(stderr, "demo_data: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

#include <giomm/init.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/framework/resource_library.h"
#include "tests/faults/fault_matrix.h"
#include "tests/gui/gui_test.h"

// The fault matrix needs a display (Xvfb in CI); listing its tests or
// printing the matrix for the reliability report (--matrix) does not.
int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--matrix") == 0) {
        Gio::init();
        if (!CResourceLibrary::Load()) {
            std::fprintf(stderr, "fault_tests: the resource library did not load\n");
            return 1;
        }
        WriteMatrixTable(std::cout);
        return 0;
    }
    return RunTestsOnDisplay(argc, argv, "fault_tests");
}

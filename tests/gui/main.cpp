#include "tests/gui/gui_test.h"

// GUI tests need a display (Xvfb in CI); listing them does not.
int main(int argc, char** argv)
{
    return RunTestsOnDisplay(argc, argv, "gui_tests");
}

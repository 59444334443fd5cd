#include <cstdio>

#include "app_init.h"
#include "app/utility_app.h"

int main(int argc, char** argv)
{
    if (!AfxWinInit(&argc, &argv)) {
        std::fprintf(stderr, "apconfig: cannot open the display\n");
        return 1;
    }
    CUtilityApp theApp;
    theApp.InitInstance();
    return theApp.ExitInstance();
}

#include <cstdio>
#include <string>

#include "app/framework/app_init.h"
#include "app/utility_app.h"

int main(int argc, char** argv)
{
    std::string why;
    if (!AfxWinInit(&argc, &argv, &why)) {
        std::fprintf(stderr, "apconfig: cannot open the display: %s\n", why.c_str());
        return 1;
    }
    CUtilityApp theApp;
    theApp.InitInstance();
    return theApp.ExitInstance();
}

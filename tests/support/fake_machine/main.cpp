// A machine with one USB serial adapter, a CP2102 with its by-id name, laid
// out in a fake sysfs tree and device folder for scripts/screenshots, which
// shows them to apconfig as /sys and /dev. Prints the two folders, a line
// each, and keeps them and the adapter's pty until SIGTERM or SIGINT.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <iostream>

#include "tests/support/fake_sysfs.h"

int main()
{
    // Blocked before anything is laid out, so that a stop always ends
    // through the tree's destructor, which removes it.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    try {
        CFakeSysfs tree;
        tree.AddUsb("ttyUSB0", "1-2", CFakeSysfs::kCp2102);
        tree.AddById("usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0", "ttyUSB0");
        std::cout << tree.Sys() << '\n' << tree.Dev() << std::endl;
        int received = 0;
        sigwait(&stop, &received);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fake_machine: %s\n", error.what());
        return 1;
    }
    return 0;
}

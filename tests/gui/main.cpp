#include <gtest/gtest.h>
#include <gtkmm.h>

#include <cstdio>

// GUI tests need a display (Xvfb in CI); listing them does not.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "gui_tests: no display (run under xvfb-run)\n");
        return 1;
    }
    Gtk::Main::init_gtkmm_internals();
    return RUN_ALL_TESTS();
}

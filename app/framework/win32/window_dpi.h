#pragma once

#include <functional>

// The dots per inch a window is shown at, which under per-monitor awareness
// is its monitor's and changes when the window moves to another one. Sizes
// the code gives in pixels are meant at 96.
class CWindowDpi {
public:
    static constexpr unsigned kBase = 96;

    static unsigned Of(void* hWnd);
    // pixels at 96 dpi, at dpi (rounded to the nearest).
    static int Scale(int pixels, unsigned dpi);
    // Tests say what each window's dpi is; null goes back to the system's.
    static void SetSource(std::function<unsigned(void* hWnd)> source);
};

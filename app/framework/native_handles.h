#pragma once

// The toolkit's own windows behind the framework's classes, named without
// the toolkit's headers: for the toolkit's code and the tests that look at
// them. Win32 handles (HWND) are kept opaque.
#ifdef _WIN32
using NativeWidget = void;
using NativeWindow = void;
#else
namespace Gtk {
class Widget;
class Window;
}  // namespace Gtk
using NativeWidget = Gtk::Widget;
using NativeWindow = Gtk::Window;
#endif

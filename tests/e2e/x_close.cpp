// Asks a window to close as a window manager's close button does: a
// WM_DELETE_WINDOW message (the end-to-end scripts run without a window
// manager, and xdotool can only destroy a window, which the program does
// not expect).
//
//   x_close WINDOW
//
// WINDOW is the window's id (decimal or 0x...). Exit status 0 once the X
// server has the message, 1 when the window does not exist or does not take
// WM_DELETE_WINDOW, 2 on a wrong command line.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>

namespace {

int lastError = 0;
int onError(Display*, XErrorEvent* e) {
    lastError = e->error_code;
    return 0;
}

// Whether window w lists WM_DELETE_WINDOW among its WM_PROTOCOLS.
bool takesDelete(Display* d, Window w, Atom deleteWindow) {
    Atom* protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(d, w, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            found = found || protocols[i] == deleteWindow;
        XFree(protocols);
    }
    return found;
}

} // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const unsigned long id = argc == 2 ? std::strtoul(argv[1], &end, 0) : 0;
    if (argc != 2 || id == 0 || *end != '\0') {
        std::fprintf(stderr, "usage: x_close WINDOW\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "x_close: cannot open the X display\n");
        return 1;
    }
    XSetErrorHandler(onError);
    const auto w = static_cast<Window>(id);
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    const bool takes = takesDelete(d, w, deleteWindow);
    XSync(d, False);
    if (lastError != 0 || !takes) {
        std::fprintf(stderr, "x_close: window 0x%lx %s\n", id,
                     lastError ? "does not exist" : "does not take WM_DELETE_WINDOW");
        XCloseDisplay(d);
        return 1;
    }
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = protocols;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(deleteWindow);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    const bool sent = lastError == 0;
    XCloseDisplay(d);
    if (!sent)
        std::fprintf(stderr, "x_close: window 0x%lx went away\n", id);
    return sent ? 0 : 1;
}

// The time from a key to the changed pixels between real programs on an X
// display. Presses a player's Left and Right keys in turn (XTest) to a
// window that has the input focus, and reads a rectangle of that window (a
// playing field), or of another program's window, back to back until its
// picture answers the key.
//
//   x_latency [options] WINDOW X Y WIDTH HEIGHT
//
// WINDOW is the window's id (decimal or 0x...); the rectangle is in the
// window's pixels. Options:
//   --keys N          keys to time (default 200)
//   --every MS        one key every MS milliseconds (default 40)
//   --timeout MS      how long a key may take (default 500)
//   --left KEYSYM     the Left key (default a), --right KEYSYM (default d);
//                     keypad digits (KP_1) are pressed with NumLock on
//   --keys-to WINDOW  the window that gets the timed keys, when it is not
//                     WINDOW (the joiner's keys timed to the host's window)
//   --host WINDOW     the window of the program that runs the game (default:
//                     WINDOW itself); every --restart MS (default 1000, 0 never)
//                     each other shown window of that program (a message),
//                     and of the timed keys' program (a joiner's copy of the
//                     message), gets Return and the host's window F2, so
//                     that a new game starts once one has ended
//   --host-keys LIST  keys (KEYSYM,KEYSYM,...) of another player at the host's
//                     window: one of them, at random, before each timed key
//   --seed N          for that random choice (default 1)
//   --pad FIFO        the timed presses are pad 1's D-pad left and right,
//                     written to the program's pad script (TESSARIN_PAD_SCRIPT)
//                     instead of keys; each is let go just before the next
//   --row             one line of figures for scripts (below)
//   --log FILE        each key: number, ms since the start, what came of it,
//                     ms it took
//   --dump DIR        the pictures before and after each key that changed
//                     something, as PPM files (to check what was counted)
//
// The timed keys are XTest keys, as a keyboard's: they go to the window
// that has the focus, which the tool gives to WINDOW (or --keys-to's)
// before each (a program's message may have taken it). The other player's keys are sent
// to the host's window (XSendEvent) and leave the focus where it is, so
// that the programs see no focus change a player would not make; once a
// second the tool gives the focus to a message for Return, and to the
// host's window for F2.
//
// A key is timed from its press (once the server has it, after XSync) to the
// end of the first read of the rectangle whose columns differ from the
// picture before the key. A falling piece changes the picture too, so for
// each column of pixels the tool compares a sum over the column's pixels: a
// piece that moves down one row over empty cells (all drawn alike) leaves
// every column's sum as it was, while a move sideways changes some. The sum
// over the whole rectangle then tells a move (the same) from a new piece, a
// row cleared or a curtain (not the same): keys answered that way are
// counted apart and left out of the times. A key whose picture changed only
// by falling until the timeout was never answered (the piece was blocked,
// or the key was lost); one whose picture did not change at all came while
// no game ran (between games) and is counted apart too.
//
// Prints the counts and the median, 99th percentile (nearest rank) and
// slowest time; with --row one line: keys answered median_ms p99_ms
// slowest_ms never_answered left_out no_game covered ms_a_read ("covered":
// keys not pressed because another window lay over the rectangle). Exit
// status 1 on any error (the window gone, the rectangle outside it or off
// the screen, no key answered), 2 on a wrong command line.

#include "latency/FieldChange.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tessarin::bench::Answer;
using tessarin::bench::Columns;

// Undoes what the tool changed on the display (the NumLock state), once.
void (*undo)() = nullptr;

[[noreturn]] void fail(const std::string& text) {
    std::fprintf(stderr, "x_latency: %s\n", text.c_str());
    if (auto u = undo) {
        undo = nullptr;
        u();
    }
    std::exit(1);
}

// X errors are noted, not fatal: each request that may fail is checked.
int lastXError = 0;
int onXError(Display*, XErrorEvent* e) {
    lastXError = e->error_code;
    return 0;
}
int onXIOError(Display*) {
    std::fprintf(stderr, "x_latency: the X display went away\n");
    std::exit(1);
}

std::optional<long> number(std::string_view text, long low, long high, int base = 10) {
    if (base == 0 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    } else if (base == 0) {
        base = 10;
    }
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

struct Key {
    KeyCode code = 0;
    // A keysym on the key's second level: reached with Shift, or on the
    // keypad with NumLock (Shift with a keypad key does not reach a Qt
    // program as the keypad's digit).
    bool shift = false, numLock = false;
    std::string name;
};

struct Options {
    Window window = 0;
    int x = 0, y = 0, width = 0, height = 0;
    Window host = 0;
    Window keysTo = 0; // the timed keys' window
    std::string left = "a", right = "d";
    std::vector<std::string> hostKeys;
    long keys = 200, everyMs = 40, timeoutMs = 500, restartMs = 1000, seed = 1;
    bool row = false;
    std::string dump, log, pad;
};

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: x_latency [--keys N] [--every MS] [--timeout MS] [--left KEYSYM] "
                 "[--right KEYSYM]\n"
                 "                 [--keys-to WINDOW] [--host WINDOW] [--host-keys K,K,...] "
                 "[--restart MS] "
                 "[--seed N]\n"
                 "                 [--row] [--log FILE] [--dump DIR] [--pad FIFO] WINDOW X Y WIDTH "
                 "HEIGHT\n");
    std::exit(2);
}

[[noreturn]] void badArgument(const std::string& text) {
    std::fprintf(stderr, "x_latency: %s\n", text.c_str());
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    std::vector<std::string_view> plain;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const auto value = [&]() -> std::string_view {
            if (i + 1 >= argc)
                usage();
            return argv[++i];
        };
        const auto count = [&](long low, long high) {
            const std::string_view v = value();
            const auto n = number(v, low, high);
            if (!n)
                badArgument(std::string(a) + " wants a number from " + std::to_string(low) +
                            " to " + std::to_string(high) + ", not \"" + std::string(v) + "\"");
            return *n;
        };
        if (a == "--keys")
            o.keys = count(1, 1000000);
        else if (a == "--every")
            o.everyMs = count(0, 10000);
        else if (a == "--timeout")
            o.timeoutMs = count(1, 60000);
        else if (a == "--restart")
            o.restartMs = count(0, 3600000);
        else if (a == "--seed")
            o.seed = count(0, 1L << 31);
        else if (a == "--left")
            o.left = value();
        else if (a == "--right")
            o.right = value();
        else if (a == "--host" || a == "--keys-to") {
            const std::string_view v = value();
            const auto id = number(v, 1, 0xffffffffL, 0);
            if (!id)
                badArgument(std::string(a) + " wants a window id, not \"" + std::string(v) + "\"");
            (a == "--host" ? o.host : o.keysTo) = static_cast<Window>(*id);
        } else if (a == "--host-keys") {
            const std::string_view v = value();
            std::size_t from = 0;
            while (from <= v.size()) {
                const std::size_t comma = std::min(v.find(',', from), v.size());
                if (comma > from)
                    o.hostKeys.emplace_back(v.substr(from, comma - from));
                from = comma + 1;
            }
        } else if (a == "--pad")
            o.pad = value();
        else if (a == "--log")
            o.log = value();
        else if (a == "--dump")
            o.dump = value();
        else if (a == "--row")
            o.row = true;
        else if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9'))
            usage();
        else
            plain.push_back(a);
    }
    if (plain.size() != 5)
        usage();
    const auto id = number(plain[0], 1, 0xffffffffL, 0);
    if (!id)
        badArgument("not a window id: \"" + std::string(plain[0]) + "\"");
    o.window = static_cast<Window>(*id);
    int* fields[] = {&o.x, &o.y, &o.width, &o.height};
    for (int i = 0; i < 4; ++i) {
        const auto n = number(plain[1 + i], i < 2 ? 0 : 1, 32767);
        if (!n)
            badArgument("the rectangle wants whole pixels from 0 (the width and height from 1) to "
                        "32767, not \"" +
                        std::string(plain[1 + i]) + "\"");
        *fields[i] = static_cast<int>(*n);
    }
    if (!o.host)
        o.host = o.window;
    if (!o.keysTo)
        o.keysTo = o.window;
    return o;
}

class X {
public:
    X() {
        XSetErrorHandler(onXError);
        XSetIOErrorHandler(onXIOError);
        // A few tries: an X server busy with other clients' connections
        // may close a new one at once (and writing to it would raise SIGPIPE).
        std::signal(SIGPIPE, SIG_IGN);
        for (int attempt = 0; attempt < 5 && !display_; ++attempt) {
            if (attempt)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            display_ = XOpenDisplay(nullptr);
        }
        if (!display_)
            fail("cannot open the X display (is DISPLAY set?)");
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
            fail("the X server has no XTEST extension");
        root_ = DefaultRootWindow(display_);
        pidAtom_ = XInternAtom(display_, "_NET_WM_PID", False);
    }
    ~X() { XCloseDisplay(display_); }
    X(const X&) = delete;
    X& operator=(const X&) = delete;

    Display* display() const { return display_; }
    Window root() const { return root_; }

    // Whether the requests since the last ok() or sync() went through.
    bool ok() {
        XSync(display_, False);
        const bool good = lastXError == 0;
        lastXError = 0;
        return good;
    }
    // The requests so far done, their errors of no interest.
    void sync() { static_cast<void>(ok()); }

    Key key(const std::string& name) {
        const KeySym sym = XStringToKeysym(name.c_str());
        if (sym == NoSymbol)
            fail("no such key: \"" + name + "\" (an X keysym name, e.g. a, d, KP_1, Return)");
        Key k{XKeysymToKeycode(display_, sym), false, false, name};
        if (k.code == 0)
            fail("the keyboard has no key \"" + name + "\"");
        if (XkbKeycodeToKeysym(display_, k.code, 0, 0) != sym) {
            if (XkbKeycodeToKeysym(display_, k.code, 0, 1) != sym)
                fail("the key \"" + name + "\" is on neither of its key's first two levels");
            (IsKeypadKey(sym) ? k.numLock : k.shift) = true;
        }
        return k;
    }
    void press(const Key& k, bool down) {
        static const KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
        if (k.shift && down)
            XTestFakeKeyEvent(display_, shift, True, 0);
        XTestFakeKeyEvent(display_, k.code, down, 0);
        if (k.shift && !down)
            XTestFakeKeyEvent(display_, shift, False, 0);
    }
    // NumLock on for the whole run (keypad digits), as it was at the end.
    void lockNumLock() {
        numLockMask_ = XkbKeysymToModifiers(display_, XK_Num_Lock);
        if (numLockMask_ == 0)
            fail("the keyboard has no NumLock, which the keypad keys need");
        XkbStateRec state{};
        XkbGetState(display_, XkbUseCoreKbd, &state);
        numLockWas_ = state.locked_mods & numLockMask_;
        XkbLockModifiers(display_, XkbUseCoreKbd, numLockMask_, numLockMask_);
        sync();
        live_ = this;
        undo = [] { live_->unlockNumLock(); };
    }
    void unlockNumLock() {
        if (numLockMask_ == 0)
            return;
        XkbLockModifiers(display_, XkbUseCoreKbd, numLockMask_, numLockWas_);
        sync();
        numLockMask_ = 0;
    }
    // A whole key stroke, sent and seen by the server.
    void tap(const Key& k) {
        press(k, true);
        press(k, false);
        sync();
    }
    // A whole key stroke sent to window w, whatever has the focus.
    void send(Window w, const Key& k) {
        XKeyEvent e{};
        e.display = display_;
        e.window = w;
        e.root = root_;
        e.time = CurrentTime;
        e.x = e.y = e.x_root = e.y_root = 1;
        e.same_screen = True;
        e.keycode = k.code;
        e.state = (k.shift ? ShiftMask : 0) | (k.numLock ? numLockMask_ : 0);
        for (const int type : {KeyPress, KeyRelease}) {
            e.type = type;
            XEvent event{};
            event.xkey = e;
            XSendEvent(display_, w, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
        }
        sync();
    }
    // Whether window w took the focus (it may have gone meanwhile).
    bool focus(Window w) {
        sync();
        XSetInputFocus(display_, w, RevertToParent, CurrentTime);
        return ok();
    }

    // The program's process id (_NET_WM_PID), 0 when not known.
    unsigned long pid(Window w) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        unsigned long pid = 0;
        if (XGetWindowProperty(display_, w, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data && type == XA_CARDINAL && format == 32 && items == 1)
            pid = *reinterpret_cast<unsigned long*>(data);
        if (data)
            XFree(data);
        lastXError = 0;
        return pid;
    }

    // The windows directly under the root, bottom to top.
    std::vector<Window> topLevels() {
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        std::vector<Window> out;
        if (XQueryTree(display_, root_, &rootReturn, &parent, &children, &n) && children)
            out.assign(children, children + n);
        if (children)
            XFree(children);
        return out;
    }

    // The window under the root that holds w (w itself without a window
    // manager), or 0 when w is gone.
    Window topLevelOf(Window w) {
        for (int depth = 0; depth < 64; ++depth) {
            Window rootReturn = 0, parent = 0, *children = nullptr;
            unsigned int n = 0;
            const Status status = XQueryTree(display_, w, &rootReturn, &parent, &children, &n);
            if (children)
                XFree(children);
            if (!status || !ok())
                return 0;
            if (parent == root_ || parent == 0)
                return w;
            w = parent;
        }
        return 0;
    }

    static std::string hex(Window w) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%lx", w);
        return text;
    }

private:
    Display* display_ = nullptr;
    Window root_ = 0;
    Atom pidAtom_ = None;
    unsigned numLockMask_ = 0, numLockWas_ = 0;
    static inline X* live_ = nullptr;
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool overlaps(const Rect& r) const {
        return x < r.x + r.width && r.x < x + width && y < r.y + r.height && r.y < y + height;
    }
};

// Where the rectangle stands: fails with the reason when the window is
// gone, not shown, smaller than the rectangle, or the rectangle is not all
// on the screen. Returns whether another window lies over it.
bool checkRectangle(X& x, const Options& o) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(x.display(), o.window, &a) || !x.ok())
        fail("window " + X::hex(o.window) + " does not exist (any more)");
    if (a.map_state != IsViewable)
        fail("window " + X::hex(o.window) + " is not shown");
    if (o.x + o.width > a.width || o.y + o.height > a.height)
        fail("the rectangle " + std::to_string(o.width) + "x" + std::to_string(o.height) + "+" +
             std::to_string(o.x) + "+" + std::to_string(o.y) + " is not inside window " +
             X::hex(o.window) + " (" + std::to_string(a.width) + "x" + std::to_string(a.height) +
             ")");
    int rx = 0, ry = 0;
    Window child = 0;
    if (!XTranslateCoordinates(x.display(), o.window, x.root(), o.x, o.y, &rx, &ry, &child) ||
        !x.ok())
        fail("window " + X::hex(o.window) + " is not on this screen");
    XWindowAttributes r{};
    XGetWindowAttributes(x.display(), x.root(), &r);
    const Rect onScreen{rx, ry, o.width, o.height};
    if (rx < 0 || ry < 0 || rx + o.width > r.width || ry + o.height > r.height)
        fail("the rectangle is not all on the screen (at " + std::to_string(rx) + "," +
             std::to_string(ry) + " of " + std::to_string(r.width) + "x" +
             std::to_string(r.height) + ")");
    // Windows above ours that cover part of the rectangle.
    const Window top = x.topLevelOf(o.window);
    if (!top)
        fail("window " + X::hex(o.window) + " does not exist (any more)");
    const std::vector<Window> all = x.topLevels();
    const auto it = std::find(all.begin(), all.end(), top);
    for (auto above = it == all.end() ? all.end() : it + 1; above != all.end(); ++above) {
        XWindowAttributes b{};
        if (!XGetWindowAttributes(x.display(), *above, &b) || !x.ok())
            continue;
        if (b.map_state == IsViewable && onScreen.overlaps({b.x, b.y, b.width + 2 * b.border_width,
                                                            b.height + 2 * b.border_width}))
            return true;
    }
    return false;
}

// Reads the rectangle, through shared memory when the server offers it.
class Grabber {
public:
    Grabber(X& x, const Options& o) : x_(x), o_(o) {
        Display* d = x.display();
        Visual* visual = DefaultVisual(d, DefaultScreen(d));
        const int depth = DefaultDepth(d, DefaultScreen(d));
        if (depth != 24 && depth != 32)
            fail("the screen's depth is " + std::to_string(depth) + " bits; 24 or 32 are needed");
        if (XShmQueryExtension(d)) {
            image_ =
                XShmCreateImage(d, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm_,
                                static_cast<unsigned>(o.width), static_cast<unsigned>(o.height));
            if (image_) {
                shm_.shmid = shmget(IPC_PRIVATE,
                                    static_cast<std::size_t>(image_->bytes_per_line) *
                                        static_cast<std::size_t>(image_->height),
                                    IPC_CREAT | 0600);
                if (shm_.shmid >= 0) {
                    shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
                    shm_.readOnly = False;
                    if (shm_.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(d, &shm_) &&
                        x.ok()) {
                        // Removed now, freed once both sides have let go.
                        shmctl(shm_.shmid, IPC_RMID, nullptr);
                        shared_ = true;
                    } else {
                        if (shm_.shmaddr != reinterpret_cast<char*>(-1))
                            shmdt(shm_.shmaddr);
                        shmctl(shm_.shmid, IPC_RMID, nullptr);
                    }
                }
                if (!shared_) {
                    image_->data = nullptr;
                    XDestroyImage(image_);
                    image_ = nullptr;
                }
            }
        }
        picture_.resize(static_cast<std::size_t>(o.width) * static_cast<std::size_t>(o.height));
    }
    ~Grabber() {
        if (shared_) {
            XShmDetach(x_.display(), &shm_);
            XSync(x_.display(), False);
            shmdt(shm_.shmaddr);
            image_->data = nullptr;
        }
        if (image_)
            XDestroyImage(image_);
    }
    Grabber(const Grabber&) = delete;
    Grabber& operator=(const Grabber&) = delete;

    bool shared() const { return shared_; }
    // The pixels last read.
    const std::vector<uint32_t>& last() const { return picture_; }

    // Reads the rectangle; the pixels as 0xRRGGBB, row by row. One round
    // trip to the server: both calls wait for the reply and fail on an error.
    const std::vector<uint32_t>& read() {
        XImage* image = image_;
        if (shared_) {
            if (!XShmGetImage(x_.display(), o_.window, image_, o_.x, o_.y, AllPlanes))
                lost();
        } else {
            image = XGetImage(x_.display(), o_.window, o_.x, o_.y, static_cast<unsigned>(o_.width),
                              static_cast<unsigned>(o_.height), AllPlanes, ZPixmap);
            if (!image)
                lost();
        }
        if (image->bits_per_pixel != 32) {
            fail("the screen has " + std::to_string(image->bits_per_pixel) +
                 " bits a pixel; 32 are needed");
        }
        for (int row = 0; row < o_.height; ++row) {
            const char* from =
                image->data + static_cast<std::ptrdiff_t>(row) * image->bytes_per_line;
            uint32_t* to = picture_.data() + static_cast<std::size_t>(row) * o_.width;
            std::memcpy(to, from, static_cast<std::size_t>(o_.width) * 4);
            for (int col = 0; col < o_.width; ++col)
                to[col] &= 0xffffff;
        }
        if (!shared_)
            XDestroyImage(image);
        return picture_;
    }

private:
    [[noreturn]] void lost() {
        // Say why, as exactly as the window's state tells.
        x_.sync();
        checkRectangle(x_, o_);
        fail("cannot read the rectangle of window " + X::hex(o_.window));
    }

    X& x_;
    const Options& o_;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool shared_ = false;
    std::vector<uint32_t> picture_;
};

// The picture as a PPM file, to look at.
void writePicture(const std::string& path, const std::vector<uint32_t>& picture, int width) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot write " + path);
    const std::size_t height = picture.size() / static_cast<std::size_t>(width);
    std::fprintf(f, "P6\n%d %zu\n255\n", width, height);
    for (const uint32_t p : picture) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                      static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    X x;
    const Key left = x.key(o.left), right = x.key(o.right);
    const Key enter = x.key("Return"), f2 = x.key("F2");
    std::vector<Key> hostKeys;
    for (const std::string& name : o.hostKeys)
        hostKeys.push_back(x.key(name));
    if (left.numLock || right.numLock ||
        std::any_of(hostKeys.begin(), hostKeys.end(), [](const Key& k) { return k.numLock; }))
        x.lockNumLock();
    if (checkRectangle(x, o))
        fail("another window covers the rectangle of window " + X::hex(o.window));
    XWindowAttributes hostAttributes{};
    if (!XGetWindowAttributes(x.display(), o.host, &hostAttributes) || !x.ok() ||
        hostAttributes.map_state != IsViewable)
        fail("the host's window " + X::hex(o.host) + " does not exist or is not shown");
    XWindowAttributes keysAttributes{};
    if (!XGetWindowAttributes(x.display(), o.keysTo, &keysAttributes) || !x.ok() ||
        keysAttributes.map_state != IsViewable)
        fail("the keys' window " + X::hex(o.keysTo) + " does not exist or is not shown");
    const unsigned long hostPid = x.pid(o.host);
    if (o.restartMs > 0 && hostPid == 0)
        fail("the host's window " + X::hex(o.host) + " does not say its process (_NET_WM_PID)");
    const Window hostTop = x.topLevelOf(o.host);
    // The program of the timed keys' window (a joiner) shows the host's
    // messages too, each to be closed on its side.
    const unsigned long keysPid = x.pid(o.keysTo);
    const Window keysTop = x.topLevelOf(o.keysTo), readTop = x.topLevelOf(o.window);

    Grabber grabber(x, o);
    FILE* log = nullptr;
    if (!o.log.empty() && !(log = std::fopen(o.log.c_str(), "w")))
        fail("cannot write " + o.log);
    FILE* pad = nullptr;
    if (!o.pad.empty() && !(pad = std::fopen(o.pad.c_str(), "w")))
        fail("cannot write the pad script " + o.pad);
    const auto start = Clock::now();
    std::mt19937 random(static_cast<std::mt19937::result_type>(o.seed));
    std::vector<double> times;
    long answeredOther = 0, never = 0, noGame = 0, covered = 0, reads = 0;
    Clock::duration readTime{};
    const auto every = std::chrono::milliseconds(o.everyMs);
    const auto timeout = std::chrono::milliseconds(o.timeoutMs);
    auto nextRestart = Clock::now() + std::chrono::milliseconds(o.restartMs);
    auto slot = Clock::now();
    // The programs move the focus too (a message takes it, and gives it
    // back to no window when it closes): it is asked each time.
    const auto focused = [&] {
        Window w = 0;
        int revert = 0;
        XGetInputFocus(x.display(), &w, &revert);
        return w;
    };
    // The focus to one of the game's windows, which must be there.
    const auto focus = [&](Window w) {
        if (focused() != w && !x.focus(w))
            fail("cannot give the focus to window " + X::hex(w) + " (gone, or not shown)");
    };

    for (long i = 0; i < o.keys; ++i) {
        std::this_thread::sleep_until(slot);
        slot = std::max(slot + every, Clock::now());
        if (o.restartMs > 0 && Clock::now() >= nextRestart) {
            nextRestart += std::chrono::milliseconds(o.restartMs);
            // Return on the other windows (messages) of the host's program
            // and of the keys' program, then F2.
            for (const Window w : x.topLevels()) {
                XWindowAttributes a{};
                if (w == hostTop || w == keysTop || w == readTop ||
                    !XGetWindowAttributes(x.display(), w, &a) || !x.ok() ||
                    a.map_state != IsViewable || a.c_class != InputOutput)
                    continue;
                const unsigned long pid = x.pid(w);
                if (pid != hostPid && (pid == 0 || pid != keysPid))
                    continue;
                // A message may close before it has the focus.
                if (focused() == w || x.focus(w))
                    x.tap(enter);
            }
            focus(o.host);
            x.tap(f2);
        }
        if (!hostKeys.empty())
            x.send(o.host, hostKeys[random() % hostKeys.size()]);
        focus(o.keysTo);
        if (checkRectangle(x, o)) {
            if (log)
                std::fprintf(
                    log, "%ld %.1f covered 0\n", i,
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            ++covered;
            continue;
        }
        const std::vector<uint32_t> beforePicture = grabber.read();
        const Columns before(beforePicture, o.width);
        const Key& key = i % 2 ? right : left;
        Clock::time_point pressed;
        if (pad) {
            const char* direction = i % 2 ? "right" : "left";
            if (i > 0)
                std::fprintf(pad, "1 release %s\n", i % 2 ? "left" : "right");
            std::fprintf(pad, "1 press %s\n", direction);
            std::fflush(pad);
            pressed = Clock::now();
        } else {
            x.press(key, true);
            x.sync();
            pressed = Clock::now();
            x.press(key, false);
            XFlush(x.display());
        }
        bool changed = false;
        Answer answer = Answer::Nothing;
        Clock::time_point seen;
        for (auto readAt = pressed; readAt - pressed < timeout; readAt = seen) {
            const std::vector<uint32_t>& now = grabber.read();
            seen = Clock::now();
            ++reads;
            readTime += seen - readAt;
            if (now == beforePicture)
                continue;
            changed = true;
            answer = tessarin::bench::compare(before, now, o.width);
            if (answer != Answer::Nothing)
                break;
        }
        if (!o.dump.empty() && changed) {
            const char* kind = answer == Answer::Moved   ? "moved"
                               : answer == Answer::Other ? "other"
                                                         : "never";
            const std::string name = o.dump + "/" + std::to_string(i) + "-" + kind + "-";
            writePicture(name + "before.ppm", beforePicture, o.width);
            writePicture(name + "after.ppm", grabber.last(), o.width);
        }
        if (log)
            std::fprintf(log, "%ld %.1f %s %.3f\n", i,
                         std::chrono::duration<double, std::milli>(pressed - start).count(),
                         answer == Answer::Moved   ? "answered"
                         : answer == Answer::Other ? "other"
                         : changed                 ? "never"
                                                   : "still",
                         std::chrono::duration<double, std::milli>(seen - pressed).count());
        if (answer == Answer::Moved)
            times.push_back(std::chrono::duration<double, std::milli>(seen - pressed).count());
        else if (answer == Answer::Other)
            ++answeredOther;
        else if (changed)
            ++never;
        else
            ++noGame;
    }
    focus(o.keysTo);
    x.unlockNumLock();
    if (log)
        std::fclose(log);

    std::sort(times.begin(), times.end());
    const double median = times.empty() ? 0 : tessarin::bench::percentile(times, 0.5);
    const double p99 = times.empty() ? 0 : tessarin::bench::percentile(times, 0.99);
    const double slowest = times.empty() ? 0 : times.back();
    const double perRead =
        reads ? std::chrono::duration<double, std::milli>(readTime).count() / reads : 0;
    if (o.row) {
        std::printf("%ld %zu %.2f %.2f %.2f %ld %ld %ld %ld %.3f\n", o.keys, times.size(), median,
                    p99, slowest, never, answeredOther, noGame, covered, perRead);
    } else {
        std::printf("keys %ld: answered %zu, never answered %ld, answered with a new piece, a row "
                    "cleared or a curtain (left out) %ld, no game running %ld, rectangle covered "
                    "%ld\n",
                    o.keys, times.size(), never, answeredOther, noGame, covered);
        if (!times.empty())
            std::printf("key to pixels: median %.2f ms, 99th percentile %.2f ms, slowest %.2f ms "
                        "(one read of the rectangle through %s took %.3f ms on average)\n",
                        median, p99, slowest, grabber.shared() ? "shared memory" : "XGetImage",
                        perRead);
    }
    return times.empty() ? 1 : 0;
}

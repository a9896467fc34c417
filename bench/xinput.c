/* velmar-xinput: how soon a window on an X display answers real input, as an operator meets it.
 *
 * A key typed through XTest (alternately BackSpace and "1", so that every key changes the focused
 * field) is timed to the first repaint of that field, seen through the DAMAGE extension. The field is
 * found before anything else runs: what Ctrl+A and a "1" typed over the selection repaint (nothing
 * else changes on the window then). A key's echo is the first damage after it that meets the field: the
 * caret's blink, which also repaints there, waits half a second after each key, and keys come every few
 * tens of ms. After
 * each key, a _NET_WM_PING is timed to its answer, as a window manager asks whether a window still
 * responds.
 *
 * While it measures, SENDERS copies of the command after "--" run (at idle priority with --idle, as
 * SCHED_IDLE), started after the field is found and ended before it prints. It prints one line per
 * sample, "key MS ping MS"; a key or ping not answered within 2 s counts as 2000 ms.
 *
 * Usage: velmar-xinput PID SAMPLES [--senders N [--idle] -- COMMAND ARGS...]
 */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <sched.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { MostSenders = 16, GiveUpMs = 2000 };

static Display *display;
static int damageEvent;

static double NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

/* The next event within what is left of `deadline`, or 0 when none came in time. */
static int NextEvent(XEvent *event, double deadline)
{
    while (!XPending(display)) {
        const double left = deadline - NowMs();
        if (left <= 0)
            return 0;
        struct timeval wait = {(time_t)(left / 1e3), (suseconds_t)((left - (long)(left / 1e3) * 1e3) * 1e3)};
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        select(ConnectionNumber(display) + 1, &fds, NULL, NULL, &wait);
    }
    XNextEvent(display, event);
    return 1;
}

/* The mapped top-level window of process `pid` (its _NET_WM_PID), waiting up to ten seconds. */
static Window WindowOf(long pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    for (int tries = 0; tries < 500; ++tries) {
        if (tries)
            usleep(20000);
        Window root, parent, *children = NULL;
        unsigned int count = 0;
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
            continue;
        Window found = 0;
        for (unsigned int i = 0; i < count && !found; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            Atom type;
            int format;
            unsigned long items, after;
            unsigned char *value = NULL;
            if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                                   &items, &after, &value) == Success &&
                value && items == 1 && *(long *)value == pid)
                found = children[i];
            if (value)
                XFree(value);
        }
        if (children)
            XFree(children);
        if (found)
            return found;
    }
    return 0;
}

static void Type(KeySym symbol)
{
    const KeyCode code = XKeysymToKeycode(display, symbol);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XFlush(display);
}

static void SelectAll(void)
{
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    XTestFakeKeyEvent(display, control, True, CurrentTime);
    Type(XK_a);
    XTestFakeKeyEvent(display, control, False, CurrentTime);
    XFlush(display);
}

typedef struct
{
    int x, y, width, height;
} Box;

static int Meets(const XDamageNotifyEvent *damage, Box box)
{
    return damage->area.x < box.x + box.width && box.x < damage->area.x + damage->area.width &&
           damage->area.y < box.y + box.height && box.y < damage->area.y + damage->area.height;
}

/* What a Ctrl+A and a "1" repaint within 300 ms, as one box; empty when nothing was. */
static Box FocusedField(void)
{
    SelectAll();
    Type(XK_1);
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    XEvent event;
    const double deadline = NowMs() + 300;
    while (NextEvent(&event, deadline)) {
        if (event.type != damageEvent + XDamageNotify)
            continue;
        const XRectangle area = ((const XDamageNotifyEvent *)&event)->area;
        left = area.x < left ? area.x : left;
        top = area.y < top ? area.y : top;
        right = area.x + area.width > right ? area.x + area.width : right;
        bottom = area.y + area.height > bottom ? area.y + area.height : bottom;
    }
    return right < 0 ? (Box){0, 0, 0, 0} : (Box){left, top, right - left, bottom - top};
}

/* Milliseconds from the key to the first repaint of the field, GiveUpMs when none came. */
static double KeyToRepaint(KeySym symbol, Box field)
{
    const double start = NowMs();
    Type(symbol);
    XEvent event;
    while (NextEvent(&event, start + GiveUpMs))
        if (event.type == damageEvent + XDamageNotify && Meets((const XDamageNotifyEvent *)&event, field))
            return NowMs() - start;
    return GiveUpMs;
}

static double PingAnswered(Window window, long serial)
{
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)ping;
    event.xclient.data.l[1] = serial;
    event.xclient.data.l[2] = (long)window;
    const double start = NowMs();
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    while (NextEvent(&event, start + GiveUpMs))
        if (event.type == ClientMessage && event.xclient.message_type == protocols &&
            (Atom)event.xclient.data.l[0] == ping && event.xclient.data.l[1] == serial)
            return NowMs() - start;
    return GiveUpMs;
}

/* Whatever is queued, read and dropped: the damage of a flood's fields, the answers of the last sample. */
static void Settle(int ms)
{
    XEvent event;
    const double deadline = NowMs() + ms;
    while (NextEvent(&event, deadline)) {
    }
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: velmar-xinput PID SAMPLES [--senders N [--idle] -- COMMAND ARGS...]\n");
        return 2;
    }
    const long pid = atol(argv[1]);
    const int samples = atoi(argv[2]);
    int senders = 0, idle = 0;
    char **command = NULL;
    for (int i = 3; i < argc; ++i) {
        if (!strcmp(argv[i], "--senders") && i + 1 < argc)
            senders = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--idle"))
            idle = 1;
        else if (!strcmp(argv[i], "--") && i + 1 < argc) {
            command = argv + i + 1;
            break;
        }
    }
    if (senders < 0 || senders > MostSenders || (senders && !command)) {
        fprintf(stderr, "velmar-xinput: at most %d senders, and a command for them\n", MostSenders);
        return 2;
    }
    display = XOpenDisplay(NULL);
    int errorBase, testEvent, major, minor;
    if (!display || !XDamageQueryExtension(display, &damageEvent, &errorBase) ||
        !XTestQueryExtension(display, &testEvent, &errorBase, &major, &minor)) {
        fprintf(stderr, "velmar-xinput: no X display with the DAMAGE and XTEST extensions\n");
        return 1;
    }
    const Window window = WindowOf(pid);
    if (!window) {
        fprintf(stderr, "velmar-xinput: process %ld shows no window\n", pid);
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), StructureNotifyMask | SubstructureNotifyMask);
    XDamageCreate(display, window, XDamageReportRawRectangles);
    XRaiseWindow(display, window); /* another window measured before may cover it */
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    Settle(300);

    const Box field = FocusedField();
    if (!field.width) {
        fprintf(stderr, "velmar-xinput: a key repainted nothing: no entry field has the focus\n");
        return 1;
    }
    fprintf(stderr, "velmar-xinput: the focused field is %dx%d at %d,%d\n", field.width, field.height, field.x,
            field.y);
    const KeySym keys[2] = {XK_BackSpace, XK_1};

    pid_t children[MostSenders];
    for (int i = 0; i < senders; ++i) {
        children[i] = fork();
        if (children[i] == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM); /* a measurement killed midway leaves no flood behind */
            if (idle) {
                const struct sched_param none = {0};
                sched_setscheduler(0, SCHED_IDLE, &none);
            }
            execvp(command[0], command);
            _exit(127);
        }
    }
    if (senders)
        Settle(300); /* the flood fills the socket's queue */

    srand(1);
    for (int i = 0; i < samples; ++i) {
        Settle(10 + rand() % 20);
        const double key = KeyToRepaint(keys[i % 2], field);
        const double ping = PingAnswered(window, 1000 + i);
        printf("key %.3f ping %.3f\n", key, ping);
    }
    for (int i = 0; i < senders; ++i) {
        kill(children[i], SIGTERM);
        waitpid(children[i], NULL, 0);
    }
    if (samples % 2)
        Type(keys[1]); /* the field holds "1" again, as after the first key */
    XCloseDisplay(display);
    return 0;
}

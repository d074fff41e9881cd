#!/usr/bin/python3
"""A person's hands and eyes on a headless GNOME Shell, through its D-Bus interfaces.

gnome_remote.py shot FILE      the screen as the shell shows it, as a PNG
gnome_remote.py scale S        the virtual monitor at scale S (for this session only)
gnome_remote.py click X Y      the pointer onto X,Y (logical pixels) from a little above left, a click
gnome_remote.py hover X Y      the same without the click
gnome_remote.py key KEYSYM...  keys pressed in turn and let go in reverse (Ctrl+Q: 0xffe3 0x71)
gnome_remote.py serve          the commands above one a line from standard input, "done" after each

The pointer goes through mutter's remote desktop, by relative motion from the bottom right corner,
which clamps it: absolute motion needs a screen-cast stream, and so PipeWire.
"""
import sys
import time

from gi.repository import Gio, GLib

BUS = Gio.bus_get_sync(Gio.BusType.SESSION, None)
RD = "org.gnome.Mutter.RemoteDesktop"
CONFIG = "org.gnome.Mutter.DisplayConfig"


def call(name, path, interface, method, args=None):
    return BUS.call_sync(name, path, interface, method, args, None, Gio.DBusCallFlags.NONE, 20000, None)


def shot(path):
    # The shell gives screenshots only to a few callers, a screenshot tool among them.
    call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
         GLib.Variant("(su)", ("org.gnome.Screenshot", 4)))
    ok, _ = call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                 "org.gnome.Shell.Screenshot", "Screenshot",
                 GLib.Variant("(bbs)", (False, False, path))).unpack()
    if not ok:
        sys.exit("the shell took no screenshot")


def logical_size():
    _, monitors, logical, _ = call(CONFIG, "/org/gnome/Mutter/DisplayConfig", CONFIG,
                                   "GetCurrentState").unpack()
    _, modes, _ = monitors[0]
    mode = next(m for m in modes if m[6].get("is-current"))
    return mode[1] / logical[0][2], mode[2] / logical[0][2]


def scale(factor):
    serial, monitors, _, _ = call(CONFIG, "/org/gnome/Mutter/DisplayConfig", CONFIG,
                                  "GetCurrentState").unpack()
    spec, modes, _ = monitors[0]
    mode = next(m[0] for m in modes if m[6].get("is-current"))
    wanted = min((s for m in modes if m[0] == mode for s in m[5]), key=lambda s: abs(s - factor))
    logical = [(0, 0, wanted, 0, True, [(spec[0], mode, {})])]
    call(CONFIG, "/org/gnome/Mutter/DisplayConfig", CONFIG, "ApplyMonitorsConfig",
         GLib.Variant("(uua(iiduba(ssa{sv}))a{sv})", (serial, 1, logical, {})))


class Hands:
    """One remote-desktop session for the whole test: a session's end takes its devices away."""

    def __init__(self):
        (self.session,) = call(RD, "/org/gnome/Mutter/RemoteDesktop", RD, "CreateSession").unpack()
        self.interface = RD + ".Session"
        self.send("Start")

    def send(self, method, signature=None, *args):
        call(RD, self.session, self.interface, method, GLib.Variant(signature, args) if signature else None)

    def motion(self, dx, dy):
        self.send("NotifyPointerMotionRelative", "(dd)", dx, dy)
        time.sleep(0.05)

    def do(self, action, *args):
        if action in ("click", "hover"):
            x, y = float(args[0]), float(args[1])
            # From the bottom right corner, which clamps the pointer: the top left one is the
            # shell's hot corner, whose barriers hold the pointer back.
            width, height = logical_size()
            self.motion(100000, 100000)
            self.motion(x - 8 - (width - 1), y - 10 - (height - 1))
            time.sleep(0.3)
            self.motion(8, 10)
            time.sleep(0.3)
            if action == "click":
                for pressed in (True, False):
                    self.send("NotifyPointerButton", "(ib)", 272, pressed)
                    time.sleep(0.05)
        elif action == "key":
            keys = [int(key, 0) for key in args]
            for key, pressed in [(k, True) for k in keys] + [(k, False) for k in reversed(keys)]:
                self.send("NotifyKeyboardKeysym", "(ub)", key, pressed)
                time.sleep(0.05)
        elif action == "shot":
            shot(args[0])
        elif action == "scale":
            scale(float(args[0]))


if __name__ == "__main__":
    if sys.argv[1] == "serve":
        # Commands one a line on standard input, each answered with "done" once carried out.
        hands = Hands()
        for line in sys.stdin:
            hands.do(*line.split())
            print("done", flush=True)
    elif sys.argv[1] == "shot":
        shot(sys.argv[2])
    elif sys.argv[1] == "scale":
        scale(float(sys.argv[2]))

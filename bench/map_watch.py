#!/usr/bin/python3
"""Writes, as they arrive, the MapNotify and ReparentNotify events of the root
window's children on the X display $DISPLAY, each with the moment it was read.

  map_watch.py OUTPUT

Each line of OUTPUT is one event:
  ready                           the watch is in place (written once, first)
  <monotonic s> map <window>      a child of the root became mapped
  <monotonic s> reparent <window> <parent>
                                  a child of the root went into a window
                                  manager's frame (the client and its frame)
Windows are hexadecimal ids. The moments are time.monotonic(), a clock every
process of the machine shares, so they compare with the benchmark's own.

Why events and not polling: a window's mapping is one event on the server, and
a blocked XNextEvent returns within a scheduling delay of it, where a poll
would only know it to within its interval.
"""

import ctypes
import ctypes.util
import sys
import time

_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
_MAP_NOTIFY = 19
_REPARENT_NOTIFY = 21


class _EventHead(ctypes.Structure):
    # What XMapEvent and XReparentEvent share, and the parent the second adds.
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("parent", ctypes.c_ulong)]


class _XEvent(ctypes.Union):
    # Xlib's XEvent: 24 longs whatever the event.
    _fields_ = [("head", _EventHead), ("pad", ctypes.c_long * 24)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_XEvent)]

    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("map_watch: cannot open the display")
    x.XSelectInput(display, x.XDefaultRootWindow(display), _SUBSTRUCTURE_NOTIFY_MASK)
    x.XSync(display, 0)  # the selection is in force before anyone is told so

    event = _XEvent()
    with open(sys.argv[1], "w", encoding="ascii", buffering=1) as out:
        out.write("ready\n")
        while True:
            x.XNextEvent(display, ctypes.byref(event))
            moment = time.monotonic()
            head = event.head
            if head.type == _MAP_NOTIFY:
                out.write(f"{moment:.6f} map {head.window:#x}\n")
            elif head.type == _REPARENT_NOTIFY:
                out.write(f"{moment:.6f} reparent {head.window:#x} {head.parent:#x}\n")


if __name__ == "__main__":
    main()

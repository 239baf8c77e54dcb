#!/usr/bin/python3
"""Plain Xlib calls the real-window tests need where xdotool falls short. No accessibility
here, so the install test can use it from the shell too:

    python3 tests/e2e/xwindow.py close XID
"""

import ctypes
import sys


class _XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                ("pad", ctypes.c_long * 12)]  # an XEvent is 24 longs


def _xlib():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


def _open(x11):
    dpy = x11.XOpenDisplay(None)
    if not dpy:
        raise RuntimeError("cannot open the X display")
    return dpy


def selection_owner(name):
    """The window owning an X selection (a tray host owns _NET_SYSTEM_TRAY_S0), or 0."""
    x11 = _xlib()
    dpy = _open(x11)
    try:
        return x11.XGetSelectionOwner(dpy, x11.XInternAtom(dpy, name.encode(), 0))
    finally:
        x11.XCloseDisplay(dpy)


def ask_window_to_close(xid):
    """What a window manager does for the title-bar close button: sends WM_DELETE_WINDOW.

    xdotool's windowclose destroys the X window behind the program's back instead.
    """
    x11 = _xlib()
    dpy = _open(x11)
    try:
        ev = _XClientMessage()
        ev.type = 33  # ClientMessage
        ev.window = xid
        ev.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        ev.format = 32
        ev.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        ev.data[1] = 0  # CurrentTime
        x11.XSendEvent(dpy, xid, 0, 0, ctypes.byref(ev))
        x11.XFlush(dpy)
    finally:
        x11.XCloseDisplay(dpy)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] != "close":
        sys.exit("usage: xwindow.py close XID")
    ask_window_to_close(int(sys.argv[2]))

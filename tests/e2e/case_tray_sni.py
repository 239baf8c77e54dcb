"""Hiding to the notification area of a StatusNotifier host and coming back with its left
click, Activate. The host is sni_watcher.py on the suite's private session bus."""

import os
import sys

from gi.repository import Gio, GLib

from harness import case, expect, expect_equal, wait_for

MAIN = "Kelvane0.4测试版"
OTHER = "打字速度测试1"
WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
HERE = os.path.dirname(os.path.abspath(__file__))


def call(dest, path, iface, method, args=None, reply=None):
    """A method call on the session bus; returns once the callee has answered."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    return bus.call_sync(dest, path, iface, method, args,
                         GLib.VariantType.new(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 5000, None).unpack()


def prop(dest, path, iface, name):
    return call(dest, path, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", (iface, name)), "(v)")[0]


def bus_daemon(method, arg, reply):
    return call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
                GLib.Variant("(s)", (arg,)), reply)[0]


def items():
    return prop(WATCHER, "/StatusNotifierWatcher", WATCHER, "RegisteredStatusNotifierItems")


def start_host(run):
    # Qt looks for a host once per process, so the host is up before the program starts.
    run.spawn([sys.executable, os.path.join(HERE, "sni_watcher.py")])
    wait_for(lambda: bus_daemon("NameHasOwner", WATCHER, "(b)"), "the watcher to own its name")


def the_item(program):
    """(service, path) of the one item registered, checked to be the program's own."""
    found = wait_for(items, "the program to register a StatusNotifier item")
    expect_equal(len(found), 1, "items registered")
    service, slash, path = found[0].partition("/")
    expect_equal(bus_daemon("GetConnectionUnixProcessID", service, "(u)"), program.proc.pid,
                 "process behind the item")
    return service, slash + path


def expect_feather(pixmaps):
    """The item's images (width, height, ARGB in network order): the feather at each size
    up to 64 pixels (Qt's limit), yellow and black on a transparent ground."""
    expect_equal(sorted((w, h) for w, h, _ in pixmaps), [(s, s) for s in (16, 32, 48, 64)],
                 "icon sizes")
    for w, h, data in pixmaps:
        expect_equal(len(data), w * h * 4, "bytes of the %dx%d image" % (w, h))
        px = [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]
        yellow = sum(1 for a, r, g, b in px if a > 128 and r > 170 and g > 140 and b < 100)
        black = sum(1 for a, r, g, b in px if a > 128 and r < 60 and g < 60 and b < 60)
        clear = sum(1 for a, r, g, b in px if a < 16)
        expect(yellow >= w // 2 and black >= w // 2 and clear >= w * h // 3,
               "the %dx%d image is no feather: %d yellow, %d black, %d transparent pixels"
               % (w, h, yellow, black, clear))


def item_gone(service):
    wait_for(lambda: items() == [] and not bus_daemon("NameHasOwner", service, "(b)"),
             "the item to leave the host")


@case("tray (StatusNotifier): 缩小到托盘 shows the feather with the tip Kelvane; Activate brings "
      "the main window back and the item goes, twice; other activations do nothing; End "
      "removes the item")
def sni_round_trip(run):
    start_host(run)
    program = run.start()
    main = program.window(MAIN)
    main.press(OTHER)
    program.window(OTHER)

    for round_trip in (1, 2):
        main.press("缩小到托盘")
        main.wait_hidden()
        service, path = the_item(program)
        expect_feather(prop(service, path, ITEM, "IconPixmap"))
        expect_equal(prop(service, path, ITEM, "ToolTip")[2], "Kelvane", "tip")
        expect(OTHER in program.shown_titles(), "the other window went away with the main one")
        if round_trip == 1:
            # The middle click and the context menu request; each call returns once the
            # program has handled it.
            for method in ("SecondaryActivate", "ContextMenu"):
                call(service, path, ITEM, method, GLib.Variant("(ii)", (10, 10)))
            expect(MAIN not in program.shown_titles(), "the main window came back without "
                   "Activate")

        call(service, path, ITEM, "Activate", GLib.Variant("(ii)", (10, 10)))
        main = program.window(MAIN)
        item_gone(service)

    # In the notification area again, then End from the other window's 退出.
    main.press("缩小到托盘")
    main.wait_hidden()
    service, path = the_item(program)
    program.window(OTHER).press("退出")
    expect_equal(program.wait_exit(), 0, "exit status")
    item_gone(service)

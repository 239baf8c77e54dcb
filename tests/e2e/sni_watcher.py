#!/usr/bin/python3
"""A StatusNotifier host for the real-window tests, as KDE Plasma, GNOME's AppIndicator
extension, Xfce, Deepin and UKUI provide one: owns org.kde.StatusNotifierWatcher on the
session bus, says a host is registered, accepts RegisterStatusNotifierItem and forgets an
item when the name that registered it leaves the bus.

    /usr/bin/python3 sni_watcher.py

Uses python3-gi (Gio): Qt reads IsStatusNotifierHostRegistered through the service's
introspection data, which must therefore list the properties. Stops on SIGTERM.
"""

import signal
import sys

from gi.repository import Gio, GLib

NAME = "org.kde.StatusNotifierWatcher"
PATH = "/StatusNotifierWatcher"
XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
    <signal name="StatusNotifierHostUnregistered"/>
  </interface>
</node>
"""


class Watcher:
    def __init__(self):
        self.items = []    # "SERVICE/PATH", as KDE's watcher lists them
        self.watches = {}  # item -> id of the watch on its service's name
        self.conn = None
        self.node = Gio.DBusNodeInfo.new_for_xml(XML)

    def emit(self, signal_name, args=None):
        self.conn.emit_signal(None, PATH, NAME, signal_name, args)

    def on_call(self, conn, sender, path, iface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            arg = params.unpack()[0]
            # A service name (Qt passes its connection's unique name), or an object path on
            # the caller's own connection.
            service, obj = (sender, arg) if arg.startswith("/") else (arg, "/StatusNotifierItem")
            item = service + obj
            if item not in self.items:
                self.items.append(item)
                self.watches[item] = Gio.bus_watch_name_on_connection(
                    conn, service, Gio.BusNameWatcherFlags.NONE, None,
                    lambda c, n, it=item: self.vanished(it))
                print("registered", item, flush=True)
                self.emit("StatusNotifierItemRegistered", GLib.Variant("(s)", (item,)))
            invocation.return_value(None)
        elif method == "RegisterStatusNotifierHost":
            invocation.return_value(None)
        else:
            invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", method)

    def vanished(self, item):
        if item not in self.items:
            return
        self.items.remove(item)
        Gio.bus_unwatch_name(self.watches.pop(item))
        print("unregistered", item, flush=True)
        self.emit("StatusNotifierItemUnregistered", GLib.Variant("(s)", (item,)))

    def on_get(self, conn, sender, path, iface, prop):
        if prop == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", self.items)
        if prop == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", True)
        if prop == "ProtocolVersion":
            return GLib.Variant("i", 0)
        return None

    def on_bus(self, conn, name):
        self.conn = conn
        conn.register_object(PATH, self.node.interfaces[0], self.on_call, self.on_get, None)

    def on_lost(self, conn, name):
        sys.exit("lost or never got " + name)


def main():
    watcher = Watcher()
    Gio.bus_own_name(Gio.BusType.SESSION, NAME, Gio.BusNameOwnerFlags.DO_NOT_QUEUE,
                     watcher.on_bus, None, watcher.on_lost)
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    loop.run()


if __name__ == "__main__":
    main()

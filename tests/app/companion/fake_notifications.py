#!/usr/bin/python3
"""A desktop notification service for tests, on the session bus it is started
on (dbus-run-session): every Notify call is written as one JSON line to the
file named on the command line, and Click(id) sends ActionInvoked(id,
"default") as a desktop does when a notice is clicked (ClickAction(id, key)
when one of its other actions is chosen)."""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, PATH)
        self.log = log
        self.next_id = 0

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        self.next_id += 1
        with open(self.log, "a", encoding="utf-8") as f:
            f.write(json.dumps({
                "id": self.next_id, "app_name": str(app_name), "app_icon": str(app_icon),
                "summary": str(summary), "body": str(body), "actions": [str(a) for a in actions],
                "hints": {str(k): str(v) for k, v in hints.items()}}, ensure_ascii=False) + "\n")
        return self.next_id

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("fake", "kemless-tests", "1", "1.2")

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, notification_id):
        self.NotificationClosed(notification_id, 3)

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def Click(self, notification_id):
        self.ActionInvoked(notification_id, "default")

    @dbus.service.method(NAME, in_signature="us", out_signature="")
    def ClickAction(self, notification_id, key):
        self.ActionInvoked(notification_id, key)

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, notification_id, key):
        pass

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, notification_id, reason):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    service = Notifications(bus, sys.argv[1])
    # Owned last: whoever waits for the name finds the service ready.
    name = dbus.service.BusName(NAME, bus)
    GLib.MainLoop().run()
    del service, name


if __name__ == "__main__":
    main()

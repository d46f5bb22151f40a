#!/usr/bin/python3
"""Stands in for a screen reader on the accessibility bus: registers for the
events one listens to (text changes, the caret, property and state changes,
the focus) and, for each text change or caret move, asks what one asks to
speak it: the caret's offset and the line it stands in. Like a screen reader
with key bindings it also takes every key first (the registry holds each key
until it answers; it lets all of them through). Prints "ready" once
registered and, when ended (SIGTERM), how many events and keys it had, so
that a run can tell the bridge was on."""
import signal
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

heard = 0
keys = 0


def on_event(event):
    global heard
    heard += 1
    try:
        if event.type.startswith("object:text"):
            text = event.source.get_text_iface()
            if text is not None:
                offset = text.get_caret_offset()
                text.get_string_at_offset(offset, Atspi.TextGranularity.LINE)
        elif event.type.startswith("object:property-change"):
            event.source.get_description()
    except GLib.Error:
        pass  # the object went away meanwhile


def on_key(event):
    global keys
    keys += 1
    return False  # not taken: the key goes on to the window


def stop():
    print(f"heard {heard} events, {keys} keys", flush=True)
    Atspi.event_quit()
    return GLib.SOURCE_REMOVE


listener = Atspi.EventListener.new(on_event)
for name in ("object:text-changed", "object:text-caret-moved", "object:property-change",
             "object:state-changed", "focus:", "window:activate"):
    listener.register(name)
key_listener = Atspi.DeviceListener.new(on_key)
Atspi.register_keystroke_listener(
    key_listener, None, 0,
    (1 << Atspi.EventType.KEY_PRESSED_EVENT) | (1 << Atspi.EventType.KEY_RELEASED_EVENT),
    Atspi.KeyListenerSyncType.SYNCHRONOUS | Atspi.KeyListenerSyncType.CANCONSUME)
# Python's own handlers would wait for the main loop to give the interpreter
# a turn, which an idle bus never does: the loop takes the signal itself.
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, stop)
print("ready", flush=True)
Atspi.event_main()
sys.exit(0)

#!/usr/bin/env python3
# A small GTK 3 window the automation tests operate: an entry, two buttons (one insensitive)
# and a check box above a click area; it reports what it receives to a file, one line each.
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402

out = open(sys.argv[1], "a", buffering=1, encoding="utf-8")
title = sys.argv[2] if len(sys.argv) > 2 else "Alvo de teste"


def report(text):
    out.write(text + "\n")


window = Gtk.Window(title=title)
window.set_default_size(420, 320)
window.move(100, 80)
box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=4)
entry = Gtk.Entry()
entry.get_accessible().set_name("Campo de nome")
button = Gtk.Button(label="Enviar")
off = Gtk.Button(label="Desligado")
off.set_sensitive(False)
check = Gtk.CheckButton(label="Aceito")
check.set_active(True)
area = Gtk.EventBox()
area.set_size_request(420, 150)
area.add_events(Gdk.EventMask.BUTTON_PRESS_MASK)
for widget in (entry, button, check, off):
    box.pack_start(widget, False, False, 0)
box.pack_start(area, True, True, 0)
window.add(box)

entry.connect("changed", lambda e: report("texto:" + e.get_text()))
entry.connect("activate", lambda e: report("enter"))
button.connect("clicked", lambda b: report("botao"))


def on_click(widget, event):
    kind = {Gdk.EventType.BUTTON_PRESS: "simples", Gdk.EventType._2BUTTON_PRESS: "duplo"}.get(event.type)
    if kind:
        report("clique %d %d %s %d" % (event.x_root, event.y_root, kind, event.button))
    return False


def on_key(widget, event):
    state = event.state
    mods = "".join(
        name for name, mask in (("C", Gdk.ModifierType.CONTROL_MASK), ("S", Gdk.ModifierType.SHIFT_MASK),
                                ("A", Gdk.ModifierType.MOD1_MASK)) if state & mask)
    report("tecla %s %s" % (Gdk.keyval_name(event.keyval), mods or "-"))
    return False


def report_places():
    # Screen rectangles of the widgets, for the tests that look objects up by point.
    for name, widget in (("campo", entry), ("enviar", button), ("aceito", check), ("desligado", off)):
        _, ox, oy = widget.get_window().get_origin()
        a = widget.get_allocation()
        report("lugar %s %d %d %d %d" % (name, ox + a.x, oy + a.y, a.width, a.height))
    report("pronto")
    return False


area.connect("button-press-event", on_click)
window.connect("key-press-event", on_key)
window.connect("destroy", Gtk.main_quit)
window.show_all()
entry.grab_focus()
window.connect("map-event", lambda w, e: GLib.timeout_add(200, report_places) and False)
Gtk.main()

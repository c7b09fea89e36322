#!/usr/bin/python3
"""Reads the running program's accessibility tree over AT-SPI and plays a Beginner game to a
win with keys alone, choosing sectors by the probabilities the board's cells read out.
Exits non-zero at the first thing that does not read as expected.

    a11y_reader.py SHOT_DIR
"""
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

shots = sys.argv[1]

# What the program announces: an alert that shows itself is what a screen reader speaks.
announced = []


def on_showing(event):
    if event.source is not None and event.source.getRoleName() == "alert" and event.detail1:
        announced.append(event.source.name)


pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")


def pump(seconds=0.05):
    """Lets the events that have come in reach the listener."""
    end = time.time() + seconds
    context = GLib.MainContext.default()
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "15", *names], check=True)
    pump()


def find_app():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "Kelvane":
                return app
        time.sleep(0.1)
    fail("the program is not on the accessibility bus")


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        if child.getRoleName() != "table":
            yield from descendants(child)


def give_keyboard(title):
    """No window manager here: gives a window the keyboard as a desktop would on a click."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                           capture_output=True, text=True).stdout.split()
    if not found:
        fail("no window titled %r" % title)
    subprocess.run(["xdotool", "windowfocus", "--sync", found[0]], check=True)
    time.sleep(0.3)


app = find_app()
give_keyboard("^Kelvane .*Edition$")
nodes = list(descendants(app))
buttons = {n.name for n in nodes if n.getRoleName() == "push button"}
for name in ["New Game", "Level...", "Settings", "Best Times", "Help", "New game"]:
    if name not in buttons:
        fail("no push button %r among %r" % (name, sorted(buttons)))
print("push buttons:", sorted(buttons))
labels = {n.name for n in nodes if n.getRoleName() == "label"}
for name in ["Mines left:", "Time:", "Probability Engine Statistics"]:
    if name not in labels:
        fail("no label %r" % name)
tables = [n for n in nodes if n.getRoleName() == "table" and n.name == "Board"]
if len(tables) != 1:
    fail("no table named Board")
board = tables[0]
table = board.queryTable()
if (table.nRows, table.nColumns) != (10, 10):
    fail("the board reads %d x %d" % (table.nRows, table.nColumns))
frames = [n for n in app if n is not None and n.getRoleName() == "frame"]
if not frames or not frames[0].name.startswith("Kelvane"):
    fail("the main window is not a frame: %r" % [(n.getRoleName(), n.name) for n in app])
alerts = [n for n in nodes if n.getRoleName() == "alert"]
if len(alerts) != 1:
    fail("no one alert for the status line")
status = alerts[0]


def cell(c, r):
    node = table.getAccessibleAt(r, c)
    node.clearCache()
    return node


def name(c, r):
    return cell(c, r).name


def look(c, r):
    return name(c, r).split(": ", 1)[1]


def focused(c, r):
    return cell(c, r).getState().contains(pyatspi.STATE_FOCUSED)


engine_label = nodes[[n.name for n in nodes].index("Engine Status") + 1]


def engine_status():
    engine_label.clearCache()
    return engine_label.name


def status_text():
    status.clearCache()
    return status.name


# The cursor: the first arrow shows it at the centre, the next moves it.
if name(5, 5) != "column 5, row 5: closed":
    fail("centre cell reads %r" % name(5, 5))
if focused(5, 5):
    fail("a cell has the focus before any key")
key("Up")
if not focused(5, 5):
    fail("the cursor's cell (5, 5) has no focus")
key("Right")
if not focused(6, 5) or focused(5, 5):
    fail("the focus did not follow the cursor to column 6")
print("focus follows the cursor:", name(6, 5))

cursor = [6, 5]


def go(c, r):
    keys = ["Home", "Page_Up"] + ["Right"] * c + ["Down"] * r
    key(*keys)
    cursor[0], cursor[1] = c, r
    if not focused(c, r):
        fail("the cursor did not reach %d, %d" % (c, r))


def closed_cells():
    cells = {}
    for c in range(10):
        for r in range(10):
            text = look(c, r)
            if text.startswith("closed"):
                m = re.search(r"probability ([0-9.]+)", text)
                cells[(c, r)] = float(m.group(1)) if m else None
    return cells


won = False
for game in range(8):
    if game > 0:
        key("F2")
    go(5, 5)
    key("space")
    if not look(5, 5).startswith("open"):
        fail("Space did not open the cursor's sector: %r" % name(5, 5))
    if game == 0:
        print("after Space:", name(5, 5))
    for _ in range(100):
        if status_text() in ("Finished!", "Game Over!"):
            break
        cells = closed_cells()
        if not cells:
            break
        # Ask for fresh probabilities with a middle press (D) on a closed sector.
        c, r = next(iter(cells))
        go(c, r)
        key("d")
        time.sleep(0.2)
        for _ in range(100):
            if engine_status() == "Finished":
                break
            time.sleep(0.1)
        else:
            fail("the engine did not finish: %r" % engine_status())
        cells = closed_cells()
        if any(p is None for p in cells.values()):
            fail("closed sectors without a probability after a run")
        safe = [s for s, p in cells.items() if p == 0.0]
        if not safe:
            safe = [min(cells, key=lambda s: cells[s] if cells[s] is not None else 1.0)]
        for c, r in safe:
            go(c, r)
            key("space")
            if status_text() in ("Finished!", "Game Over!"):
                break
    if status_text() == "Finished!":
        won = True
        break
    print("game %d lost, starting again" % (game + 1))

if not won:
    fail("no game won in 8 tries")
print("won with keys alone; status:", status_text())
subprocess.run(["import", "-window", "root", shots + "/keyboard_win.png"], check=True)

# A loss: a new game with every sector opened in turn until a mine is.
for game in range(5):
    key("F2")
    go(0, 0)
    for r in range(10):
        for c in range(10):
            go(c, r)
            if look(c, r).startswith("closed"):
                key("space")
            if status_text() in ("Finished!", "Game Over!"):
                break
        if status_text() in ("Finished!", "Game Over!"):
            break
    if status_text() == "Game Over!":
        break
pump(0.5)
for text in ("Finished!", "Game Over!"):
    if text not in announced:
        fail("%r was not announced; announced: %r" % (text, announced))
print("announced:", announced)

# The settings dialog by keys: Tab to the menu's Settings, Return opens it.
settings_button = [n for n in nodes if n.getRoleName() == "push button" and n.name == "Settings"][0]
for _ in range(20):
    key("Tab")
    settings_button.clearCache()
    if settings_button.getState().contains(pyatspi.STATE_FOCUSED):
        break
else:
    fail("Tab never reached the Settings label")
key("Return")
dialog = None
for _ in range(50):
    found = [n for n in app if n is not None and n.getRoleName() == "dialog" and n.name == "Settings"]
    if found:
        dialog = found[0]
        break
    time.sleep(0.1)
if dialog is None:
    fail("Return on Settings opened no dialog")
# The captions beside the boxes are labels of the same text: only the controls.
controls = {n.name: n for n in dialog if n is not None and n.getRoleName() != "label"}
expected = {"Beginner": "radio button", "Timed Game": "check box",
            "Probability Display": "check box", "Horizontal size: 10": "spin button",
            "Calculation Mode: Advanced": "combo box", "OK": "push button",
            "Cancel": "push button"}
for caption, role in expected.items():
    if caption not in controls or controls[caption].getRoleName() != role:
        fail("no %s %r in the dialog among %r" % (role, caption, sorted(controls)))


def checked(caption):
    controls[caption].clearCache()
    return controls[caption].getState().contains(pyatspi.STATE_CHECKED)


if not checked("Beginner") or checked("Timed Game") or not checked("Probability Display"):
    fail("the dialog's boxes do not read as the settings file has them")
give_keyboard("^Settings$")
key(*["Tab"] * 6)
controls["Timed Game"].clearCache()
if not controls["Timed Game"].getState().contains(pyatspi.STATE_FOCUSED):
    fail("six Tabs did not frame Timed Game")
key("space")
if not checked("Timed Game"):
    fail("Space did not tick Timed Game")
subprocess.run(["import", "-window", "root", shots + "/keyboard_settings.png"], check=True)
print("settings dialog read and used by keys:", sorted(controls))
key("Escape")  # cancels: the ticked box is not kept
give_keyboard("^Kelvane .*Edition$")
key("ctrl+q")  # closes the window, saving

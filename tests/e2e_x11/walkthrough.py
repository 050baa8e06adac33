"""The walkthrough end to end on a real X server.

Drives the real program only through real X input (xdotool), reads the screen back (ImageMagick's
import) for pixel facts of both drawing panels, and reads texts (step-tree rows, the explanation box,
accessible names and the panels' descriptions) through the accessibility bus.

Walks nodes 0 to 30 in Dutch, hides and shows the diagram grid through its menu, restarts, switches to
English, walks again, takes an out-of-order refusal in each language and closes the information box
with a key press, then leaves through the exit button.

Run inside a session bus on a display with a window manager (walkthrough.sh does both).
Usage: MOHRWALK_STEP_TABLE=BUILD/tests/steptable.json walkthrough.py PATH/TO/mohrwalk
"""

import os
import subprocess
import sys
import tempfile
import time

import gi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import steptable  # noqa: E402

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

TIMEOUT = 10.0  # seconds for any one condition to come true

# Colours as the screen shows them (R, G, B).
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GRAY = (128, 128, 128)
SILVER = (192, 192, 192)
NAVY = (0, 0, 128)
GREEN = (0, 128, 0)
RED = (255, 0, 0)
TEAL = (0, 128, 128)
AQUA = (0, 255, 255)
FUCHSIA = (255, 0, 255)

# The step trees: (level, Dutch text, English text) in pre-order, absolute index = position.
NODES = steptable.nodes()
MARK = "\u00ab"


def parent_of(k):
    level = NODES[k][0]
    for j in range(k - 1, -1, -1):
        if NODES[j][0] < level:
            return j
    return None


# Explanations given word for word, by node: (Dutch, English).
EXPLANATIONS = steptable.explanations()
# Numbers an explanation must carry.
EXPLANATION_NUMBERS = {8: ["-70", "50"], 9: ["-30", "30"]}

# Pixel facts of the panels ("E" element 240 x 240, "D" diagram 400 x 400) right after each step,
# from the figures' fixed points and colours. A fact is one of
#   ("at", panel, x, y, colour)                      the pixel has the colour
#   ("line", panel, x1, y1, x2, y2, colour, part)    at least that part of the points along the segment
#                                                    have the colour (within one pixel): dashed lines
#   ("count", panel, x1, y1, x2, y2, colour, n)      the box holds at least n pixels of the colour
#   ("none", panel, x1, y1, x2, y2, colour)          the box holds no pixel of the colour
#   ("blank", panel)                                 the panel is all white
FACTS = {
    0: [("at", "E", 110, 150, GRAY), ("at", "E", 85, 50, NAVY), ("at", "E", 60, 50, BLACK),
        ("at", "E", 40, 130, BLACK), ("count", "E", 62, 120, 178, 120, SILVER, 15), ("blank", "D")],
    1: [("at", "E", 185, 55, RED), ("at", "E", 70, 20, GREEN), ("at", "E", 202, 179, FUCHSIA),
        ("at", "E", 30, 140, TEAL), ("at", "E", 90, 220, AQUA)],
    2: [("blank", "D")],
    3: [("at", "D", 100, 200, NAVY), ("at", "D", 60, 200, NAVY), ("at", "D", 340, 100, NAVY),
        ("at", "D", 340, 22, WHITE)],
    4: [("at", "D", 355, 195, RED), ("at", "D", 345, 180, RED)],
    5: [("at", "D", 340, 22, NAVY), ("at", "D", 340, 376, NAVY)],
    6: [("count", "D", 0, 40, 399, 40, SILVER, 60), ("count", "D", 20, 0, 20, 399, SILVER, 60)],
    8: [("at", "D", 200, 300, GREEN), ("count", "D", 190, 308, 250, 322, BLACK, 10)],
    9: [("at", "D", 280, 260, GREEN)],
    10: [("at", "D", 200, 200, RED), ("count", "D", 242, 270, 248, 276, BLACK, 4),
         ("line", "D", 205, 210, 235, 270, NAVY, 0.25)],
    11: [("count", "D", 196, 97, 204, 104, RED, 6), ("count", "D", 127, 127, 132, 132, RED, 2),
         ("at", "D", 200, 200, RED)],
    13: [("line", "D", 260, 245, 140, 155, GREEN, 0.25)],
    14: [("at", "D", 120, 140, GREEN), ("line", "D", 195, 290, 125, 150, GREEN, 0.25)],
    15: [("at", "D", 300, 200, NAVY), ("at", "D", 100, 200, NAVY), ("count", "D", 298, 193, 302, 196, NAVY, 2)],
    16: [("at", "D", 148, 55, NAVY), ("line", "D", 305, 202, 335, 212, NAVY, 0.25)],
    19: [("at", "D", 250, 140, TEAL)],
    20: [("at", "D", 280, 140, GREEN)],
    21: [("at", "D", 75, 140, SILVER), ("at", "D", 70, 140, BLACK), ("at", "D", 45, 140, NAVY)],
    23: [("at", "D", 120, 80, AQUA)],
    24: [("at", "D", 120, 260, GREEN)],
    25: [("at", "D", 125, 304, SILVER), ("at", "D", 120, 345, NAVY)],
    27: [("at", "D", 200, 60, RED), ("at", "D", 205, 55, RED)],
    28: [("at", "D", 140, 120, GREEN)],
    29: [("at", "D", 177, 84, SILVER), ("at", "D", 205, 55, NAVY)],
    30: [("at", "E", 30, 140, WHITE), ("at", "E", 40, 130, WHITE), ("at", "E", 60, 50, WHITE),
          ("at", "E", 110, 150, GRAY), ("at", "E", 35, 145, NAVY), ("at", "E", 90, 215, NAVY),
          ("none", "E", 62, 120, 178, 120, SILVER), ("at", "D", 280, 140, GREEN)],
}

# What a panel's description must say after a step: (panel, Dutch words, English words).
DESCRIBED = {
    0: ("E", "70, schuif 50 MPa", "70, shear 50 MPa"),
    6: ("D", "10 MPa", "10 MPa"),
    8: ("D", "Spanningspunt van vlakje E-D in (-70; +50).", "Stress point of face E-D at (-70; +50)."),
    9: ("D", "(-30; +30)", "(-30; +30)"),
    10: ("D", "(-70; 0)", "(-70; 0)"),
    14: ("D", "R.C. in (-110; -30)", "D.C. at (-110; -30)"),
    15: ("D", "-120 MPa", "-120 MPa"),
    20: ("D", "(-30; -30)", "(-30; -30)"),
    24: ("D", "(-110; 30)", "(-110; 30)"),
    28: ("D", "(-100; -40)", "(-100; -40)"),
    30: ("E", "A-B: normaal 110", "A-B: normal 110"),
}

LANG = {
    "nl": dict(title="KS1150 : Tensorkring", element="Tekening van het element",
               diagram="Tekening van de tensorkring", nothing="Nog niets getekend.",
               refusal="Geen sprongen maken in de lijst !", restart="start opnieuw", exit="afsluiten",
               language="UK", about="About", memo="Uitleg"),
    "en": dict(title="KS2170 : Mohr\u2019s circle", element="Drawing of the sample",
               diagram="Drawing of Mohr\u2019s circle", nothing="Nothing drawn yet.",
               refusal="No jumps allowed in the list !", restart="restart", exit="exit", language="NL",
               about="about", memo="Explanation"),
}

failures = []


def fail(message):
    print("FAIL: " + message, flush=True)
    failures.append(message)


def note(message):
    print(message, flush=True)


def pump():
    """Delivers the accessibility events that have arrived to their listeners."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_until(condition, timeout=TIMEOUT):
    """Polls the condition until it returns a true value, which is returned; None on time-out."""
    end = time.monotonic() + timeout
    while True:
        pump()
        try:
            value = condition()
        except GLib.Error:
            value = None
        if value:
            return value
        if time.monotonic() > end:
            return None
        time.sleep(0.05)


def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True)


def move(x, y):
    # Not --sync: that waits for the pointer to move, forever when it is already there. The X server
    # handles the test input in order, so a click that follows lands at the new position.
    xdotool("mousemove", x, y)


def click(x, y, button=1):
    move(x, y)
    xdotool("click", button)
    # Out of the way, so that no hover hint covers what is read next.
    move(1, 1)


# --- accessibility ---------------------------------------------------------------------------------

def children(acc):
    result = []
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is not None:
            result.append(child)
    return result


def find(acc, predicate, depth=0):
    """Depth-first search; the rows of trees and the parts of text boxes are not searched."""
    if predicate(acc):
        return acc
    if depth > 14 or acc.get_role_name() in ("tree", "text", "page tab list"):
        return None
    for child in children(acc):
        found = find(child, predicate, depth + 1)
        if found is not None:
            return found
    return None


def showing(acc):
    return acc.get_state_set().contains(Atspi.StateType.SHOWING)


def extents(acc):
    e = acc.get_extents(Atspi.CoordType.SCREEN)
    return e.x, e.y, e.width, e.height


def named(app, name, role=None):
    return find(app, lambda a: a.get_name() == name and (role is None or a.get_role_name() == role)
                and showing(a))


def text_of(acc):
    return Atspi.Text.get_text(acc, 0, Atspi.Text.get_character_count(acc))


# --- screen ---------------------------------------------------------------------------------------

class Shot:
    """One screenshot of a screen rectangle, with pixels addressed in panel coordinates."""

    def __init__(self, x, y, w, h):
        out = subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8",
                              "ppm:-"], check=True, capture_output=True).stdout
        parts = out.split(maxsplit=4)
        assert parts[0] == b"P6" and int(parts[3]) == 255, "unexpected screenshot format"
        self.w, self.h = int(parts[1]), int(parts[2])
        self.data = parts[4]
        self.x, self.y = x, y

    def at(self, x, y):
        i = 3 * (y * self.w + x)
        return tuple(self.data[i:i + 3])

    def row(self, y, x, n):
        i = 3 * (y * self.w + x)
        return self.data[i:i + 3 * n]


class Panels:
    """Both drawing panels, found on screen through their accessible names."""

    def __init__(self, app, lang):
        self.app = app
        self.lang = lang
        self.acc = {"E": named(app, LANG[lang]["element"]), "D": named(app, LANG[lang]["diagram"])}
        self.rect = {k: extents(a) for k, a in self.acc.items()}
        for key, size in (("E", 240), ("D", 400)):
            if self.rect[key][2:] != (size, size):
                fail(f"panel {key} is {self.rect[key][2]} x {self.rect[key][3]}, not {size} x {size}")

    def shot(self):
        xs = [r[0] for r in self.rect.values()] + [r[0] + r[2] for r in self.rect.values()]
        ys = [r[1] for r in self.rect.values()] + [r[1] + r[3] for r in self.rect.values()]
        x0, y0 = min(xs), min(ys)
        return Shot(x0, y0, max(xs) - x0, max(ys) - y0)

    def pixel(self, shot, panel, x, y):
        r = self.rect[panel]
        return shot.at(r[0] - shot.x + x, r[1] - shot.y + y)

    def holds(self, shot, fact):
        kind, panel = fact[0], fact[1]
        if kind == "at":
            _, _, x, y, colour = fact
            return self.pixel(shot, panel, x, y) == colour
        if kind == "blank":
            r = self.rect[panel]
            left = r[0] - shot.x
            white = b"\xff" * (3 * r[2])
            return all(shot.row(r[1] - shot.y + y, left, r[2]) == white for y in range(r[3]))
        if kind == "line":
            _, _, x1, y1, x2, y2, colour, part = fact
            n = max(abs(x2 - x1), abs(y2 - y1))
            hits = 0
            for i in range(n + 1):
                x = round(x1 + (x2 - x1) * i / n)
                y = round(y1 + (y2 - y1) * i / n)
                if any(self.pixel(shot, panel, x + dx, y + dy) == colour for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                    hits += 1
            return hits >= part * (n + 1)
        _, _, x1, y1, x2, y2, colour = fact[:7]
        count = sum(1 for y in range(y1, y2 + 1) for x in range(x1, x2 + 1)
                    if self.pixel(shot, panel, x, y) == colour)
        if kind == "count":
            return count >= fact[7]
        return count == 0  # "none"

    def check(self, facts, what):
        """Waits until every fact holds on one screenshot; reports the ones that never did."""
        last = []

        def all_hold():
            shot = self.shot()
            last[:] = [f for f in facts if not self.holds(shot, f)]
            return not last

        if not wait_until(all_hold):
            for f in last:
                fail(f"{what}: pixel fact {f} does not hold")

    def description(self, panel):
        return self.acc[panel].get_description()


# --- the program ------------------------------------------------------------------------------------

class Program:
    def __init__(self, path):
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        # What the program says on stderr is kept: Qt's warnings about its accessibility are faults here.
        self.stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen([path], env=env, stderr=self.stderr)
        self.app = wait_until(self.find_app, 30)
        if self.app is None:
            raise SystemExit("FAIL: the program did not appear on the accessibility bus")
        # Read every property fresh from the program: it changes behind the reader's back.
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.lang = "nl"
        self.expanded = set()

    def find_app(self):
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            if app.get_process_id() == self.process.pid and app.get_child_count() > 0:
                return app
        return None

    def windows(self):
        """The program's visible X windows: id -> (x, y) of the window on the screen."""
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)],
                             capture_output=True, text=True).stdout.split()
        result = {}
        for wid in ids:
            out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], capture_output=True,
                                 text=True).stdout
            values = dict(line.split("=", 1) for line in out.split() if "=" in line)
            if "X" in values:
                result[wid] = (int(values["X"]), int(values["Y"]))
        return result

    def window_id(self, title):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                             capture_output=True, text=True).stdout.split()
        return out[0] if out else None

    def settled(self):
        """True once the window manager has framed the window and the program has centred it."""
        wid = self.window_id(LANG[self.lang]["title"])
        if not wid:
            return False
        frame = subprocess.run(["xprop", "-id", wid, "_NET_FRAME_EXTENTS"], capture_output=True,
                               text=True).stdout
        if "=" not in frame:
            return False
        left, _right, top, _bottom = (int(v) for v in frame.split("=")[1].split(","))
        client = named(self.app, "Hoofdpaneel" if self.lang == "nl" else "Main panel")
        if client is None:
            return False
        x, y, _w, _h = extents(client)
        screen = Atspi.get_desktop(0)
        sw, sh = extents(screen)[2:]
        self.outer = ((sw - 800) // 2, (sh - 600) // 2)
        return (x - left, y - top) == self.outer

    def tree(self):
        return find(self.app, lambda a: a.get_role_name() == "tree" and showing(a))

    def memo_text(self):
        return text_of(named(self.app, LANG[self.lang]["memo"], "text"))

    def rows(self):
        """The names of the visible rows of the visible tree, top to bottom."""
        return [c.get_name() for c in children(self.tree()) if c.get_role_name() == "table cell"]

    def visible_nodes(self):
        def shown(k):
            p = parent_of(k)
            return p is None or (p in self.expanded and shown(p))
        return [k for k in range(len(NODES)) if shown(k)]

    def row_cell(self, k):
        tree = self.tree()
        cells = [c for c in children(tree) if c.get_role_name() == "table cell"]
        position = self.visible_nodes().index(k)
        return tree, cells[position]

    def click_node(self, k):
        """Brings node k into view with the mouse wheel and clicks its row."""
        text = NODES[k][1 if self.lang == "nl" else 2]
        tree, cell = self.row_cell(k)
        name = cell.get_name()
        if name.rstrip(MARK) != text:
            fail(f"row of node {k} reads {name!r}, expected {text!r}")
        tx, ty, tw, th = extents(tree)
        for _ in range(20):
            x, y, w, h = extents(cell)
            if y >= ty + 1 and y + h <= ty + th - 1:
                break
            move(tx + tw // 2, ty + th // 2)
            xdotool("click", 5 if y > ty else 4)
            wait_until(lambda: extents(cell)[1] != y, 2)
        else:
            fail(f"could not scroll node {k} into view")
        click(x + w // 2, y + h // 2)
        self.expanded.add(k)

    def marks(self):
        return [n.endswith(MARK) for n in self.rows()]


# --- the walk --------------------------------------------------------------------------------------

def check_names(program):
    words = LANG[program.lang]
    for name in (words["about"], words["restart"], words["exit"], words["language"]):
        if wait_until(lambda: named(program.app, name, "push button")) is None:
            fail(f"no button with the accessible name {name!r} ({program.lang})")
    for name in (words["element"], words["diagram"], words["memo"]):
        if wait_until(lambda: named(program.app, name)) is None:
            fail(f"no control with the accessible name {name!r} ({program.lang})")


def wait_description(panels, panel, predicate, what):
    if wait_until(lambda: predicate(panels.description(panel))) is None:
        fail(f"{what}: description of panel {panel} reads {panels.description(panel)!r}")


def check_start_state(program, panels, what):
    words = LANG[program.lang]
    panels.check([("blank", "E"), ("blank", "D")], what)
    if wait_until(lambda: len(program.rows()) == 3 and not any(program.marks())) is None:
        fail(f"{what}: the tree shows {program.rows()!r}, not the three unmarked topics")
    if wait_until(lambda: program.memo_text() == "") is None:
        fail(f"{what}: the explanation box holds {program.memo_text()!r}")
    for panel in ("E", "D"):
        wait_description(panels, panel, lambda d: d == words["nothing"], what)


def refuse(program, panels, k, take=None, close="Return"):
    """Takes node k out of order (a click unless `take` is given): the information box says so, the key
    `close` closes it, nothing changes. Only a click needs the box activated: a key press leaves the
    focus where the box puts it."""
    words = LANG[program.lang]
    memo_before = program.memo_text()
    marks_before = program.marks()
    (take or program.click_node)(k)
    box = wait_until(lambda: program.window_id("Information"))
    if box is None:
        fail(f"no information box after taking node {k} out of order ({program.lang})")
        return
    if wait_until(lambda: named(program.app, words["refusal"])) is None:
        fail(f"the information box does not say {words['refusal']!r}")
    if take is None:
        xdotool("windowactivate", "--sync", box)
    xdotool("key", "--clearmodifiers", close)
    if wait_until(lambda: program.window_id("Information") is None) is None:
        fail(f"the information box did not close on {close}")
    if program.memo_text() != memo_before:
        fail(f"a refused click changed the explanation box ({program.lang})")
    marks = program.marks()
    if sum(marks) != sum(marks_before):
        fail(f"a refused click changed the marks ({program.lang})")
    # The refused node was expanded all the same: its children show.
    if wait_until(lambda: len(program.rows()) == len(program.visible_nodes())) is None:
        fail(f"the refused node {k} did not open")


def walk(program, panels, take=None, after=None, nodes=len(NODES)):
    """Takes nodes 0 to nodes-1 in order, by clicks unless `take` is given, and checks each step;
    `after(k)` runs last for every node."""
    lang_index = 0 if program.lang == "nl" else 1
    for k in range(nodes):
        memo_before = program.memo_text()
        (take or program.click_node)(k)
        cell_marked = wait_until(lambda: program.row_cell(k)[1].get_name().endswith(MARK))
        if not cell_marked:
            fail(f"node {k} was not marked ({program.lang})")
        marks = program.marks()
        visible = program.visible_nodes()
        if marks != [node <= k for node in visible]:
            fail(f"after node {k} the marks are {marks} over nodes {visible} ({program.lang})")
        if k in EXPLANATIONS:
            expected = EXPLANATIONS[k][lang_index]
            if wait_until(lambda: program.memo_text().strip() == expected.strip()) is None:
                fail(f"node {k}: explanation {program.memo_text()!r}, expected {expected!r}")
        elif wait_until(lambda: program.memo_text().strip() != "" and (
                k == 0 or program.memo_text() != memo_before or k in (5, 6))) is None:
            fail(f"node {k}: no explanation shown ({program.lang})")
        for number in EXPLANATION_NUMBERS.get(k, []):
            if number not in program.memo_text():
                fail(f"node {k}: the explanation lacks {number}")
        panels.check(FACTS.get(k, []), f"{program.lang} node {k}")
        if k in DESCRIBED:
            panel, dutch, english = DESCRIBED[k]
            words = (dutch, english)[lang_index]
            wait_description(panels, panel, lambda d: words in d, f"{program.lang} node {k}")
        if after:
            after(k)
    if nodes < len(NODES):
        note(f"walked nodes 0 to {nodes - 1} ({program.lang})")
        return
    # The closing step leaves the bare sample: its description no longer names the extras.
    grid_word = "raster" if program.lang == "nl" else "grid"
    wait_description(panels, "E", lambda d: grid_word not in d.split(";")[0], f"{program.lang} end")
    note(f"walked nodes 0 to 30 ({program.lang})")


def right_click_diagram(panels):
    x, y, w, h = panels.rect["D"]
    move(x + w // 3, y + h // 3)
    xdotool("click", 3)


def open_grid_menu(program, panels, entry, opener=right_click_diagram):
    """Opens the grid menu (the right button on the diagram unless `opener` is given), then goes
    through it by keys: grid, and its first or second entry.

    The menus are popup windows of their own; they are found among the program's X windows."""
    before = program.windows()
    opener(panels)
    opened = wait_until(lambda: [p for wid, p in program.windows().items() if wid not in before])
    if not opened:
        fail(f"the grid menu did not open ({opener.__name__})")
        return
    # Wherever the button was pressed, the menu opens at the main window's outer corner + (389, 100).
    expected = (program.outer[0] + 389, program.outer[1] + 100)
    if opened[0] != expected:
        fail(f"the grid menu opened at {opened[0]}, not at {expected}")
    xdotool("key", "Down", "Right")
    if wait_until(lambda: len(program.windows()) == len(before) + 2) is None:
        fail("the grid submenu did not open")
    keys = ["Down"] * (entry - 1) + ["Return"]
    xdotool("key", *keys)
    if wait_until(lambda: len(program.windows()) == len(before)) is None:
        fail("the grid menu did not close")


def toggle_grid(program, panels, hide=None, draw=None):
    """Hides and draws the grid again, through the menu opened by the right button unless `hide` and
    `draw` are given."""
    # Rows and columns of the grid that no silver face sketch or label box reaches.
    (hide or (lambda: open_grid_menu(program, panels, 2)))()
    panels.check([("none", "D", 0, 380, 399, 380, SILVER), ("none", "D", 20, 0, 20, 399, SILVER),
                  ("at", "D", 280, 140, GREEN), ("at", "D", 120, 80, AQUA)], "grid hidden")
    wait_description(panels, "D", lambda d: "10 MPa" not in d and "(-100; -40)" in d, "grid hidden")
    (draw or (lambda: open_grid_menu(program, panels, 1)))()
    panels.check([("count", "D", 0, 380, 399, 380, SILVER, 60), ("count", "D", 20, 0, 20, 399, SILVER, 60),
                  ("at", "D", 280, 140, GREEN)], "grid shown")
    wait_description(panels, "D", lambda d: "10 MPa" in d, "grid shown")
    note(f"grid hidden and shown ({program.lang})")


def press_button(program, name):
    button = wait_until(lambda: named(program.app, name, "push button"))
    if button is None:
        fail(f"no button {name!r}")
        return
    x, y, w, h = extents(button)
    click(x + w // 2, y + h // 2)


def restart(program, panels, press=None):
    (press or (lambda: press_button(program, LANG[program.lang]["restart"])))()
    program.expanded.clear()
    check_start_state(program, panels, f"restart ({program.lang})")
    note(f"restarted ({program.lang})")


def switched_to_english(program, how):
    """After the language switch by `how`: English texts, names, and the start state again."""
    program.lang = "en"
    if wait_until(lambda: program.window_id(LANG["en"]["title"])) is None:
        fail(f"{how} did not switch to English")
    program.expanded.clear()
    check_names(program)
    panels = Panels(program.app, "en")
    check_start_state(program, panels, "switch to English")
    return panels


def leave(program, how, action):
    """Ends the program by `action`, which must end it cleanly."""
    action()
    try:
        status = program.process.wait(TIMEOUT)
    except subprocess.TimeoutExpired:
        status = "still running"
    if status != 0:
        fail(f"{how} did not end the program cleanly ({status})")


def run(drive):
    """Starts the program named on the command line, waits until its window is placed, runs
    drive(program) and reports; the program never outlives the run."""
    program = Program(sys.argv[1])
    try:
        if wait_until(program.settled, 20) is None:
            raise SystemExit("FAIL: the main window was not framed and centred on the screen")
        check_names(program)
        drive(program)
    finally:
        if program.process.poll() is None:
            program.process.kill()
            program.process.wait()
        program.stderr.seek(0)
        said = program.stderr.read().decode(errors="replace")
        sys.stderr.write(said)
        # A reader's look-ups must find what the program announces: Qt warns when one does not.
        for line in said.splitlines():
            if "QAccessible" in line:
                fail(f"the program warned while a reader listened: {line}")

    if failures:
        print(f"0 passed, {len(failures)} failed")
        return 1
    print("1 passed, 0 failed")
    return 0


def drive_by_mouse(program):
    panels = Panels(program.app, "nl")
    check_start_state(program, panels, "start")

    refuse(program, panels, 2)
    walk(program, panels)
    toggle_grid(program, panels)
    restart(program, panels)

    press_button(program, LANG["nl"]["language"])
    panels = switched_to_english(program, "the language button")

    program.click_node(0)
    refuse(program, panels, 17)
    restart(program, panels)
    walk(program, panels)
    toggle_grid(program, panels)
    restart(program, panels)

    leave(program, "the exit button", lambda: press_button(program, LANG["en"]["exit"]))


if __name__ == "__main__":
    sys.exit(run(drive_by_mouse))

"""The walkthrough end to end with keys alone, read back as a screen reader reads it.

Drives the real program only through real X key presses (xdotool key) and reads everything through the
accessibility bus: the key bindings of the commands, the focus, the rows' checked state, and what a
reader is told after each step (the focus event of the explanation box, or, while the focus stays in
the tree, a notification that shows with the explanation as its name). Pixel facts of the panels are read from the screen as in
the mouse walkthrough, whose checks this shares (walkthrough.py).

In Dutch: one out-of-order step refused and closed by Escape, the whole walkthrough by the arrow keys
and Return, both panels reached with Tab (focus mark outside the panel's pixels), the grid menu by
Shift+F10 and the grid entries by their own keys, the pages, the about dialog, restart; then the
language switch and part of the walkthrough in English by Space and the keypad's Enter, a refusal
closed by Return, and exit.

Run inside a session bus on a display with a window manager (walkthrough.sh PROGRAM keyboard).
"""

import sys

from walkthrough import (LANG, MARK, NODES, Atspi, GLib, Panels, Shot, check_start_state, children,
                         fail, find, leave, named, note, open_grid_menu, pump, refuse, restart, run,
                         showing, switched_to_english, toggle_grid, wait_until, walk, xdotool)

# Steps whose explanation is only added: the focus stays on the step's row.
ADD_ONLY = {11, 13, 14, 15, 16, 19, 23, 27}

# The key of each command, as the accessibility bus gives it for the command's own control.
BUTTON_KEYS = {"about": "F1", "restart": "Ctrl+R", "exit": "Ctrl+Q", "language": "Ctrl+L"}
PAGE_KEYS = [("Next Page", "Ctrl+PgDown"), ("Previous Page", "Ctrl+PgUp")]
GRID_KEYS = {"nl": [("Teken", "Ctrl+G"), ("Verbergen", "Ctrl+Shift+G")],
             "en": [("Draw", "Ctrl+G"), ("Hide", "Ctrl+Shift+G")]}


# Every key pressed, so that the walk can be held to its bound.
PRESSES = [0]

# At most this many key presses for the 31 steps: Return on each row, then one key back from the
# explanation box or one down the tree.
WALK_BOUND = 70


def key(*keys):
    PRESSES[0] += len(keys)
    xdotool("key", *keys)


def has_state(acc, state):
    return acc is not None and acc.get_state_set().contains(state)


def focused(acc):
    return has_state(acc, Atspi.StateType.FOCUSED)


def actions(acc):
    """(name, key binding) of every action of an accessible object."""
    action = acc.get_action_iface()
    return [(action.get_action_name(i), action.get_key_binding(i)) for i in range(action.get_n_actions())]


class Reader:
    """Records what a screen reader is told: focus changes and objects that show, with their names."""

    def __init__(self):
        self.events = []
        self.listener = Atspi.EventListener.new(self.heard)
        for kind in ("object:state-changed:focused", "object:state-changed:showing"):
            self.listener.register(kind)

    def heard(self, event):
        try:
            # A reader asks where each object that spoke stands among its parent's children.
            event.source.get_index_in_parent()
            self.events.append((event.type, event.detail1, event.source.get_role_name(),
                                event.source.get_name(), event.source))
        except GLib.Error:
            pass

    def forget(self):
        pump()
        self.events.clear()

    def told(self, predicate):
        """Whether an event came with predicate(type, detail, role, name) true."""
        return any(predicate(*e[:4]) for e in self.events)

    def focused_items(self):
        """The menu items that got the focus, in order, without repeats."""
        items = []
        for kind, detail, role, name, source in self.events:
            if kind.endswith("focused") and detail == 1 and role == "menu item" and \
                    name not in [n for n, _ in items]:
                items.append((name, source))
        return items


class Keys:
    """The program driven by keys, with the reader listening."""

    def __init__(self, program, reader):
        self.program = program
        self.reader = reader

    def memo(self):
        return named(self.program.app, LANG[self.program.lang]["memo"], "text")

    def cells(self):
        return [c for c in children(self.program.tree()) if c.get_role_name() == "table cell"]

    def current(self):
        """Position among the visible rows of the row that has the tree's focus, or None."""
        for position, cell in enumerate(self.cells()):
            if focused(cell):
                return position
        return None

    def into_tree(self, back=False):
        """Tab (Shift+Tab with `back`) until the step tree has the focus."""
        for _ in range(8):
            if wait_until(lambda: focused(self.program.tree()), 1):
                return True
            key("shift+Tab" if back else "Tab")
        fail(f"the step tree never got the focus by {'Shift+Tab' if back else 'Tab'}")
        return False

    def go_to(self, k):
        """Moves the tree's current row to node k with the arrow keys."""
        target = self.program.visible_nodes().index(k)
        here = wait_until(lambda: self.current() is not None and self.current() + 1)
        if here is None:
            fail(f"no current row in the tree on the way to node {k}")
            return
        steps = target - (here - 1)
        if steps:
            key(*(["Down"] * steps if steps > 0 else ["Up"] * -steps))
        text = NODES[k][1 if self.program.lang == "nl" else 2]
        if wait_until(lambda: self.current() == target and
                      self.cells()[target].get_name().rstrip(MARK) == text) is None:
            fail(f"the arrow keys did not reach node {k} ({text!r})")

    def take_with(self, step_key):
        def take(k):
            self.go_to(k)
            self.reader.forget()
            key(step_key)
            self.program.expanded.add(k)
        return take

    def heard_step(self, k):
        """What a reader is told after step k, and the row's checked state; then back to the tree."""
        program = self.program
        explanation = program.memo_text()
        what = f"{program.lang} node {k}"
        cell = program.row_cell(k)[1]
        if wait_until(lambda: has_state(program.row_cell(k)[1], Atspi.StateType.CHECKED)) is None:
            fail(f"{what}: the taken row is not checked")
        later = [n for n in program.visible_nodes() if n > k]
        if later and has_state(program.row_cell(later[0])[1], Atspi.StateType.CHECKED):
            fail(f"{what}: node {later[0]} is checked before it was taken")
        if k in ADD_ONLY:
            # The focus stays on the row; a notification showing the explanation tells the reader.
            if not focused(program.tree()) or not focused(cell):
                fail(f"{what}: the focus left the step's row")
            if wait_until(lambda: self.reader.told(
                    lambda kind, detail, role, name: kind.endswith("showing") and detail == 1 and
                    role == "notification" and name == explanation)) is None:
                fail(f"{what}: no notification told the reader the explanation")
            if self.reader.told(lambda kind, detail, _role, _name: kind.endswith("focused") and detail == 1):
                fail(f"{what}: the reader was told of a focus change")
        else:
            # The explanation box takes the focus; it describes itself by its whole text.
            if wait_until(lambda: focused(self.memo())) is None:
                fail(f"{what}: the explanation box did not get the focus")
            if self.memo().get_description() != explanation:
                fail(f"{what}: the explanation box describes {self.memo().get_description()!r}")
            if wait_until(lambda: self.reader.told(
                    lambda kind, detail, role, _data: kind.endswith("focused") and detail == 1 and
                    role == "text")) is None:
                fail(f"{what}: the reader was not told of the focus on the explanation box")
            # One key back to the tree, onto the next step's row.
            key("Escape")
            if wait_until(lambda: focused(program.tree())) is None:
                fail(f"{what}: Escape did not bring the focus back to the step tree")


def check_bindings(program):
    """Every command's key is the key binding of its own control; the window is a frame."""
    words = LANG[program.lang]
    window = find(program.app, lambda a: a.get_role_name() == "frame" and a.get_name() == words["title"])
    if window is None:
        fail(f"the main window is no frame named {words['title']!r} on the bus")
    for command, binding in BUTTON_KEYS.items():
        button = named(program.app, words[command], "push button")
        if button is None or actions(button)[:1] != [("Press", binding)]:
            fail(f"button {words[command]!r} offers {button and actions(button)}, not Press {binding}")
    pages = find(program.app, lambda a: a.get_name() in ("Bladen", "Pages"))
    if pages is None or actions(pages)[:2] != PAGE_KEYS:
        fail(f"the page control offers {pages and actions(pages)}, not {PAGE_KEYS}")
    diagram = named(program.app, words["diagram"], "image")
    if diagram is None or actions(diagram)[:1] != [("ShowMenu", "Shift+F10")]:
        fail(f"the diagram panel offers {diagram and actions(diagram)}, not ShowMenu Shift+F10")
    # The hidden tree's rows are not on the bus as showing; the logo has a name.
    for tree in children(find(program.app, lambda a: a.get_role_name() == "panel" and
                              a.get_name() in ("Acties", "Actions"))):
        if not showing(tree) and any(showing(c) for c in children(tree)):
            fail("rows of the hidden step tree are exposed as showing")
    logo = {"nl": "Logo van de maker", "en": "Maker\u2019s logo"}[program.lang]
    # A label, or a picture once its page has been shown and it holds the logo.
    if wait_until(lambda: find(program.app, lambda a: a.get_name() == logo and
                               a.get_role_name() in ("label", "image"))) is None:
        labels = [a.get_name() for a in children(find(program.app, lambda a: a.get_name() in (
            "Over de maker", "About the maker")))]
        fail(f"the logo is not named {logo!r}: the maker's labels are {labels}")


def check_panel_focus(panels):
    """Tab from the tree reaches the element panel and then the diagram panel; the focus is marked on
    the bevel around the diagram panel, none of whose own pixels changes."""
    x, y, w, h = panels.rect["D"]
    before = Shot(x - 4, y - 4, w + 8, h + 8)
    key("Tab")
    if wait_until(lambda: focused(panels.acc["E"])) is None:
        fail("Tab from the step tree did not reach the element panel")
    key("Tab")
    if wait_until(lambda: focused(panels.acc["D"])) is None:
        fail("Tab did not reach the diagram panel")
        return
    marked = wait_until(lambda: (lambda s: s if s.at(2, 200) != before.at(2, 200) else None)(
        Shot(x - 4, y - 4, w + 8, h + 8)))
    if marked is None:
        fail("the focused diagram panel has no focus mark on its bevel")
        return
    for row in range(4, 4 + h):
        if marked.row(row, 4, w) != before.row(row, 4, w):
            fail(f"focusing the diagram panel changed its pixels (row {row - 4})")
            break
    if marked.at(2, 200) != marked.at(200, 2) or marked.at(3, 200) != marked.at(2, 200):
        fail("the focus mark does not run round the panel in one colour")
    note("both panels reached with Tab; the focus mark lies outside the diagram's pixels")


def shift_f10(_panels):
    key("shift+F10")


def check_grid_by_keys(program, panels, reader):
    """The grid menu by Shift+F10 where the mouse opens it, with the entries' keys on the bus; then the
    grid hidden and drawn by its own keys and through that menu. Popup menus are no children of the
    application on the bus: their entries are met as the focus reaches them."""
    before = program.windows()
    reader.forget()
    key("shift+F10")
    if wait_until(lambda: len(program.windows()) > len(before)) is None:
        fail("Shift+F10 on the diagram panel did not open the grid menu")
        return
    key("Down", "Right", "Down")
    expected = GRID_KEYS[program.lang]
    entries = wait_until(lambda: (lambda items: items if len(items) >= 3 else None)(reader.focused_items()))
    found = [(name, actions(source)[0][1]) for name, source in (entries or [])[1:]]
    if found != expected:
        fail(f"the grid entries offer {found}, not {expected}")
    key("Escape", "Escape")
    if wait_until(lambda: len(program.windows()) == len(before)) is None:
        fail("Escape did not close the grid menu")
    if wait_until(lambda: focused(panels.acc["D"])) is None:
        fail("the focus did not come back to the diagram panel after the menu")
    toggle_grid(program, panels, hide=lambda: key("ctrl+shift+g"), draw=lambda: key("ctrl+g"))
    toggle_grid(program, panels, hide=lambda: open_grid_menu(program, panels, 2, shift_f10),
                draw=lambda: open_grid_menu(program, panels, 1, shift_f10))


def check_pages(program):
    strains = {"nl": "Rekken", "en": "Strains"}[program.lang]
    for forward, back in (("ctrl+Next", "ctrl+Prior"), ("ctrl+Tab", "ctrl+shift+Tab")):
        key(forward)
        if wait_until(lambda: named(program.app, strains, "filler") is not None) is None:
            fail(f"{forward} did not show the strains page")
        key(back)
        if wait_until(lambda: named(program.app, strains, "filler") is None and program.tree() is not None) is None:
            fail(f"{back} did not bring the stresses page back")
    note("pages turned by Ctrl+PgDown/PgUp and Ctrl+Tab/Shift+Tab")


def check_about(program):
    key("F1")
    if wait_until(lambda: program.window_id("About")) is None:
        fail("F1 did not open the about dialog")
        return
    key("Escape")
    if wait_until(lambda: program.window_id("About") is None) is None:
        fail("Escape did not close the about dialog")


def check_announced(reader, text, what):
    """A reader is told `text` by a notification that shows, as after a step that keeps the focus."""
    if wait_until(lambda: reader.told(lambda kind, detail, role, name: kind.endswith("showing") and
                                      detail == 1 and role == "notification" and name == text)) is None:
        fail(f"{what} was not announced as {text!r}")
    else:
        note(f"{what} announced: {text!r}")


def drive_by_keys(program):
    reader = Reader()
    keys = Keys(program, reader)
    check_bindings(program)
    panels = Panels(program.app, "nl")
    check_start_state(program, panels, "start")

    keys.into_tree()
    refuse(program, panels, 2, take=keys.take_with("Return"), close="Escape")
    if wait_until(lambda: focused(program.tree())) is None:
        fail("the focus did not come back to the step tree after the refusal")
    before = PRESSES[0]
    walk(program, panels, take=keys.take_with("Return"), after=keys.heard_step)
    used = PRESSES[0] - before
    if used > WALK_BOUND:
        fail(f"the 31 steps took {used} key presses, more than {WALK_BOUND}")
    note(f"the 31 steps by keys alone: {used} key presses")
    check_panel_focus(panels)
    check_grid_by_keys(program, panels, reader)
    check_pages(program)
    check_about(program)
    # The explanation box, a read-only text, lets the command keys through.
    key("Tab")
    if wait_until(lambda: focused(keys.memo())) is None:
        fail("Tab from the diagram panel did not reach the explanation box")
    reader.forget()
    restart(program, panels, press=lambda: key("ctrl+r"))
    check_announced(reader, "opnieuw begonnen", "restart")

    reader.forget()
    key("ctrl+l")
    panels = switched_to_english(program, "Ctrl+L")
    check_announced(reader, "English, started again", "the language switch")
    if wait_until(lambda: focused(program.tree()) and keys.current() == 0) is None:
        fail("after the language switch the focus is not on the first row of the English tree")
    check_bindings(program)
    keys.into_tree()
    refuse(program, panels, 17, take=keys.take_with("space"), close="Return")
    walk(program, panels, take=keys.take_with("KP_Enter"), after=keys.heard_step, nodes=12)

    leave(program, "Ctrl+Q", lambda: key("ctrl+q"))


if __name__ == "__main__":
    sys.exit(run(drive_by_keys))

"""The web edition's panels against the desktop program's after the same actions: fixed sequences that
exercise the refresh rules (the axis parts of nodes 3 and 4 lost to a refresh before node 5 or kept
without one, the grid drawn over and replayed, restarts, language switches, refused jumps, page
changes) and seeded random ones. Chromium captures each panel at four times its size after every
action; web_oracle takes the same actions on the offscreen main window and compares.

Usage: pictures.py PATH/TO/mohrwalk-figures PATH/TO/web_oracle. MOHRWALK_WEB_SEED=<n> repeats the random
sequences of a run (its seed is printed), MOHRWALK_WEB_RANDOM=<n> takes n of them (3 unless set);
MOHRWALK_WEB_KEEP=<folder> keeps the pictures there, and MOHRWALK_WEB_WHY=1 has the comparison say where
the desktop's own vector drawing departs from its pixels.
Exits 77 when chromium, chromedriver or selenium is missing.
"""

import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(__file__))
import walk  # noqa: E402  (the browser, the exported page and the step table)
import engines  # noqa: E402

STEPS = len(walk.NODES)

# Each showing panel's drawing and place in the page's window.
PANELS = """
const $ = (id) => document.getElementById(id);
const out = [];
if ($('TabSheet1').hidden) return out;
for (const id of ['PaintBox1', 'PaintBox2']) {
  const svg = $(id).querySelector('svg');
  // Letters in the glyph colour, which the comparison lets stand for any ink.
  for (const t of svg.querySelectorAll('text')) t.style.fill = '#123456';
  const r = svg.getBoundingClientRect();
  out.push([id, svg.outerHTML, r.left + window.scrollX, r.top + window.scrollY, r.width, r.height]);
}
return out;
"""

# Takes one action on the page and returns what PANELS does. A refusal is closed at once, as the desktop
# test platform answers it.
ACT = """
const [verb, arg] = arguments[0].split(' ');
const $ = (id) => document.getElementById(id);
if (verb === 'step') {
  const tree = $('TreeView1').hidden ? 'TreeViewUK' : 'TreeView1';
  $(tree).querySelector("[data-index='" + arg + "']").click();
  if (!$('Information').hidden) $('InformationOK').click();
} else if (verb === 'restart') $('SpeedButton2').click();
else if (verb === 'language') $('SpeedButton4').click();
else if (verb === 'grid') $(arg === 'on' ? 'ON1' : 'OFF1').click();
else if (verb === 'page') $('TabSheet' + arg + '-tab').click();
return (function () {""" + PANELS + """})();
"""


def desktop_panels(oracle, folder, actions):
    """Takes the actions on the offscreen main window (web_oracle walk): for each action and panel on
    the stresses page, the key of its pictures in folder; None when the desktop side failed."""
    desktop = subprocess.run([oracle, "walk", folder], input="\n".join(actions) + "\n", text=True,
                             capture_output=True)
    if desktop.returncode != 0:
        walk.fail(f"the desktop side failed: {desktop.stderr}")
        return None
    shown = {}
    with open(os.path.join(folder, "manifest"), encoding="utf-8") as f:
        for line in f:
            index, panel, key = line.split()
            shown[(int(index), panel)] = key
    return shown


def capture(d, folder, panels, captured, offset=(0, 0)):
    """Each panel of a PANELS answer as its digest, captured at four times its size the first time the
    drawing is seen (captured: digest -> picture file); offset places the page's window in the tab."""
    digests = []
    for panel, markup, x, y, w, h in panels:
        digest = hashlib.sha1(markup.encode()).hexdigest()[:16]
        if digest not in captured:
            path = os.path.join(folder, f"page-{digest}.png")
            with open(path, "wb") as out:
                out.write(engines.capture(d, x + offset[0], y + offset[1], w, h, 4, folder))
            captured[digest] = path
        digests.append((panel, digest))
    return digests


def compare(oracle, folder, captured, pairs):
    """Has web_oracle compare each (page digest, desktop key) pair; prints what it says and returns how
    many pictures differ."""
    with open(os.path.join(folder, "list"), "w", encoding="utf-8") as out:
        for digest, key in sorted(pairs):
            out.write(f"{captured[digest]} {os.path.join(folder, key + '-raster.png')} "
                      f"{os.path.join(folder, key + '-twin.png')}\n")
    compared = subprocess.run([oracle, "compare", os.path.join(folder, "list")], text=True,
                              capture_output=True)
    print(compared.stdout, end="")
    return compared.returncode


def fixed_sequences():
    steps = lambda a, b: [f"step {k}" for k in range(a, b + 1)]  # noqa: E731
    start = ["page 1", "restart"]
    return [
        ("the whole walk", start + steps(0, STEPS - 1)),
        ("a refresh before node 5 loses the axis parts of nodes 3 and 4",
         start + steps(0, 4) + ["page 2", "page 1"] + steps(5, 12)),
        ("no refresh: the axis parts stay, then the grid is replayed",
         start + steps(0, 6) + ["grid off", "grid on"] + steps(7, 14) + ["grid off"] + steps(15, 20)
         + ["grid on"]),
        ("the grid hidden early", start + steps(0, 2) + ["grid off"] + steps(3, 9) + ["page 2", "grid on", "page 1"]),
        ("switching language mid-walk", start + steps(0, 12) + ["language"] + steps(0, STEPS - 1) + ["language"]),
        ("restart and taken steps again",
         start + steps(0, 15) + ["restart"] + steps(0, 9) + ["step 3", "step 20", "step 0"] + steps(10, 16)),
        ("refused jumps and steps on the hidden page",
         start + ["step 5", "step 0", "step 3", "step 1", "step 2", "step 30"] + steps(3, 6) + ["page 2"]
         + steps(7, 11) + ["page 1", "step 12", "page 2", "restart", "page 1"]),
    ]


def random_sequence(rng, length):
    """Actions as a student might take them: mostly the next step, sometimes a taken or a later one,
    the grid, the pages, restart and the language."""
    taken, actions = 0, []
    for _ in range(length):
        kind = rng.choices(["next", "repeat", "jump", "grid on", "grid off", "page", "restart", "language"],
                           [45, 10, 8, 6, 6, 8, 4, 4])[0]
        if kind == "next" and taken < STEPS:
            actions.append(f"step {taken}")
            taken += 1
        elif kind == "repeat" and taken:
            actions.append(f"step {rng.randrange(taken)}")
        elif kind == "jump" and taken + 1 < STEPS:
            actions.append(f"step {rng.randrange(taken + 1, STEPS)}")
        elif kind == "page":
            actions.append(f"page {rng.choice([1, 2])}")
        elif kind in ("restart", "language"):
            actions.append(kind)
            taken = 0
        elif kind.startswith("grid"):
            actions.append(kind)
    return actions


def run(figures, oracle):
    seed = int(os.environ.get("MOHRWALK_WEB_SEED", random.SystemRandom().randrange(1 << 30)))
    rng = random.Random(seed)
    sequences = fixed_sequences() + [(f"random {i} (seed {seed})", random_sequence(rng, 120))
                               for i in range(int(os.environ.get("MOHRWALK_WEB_RANDOM", "3")))]
    actions, names = [], []
    for name, sequence in sequences:
        actions += sequence
        names += [name] * len(sequence)
    print(f"{len(actions)} actions, seed {seed}", flush=True)

    keep = os.environ.get("MOHRWALK_WEB_KEEP")
    folder = keep or tempfile.mkdtemp()
    os.makedirs(folder, exist_ok=True)
    try:
        shown = desktop_panels(oracle, folder, actions)
        if shown is None:
            return

        def check(d, url, _web):
            d.get(url)
            if walk.wait_until(lambda: d.execute_script("return window.mohrwalkReady === true")) is None:
                walk.fail("the page did not get ready")
                return
            captured, pairs = {}, set()
            for index, action in enumerate(actions):
                panels = d.execute_script(ACT, action)
                if len(panels) != sum(1 for p in ("PaintBox1", "PaintBox2") if (index, p) in shown):
                    walk.fail(f"action {index} ({action}, {names[index]}): the page and the desktop do not "
                              "show the same page")
                    return
                for panel, digest in capture(d, folder, panels, captured):
                    key = shown[(index, panel)]
                    if (digest, key) not in pairs:
                        pairs.add((digest, key))
                        print(f"{index:4} {names[index]}: {action} -> {panel} page-{digest} {key}")
            differ = compare(oracle, folder, captured, pairs)
            if differ != 0:
                walk.fail(f"{differ} of {len(pairs)} pictures differ (seed {seed}); "
                          "the lines above name the actions that led to them")
            else:
                print(f"{len(pairs)} different pictures after {len(actions)} actions agree", flush=True)

        walk.on_exported_page(figures, check)
    finally:
        if not keep:
            shutil.rmtree(folder, ignore_errors=True)


def main():
    run(sys.argv[1], sys.argv[2])
    return 1 if walk.failures else 0


if __name__ == "__main__":
    sys.exit(main())

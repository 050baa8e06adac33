// The walkthrough itself: the two step trees with their keys, the rule that steps are taken in order, the
// step programs (explanation, drawings, flags), and the commands that restart it, switch its language,
// turn its pages and draw or hide the grid.
(function () {
  "use strict";
  const M = window.Mohrwalk;
  const { D, state, $, TREE_OF } = M;

  // --- the trees ----------------------------------------------------------------------------------------
  const rows = (lang) => D.trees[lang];

  function parentOf(lang, index) {
    const level = rows(lang)[index].level;
    for (let i = index - 1; i >= 0; --i) if (rows(lang)[i].level < level) return i;
    return -1;
  }
  function hasChildren(lang, index) {
    const list = rows(lang);
    return index + 1 < list.length && list[index + 1].level > list[index].level;
  }
  function isShown(lang, index) {
    for (let p = parentOf(lang, index); p >= 0; p = parentOf(lang, p)) if (!state.expanded[lang][p]) return false;
    return true;
  }

  M.buildTree = function (lang) {
    const tree = $(TREE_OF[lang]);
    tree.textContent = "";
    const list = rows(lang);
    list.forEach((row, index) => {
      const li = document.createElement("li");
      li.setAttribute("role", "treeitem");
      li.dataset.index = String(index);
      li.setAttribute("aria-level", String(row.level + 1));
      const siblings = list.map((r, i) => i).filter((i) => list[i].level === row.level && parentOf(lang, i) === parentOf(lang, index));
      li.setAttribute("aria-setsize", String(siblings.length));
      li.setAttribute("aria-posinset", String(siblings.indexOf(index) + 1));
      li.tabIndex = -1;
      li.addEventListener("click", () => takeStep(lang, index));
      li.addEventListener("contextmenu", (e) => e.preventDefault());
      // The step's own handler moves the focus; the press before it would move it once more, for nothing.
      li.addEventListener("mousedown", (e) => e.preventDefault());
      tree.append(li);
    });
    tree.addEventListener("keydown", (e) => treeKey(lang, e));
    M.showTree(lang);
  };

  // What each row was last written to show, so that a row is written only where it changes: a step touches
  // its own rows, not the whole tree, and the page lays out and paints no more than that.
  const written = { nl: [], en: [] };

  M.showTree = function (lang) {
    const tree = $(TREE_OF[lang]);
    const list = rows(lang);
    if (state.current[lang] < 0) state.current[lang] = 0;
    // The tree's one tab stop is its current row, so that row is always one that shows.
    while (!isShown(lang, state.current[lang])) state.current[lang] = parentOf(lang, state.current[lang]);
    list.forEach((row, index) => {
      const li = tree.children[index];
      const was = written[lang][index] || {};
      const now = {
        taken: !!state.taken[lang][index],
        hidden: !isShown(lang, index),
        open: hasChildren(lang, index) ? !!state.expanded[lang][index] : null,
        current: index === state.current[lang],
      };
      if (now.taken !== was.taken) {
        li.textContent = row.text + (now.taken ? D.mark : "");
        li.setAttribute("aria-checked", now.taken ? "true" : "false");
      }
      if (now.hidden !== was.hidden) li.hidden = now.hidden;
      if (now.open !== was.open && now.open !== null) li.setAttribute("aria-expanded", now.open ? "true" : "false");
      if (now.current !== was.current) {
        li.classList.toggle("current", now.current);
        li.setAttribute("aria-selected", now.current ? "true" : "false");
        // Set only where it changes: changed on the focused row, it has the page's style worked out at once.
        const stop = now.current ? 0 : -1;
        if (li.tabIndex !== stop) li.tabIndex = stop;
      }
      written[lang][index] = now;
    });
  };

  M.rowElement = function (lang, index) { return $(TREE_OF[lang]).children[index]; };

  function setCurrent(lang, index, focus) {
    state.current[lang] = index;
    M.showTree(lang);
    if (focus) M.rowElement(lang, index).focus();
  }

  function visibleRows(lang) {
    return rows(lang).map((r, i) => i).filter((i) => isShown(lang, i));
  }

  function treeKey(lang, e) {
    if (state.dialog || e.altKey || e.ctrlKey || e.metaKey) return;
    const here = state.current[lang];
    const shown = visibleRows(lang);
    const at = shown.indexOf(here);
    let to = null;
    switch (e.key) {
      case "ArrowDown": to = shown[Math.min(at + 1, shown.length - 1)]; break;
      case "ArrowUp": to = shown[Math.max(at - 1, 0)]; break;
      case "Home": to = shown[0]; break;
      case "End": to = shown[shown.length - 1]; break;
      case "ArrowRight":
        if (hasChildren(lang, here) && !state.expanded[lang][here]) { state.expanded[lang][here] = true; M.showTree(lang); }
        else if (hasChildren(lang, here)) to = here + 1;
        break;
      case "ArrowLeft":
        if (hasChildren(lang, here) && state.expanded[lang][here]) { state.expanded[lang][here] = false; M.showTree(lang); }
        else if (parentOf(lang, here) >= 0) to = parentOf(lang, here);
        break;
      case "Enter": case " ":
        if (!e.repeat) takeStep(lang, here);
        break;
      default: return;
    }
    e.preventDefault();
    // The key was the tree's: a dialog it opened must not take the same key as its own.
    e.stopPropagation();
    if (to !== null && to !== undefined) setCurrent(lang, to, true);
  }

  // Back from the explanation to the tree, onto the row after the one just taken.
  M.backToTree = function () {
    const lang = state.lang;
    const next = state.current[lang] + 1;
    if (next < rows(lang).length && isShown(lang, next)) state.current[lang] = next;
    M.showTree(lang);
    M.rowElement(lang, state.current[lang]).focus();
  };

  // Where the focus goes when what held it is gone: the current row, or the tab of the page shown.
  M.focusHome = function () {
    if (state.page === 1) M.rowElement(state.lang, state.current[state.lang]).focus();
    else $("TabSheet2-tab").focus();
  };

  // --- the order rule and the step programs --------------------------------------------------------------
  const memoLines = [];
  // The box is a region described by its own text, as the desktop describes its box. A reader that says
  // only the line at the start of a focused region (Orca) reads the description, whole; one that reads
  // the focused content (NVDA, JAWS) finds the description equal to it and says it once. Exactly equal:
  // no blank at a line's end, which the description would lose. A new box each time: a browser may tell
  // of the changed description after the focus has come (Firefox), and a reader then reads it again.
  const memoText = () => memoLines.map((line) => line.trim()).join("\n");
  function showMemo() {
    const old = $("Memo1");
    const box = old.cloneNode(false);
    const text = document.createElement("div");
    text.id = "Memo1Text";
    text.textContent = memoText();
    box.append(text);
    old.replaceWith(box);
  }

  const takeStep = M.whenFigures(function (lang, index) {
    // The row acted on becomes the current one; it is opened on every click, also a refused one.
    state.current[lang] = index;
    state.expanded[lang][index] = true;
    let allowed = true;
    for (let i = 0; i < index; ++i) if (!state.taken[lang][i]) allowed = false;
    if (!allowed) {
      M.showTree(lang);
      M.openInformation(D.refusal[lang], M.rowElement(lang, index));
      return;
    }
    const program = D.steps[lang][index];
    const focusMoves = program.some((action) => action[0] === "top");
    for (const action of program) {
      if (action[0] === "clear") memoLines.length = 0;
      else if (action[0] === "add") memoLines.push(D.explanations[lang][action[1]]);
    }
    // The focus goes first, the page laid out as it was but for the new explanation: moved after the step's
    // other changes, it would have them laid out then and there, in the middle of the step. The row was
    // clicked or keyed, so it is in view; the explanation is brought into view in the next frame.
    if (focusMoves) {
      showMemo();
      const memo = $("Memo1");
      memo.focus({ preventScroll: true });
      // The caret at the explanation's start, where a reader's reading mode goes on from.
      if ($("Memo1Text").firstChild) window.getSelection().collapse($("Memo1Text").firstChild, 0);
      M.beforePaint(() => memo.scrollIntoView({ block: "nearest", inline: "nearest" }));
    } else {
      const row = M.rowElement(lang, index);
      row.tabIndex = 0;
      row.focus({ preventScroll: true });
    }
    state.taken[lang][index] = true;
    M.showTree(lang);
    for (const action of program) {
      switch (action[0]) {
        case "draw": if (!action[2] || !state.layers[action[2]]) M.draw(action[1]); break;
        case "options": state.options = action[1]; break;
        case "layer": state.layers[action[1]] = action[2]; break;
        case "refresh": state.panels[action[1]].pending = true; break;
      }
    }
    if (!focusMoves) showMemo();
    M.afterAction();
    if (!focusMoves) M.announce(memoText());
    M.emit("step", lang, index);
  });
  // A step as a click takes it, for a walk taken up again.
  M.takeStep = takeStep;

  // --- commands -----------------------------------------------------------------------------------------
  function restart() {
    for (const lang of M.LANGS) { state.taken[lang] = []; state.expanded[lang] = []; state.current[lang] = 0; }
    M.resetFlags();
    memoLines.length = 0;
    showMemo();
    for (const id of M.PANELS) state.panels[id].pending = true;
    M.showTree("nl");
    M.showTree("en");
  }

  M.restartCommand = M.whenFigures(function () {
    restart();
    M.afterAction();
    if (state.page === 1) M.focusHome();
    M.announce(D.announcements[state.lang].restart);
    M.emit("restart");
  });

  M.switchLanguage = M.whenFigures(function () {
    restart();
    state.lang = state.lang === "nl" ? "en" : "nl";
    state.column = state.lang;
    const leaving = $(TREE_OF[state.lang === "en" ? "nl" : "en"]);
    leaving.hidden = true;
    $(TREE_OF[state.lang]).hidden = false;
    M.showTexts();
    M.afterAction();
    if (state.page === 1) M.focusHome();
    M.announce(D.announcements[state.lang].switch);
    M.emit("language");
  });

  M.grid = M.whenFigures(function (on) {
    M.closeMenu();
    state.panels.PaintBox1.pending = true;
    state.layers.DiagramGrid = on;
    // Drawn over the old picture at once, then replayed anew on white.
    M.replay("PaintBox1");
    M.afterAction();
    M.emit("grid");
  });

  let audio = null;
  function beep() {
    try {
      audio = audio || new AudioContext();
      const tone = audio.createOscillator();
      const gain = audio.createGain();
      gain.gain.value = 0.08;
      tone.frequency.value = 880;
      tone.connect(gain).connect(audio.destination);
      tone.start();
      tone.stop(audio.currentTime + 0.08);
    } catch (e) { /* no sound to be had: the page change stands on its own */ }
  }

  // Quiet: the page comes back as it was left, which is no change a beep should mark.
  M.showPage = M.whenFigures(function (page, focusTab, quiet) {
    if (page === state.page) return;
    state.page = page;
    $("TabSheet1").hidden = page !== 1;
    $("TabSheet2").hidden = page !== 2;
    for (const [n, id] of [[1, "TabSheet1-tab"], [2, "TabSheet2-tab"]]) {
      $(id).setAttribute("aria-selected", n === page ? "true" : "false");
      $(id).tabIndex = n === page ? 0 : -1;
    }
    // Hidden with their page, the drawings are painted anew when it comes back.
    if (page === 2) for (const id of M.PANELS) state.panels[id].pending = true;
    if (!quiet) M.afterPaint(beep);
    M.afterAction();
    // A browser that does not focus a clicked tab leaves the focus on what the other page hid.
    if (focusTab || !M.shown(document.activeElement)) $(page === 1 ? "TabSheet1-tab" : "TabSheet2-tab").focus();
    M.emit("page");
  });
})();

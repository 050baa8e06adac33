// The walkthrough's behaviour. Every text, tree row, step program and drawing comes from data.js and
// figures.js, which the figures program writes from the desktop program itself; this script only
// follows them: the trees and their order rule, the explanation, the two drawings, the dialogs, the
// pages, the grid menu and the keys.
(function () {
  "use strict";
  const D = window.MOHRWALK_DATA;
  // The drawings and the descriptions arrive right after the first paint (see start).
  let F = null;
  let descriptions = null;
  const SVG = "http://www.w3.org/2000/svg";
  const $ = (id) => document.getElementById(id);
  const PANELS = ["PaintBox2", "PaintBox1"];
  const TREE_OF = { nl: "TreeView1", en: "TreeViewUK" };

  // The keys a browser keeps for itself get others that browsers leave to pages.
  const KEYS = {
    about: "F1", restart: "Alt+Shift+R", language: "Alt+Shift+L", nextPage: "Alt+Shift+PageDown",
    previousPage: "Alt+Shift+PageUp", gridOn: "Alt+Shift+G", gridOff: "Alt+Shift+H", gridMenu: "Shift+F10",
  };
  const KEY_WORDS = {
    nl: [["Pijltjes, Home, End", "in de stappen: naar een andere regel; rechts opent, links sluit"],
         ["Enter, Spatie", "in de stappen: de stap van de regel nemen"],
         ["Esc", "in de uitleg: terug naar de stappen"],
         [KEYS.about, "over het programma"], [KEYS.restart, "start opnieuw"],
         [KEYS.language, "andere taal (en start opnieuw)"], [KEYS.nextPage, "volgend tabblad"],
         [KEYS.previousPage, "vorig tabblad"], [KEYS.gridOn, "grid tekenen"], [KEYS.gridOff, "grid verbergen"],
         [KEYS.gridMenu + ", Menu", "op de tensorkring: het gridmenu"]],
    en: [["Arrows, Home, End", "in the steps: to another row; right opens, left closes"],
         ["Enter, Space", "in the steps: take the step of the row"],
         ["Esc", "in the explanation: back to the steps"],
         [KEYS.about, "about"], [KEYS.restart, "restart"], [KEYS.language, "other language (and restart)"],
         [KEYS.nextPage, "next page"], [KEYS.previousPage, "previous page"], [KEYS.gridOn, "draw the grid"],
         [KEYS.gridOff, "hide the grid"], [KEYS.gridMenu + ", Menu", "on Mohr\u2019s circle: the grid menu"]],
  };

  // --- state, as the desktop program holds it ----------------------------------------------------------
  const state = {
    lang: "nl",        // the language shown, and the figures' language
    column: "start",   // the texts shown: the window as loaded until the first switch
    taken: { nl: [], en: [] },
    expanded: { nl: [], en: [] },
    current: { nl: -1, en: -1 },
    layers: {},
    options: true,
    slot: 0,
    page: 1,
    dialog: null,
    panels: {},
  };

  function resetFlags() {
    for (const name of D.layers) state.layers[name] = false;
    state.options = true;
  }

  // --- texts ------------------------------------------------------------------------------------------
  function text(id, value) { const e = $(id); if (e) e.textContent = value; }
  function keyHint(hint, key) { return hint + " (" + key + ")"; }

  function showTexts() {
    const t = D.texts[state.column];
    const names = D.names[state.lang];
    document.documentElement.lang = state.lang;
    document.title = t.MainForm;
    text("Heading", t.MainForm);
    text("TabSheet1-tab", t.TabSheet1);
    text("TabSheet2-tab", t.TabSheet2);
    for (const box of ["GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"])
      $(box).querySelector(".caption").textContent = t[box];
    text("Label5", t.Label5);
    const strains = D.strains[state.lang];
    for (const label of ["Label1", "Label2", "Label3", "Label4"]) text(label, strains[label]);
    $("Image1").alt = names.Image1;
    text("grid1", t.grid1);
    menuEntry("ON1", t.ON1, KEYS.gridOn);
    menuEntry("OFF1", t.OFF1, KEYS.gridOff);
    $("GridMenuButton").textContent = t.grid1;
    // Named by its visible word first, so that a user who says what is seen reaches it.
    $("GridMenuButton").setAttribute("aria-label", t.grid1 + " (" + names.PopupMenu1 + ")");
    $("PopupMenu1").setAttribute("aria-label", names.PopupMenu1);
    const buttons = [["SpeedButton1", KEYS.about], ["SpeedButton2", KEYS.restart], ["SpeedButton4", KEYS.language]];
    for (const [id, key] of buttons) {
      $(id).setAttribute("aria-label", t[id]);
      $(id).title = keyHint(t[id], key);
      $(id).setAttribute("aria-keyshortcuts", key);
    }
    $("PageControl1").setAttribute("aria-label", names.PageControl1);
    $("PageControl1").setAttribute("aria-keyshortcuts", KEYS.nextPage + " " + KEYS.previousPage);
    $("PaintBox1").setAttribute("aria-keyshortcuts", KEYS.gridMenu);
    $("Memo1").setAttribute("aria-label", names.memo);
    for (const lang of ["nl", "en"]) {
      const tree = $(TREE_OF[lang]);
      tree.setAttribute("aria-label", names.tree);
      tree.title = t.TreeHint;
    }
    for (const panel of PANELS) {
      $(panel).setAttribute("aria-label", names[panel]);
      $(panel).setAttribute("aria-describedby", panel + "-description");
    }
    const keys = $("Keys");
    keys.textContent = KEY_WORDS[state.lang].map(([k, w]) => k + ": " + w).join(" \u00b7 ");
    describePanels();
  }

  function menuEntry(id, caption, key) {
    const e = $(id);
    e.textContent = "";
    const words = document.createElement("span");
    words.textContent = caption;
    const keys = document.createElement("span");
    keys.textContent = key;
    keys.setAttribute("aria-hidden", "true");
    e.append(words, keys);
    e.setAttribute("aria-label", caption);
    e.setAttribute("aria-keyshortcuts", key);
  }

  function describePanels() {
    let key = D.layers.map((name) => (state.layers[name] ? "1" : "0")).join("") + "/" + (state.options ? "1" : "0");
    const words = descriptions && descriptions[state.lang][key];
    for (const panel of PANELS) text(panel + "-description", words ? words[panel] : "");
  }

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

  function buildTree(lang) {
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
      li.addEventListener("click", () => { setCurrent(lang, index, false); takeStep(lang, index); });
      li.addEventListener("contextmenu", (e) => e.preventDefault());
      tree.append(li);
    });
    tree.addEventListener("keydown", (e) => treeKey(lang, e));
    showTree(lang);
  }

  function showTree(lang) {
    const tree = $(TREE_OF[lang]);
    const list = rows(lang);
    if (state.current[lang] < 0) state.current[lang] = 0;
    for (const li of tree.children) {
      const index = Number(li.dataset.index);
      const taken = !!state.taken[lang][index];
      li.textContent = list[index].text + (taken ? D.mark : "");
      li.hidden = !isShown(lang, index);
      li.setAttribute("aria-checked", taken ? "true" : "false");
      if (hasChildren(lang, index)) li.setAttribute("aria-expanded", state.expanded[lang][index] ? "true" : "false");
      const current = index === state.current[lang];
      li.classList.toggle("current", current);
      li.setAttribute("aria-selected", current ? "true" : "false");
      li.tabIndex = current ? 0 : -1;
    }
  }

  function rowElement(lang, index) { return $(TREE_OF[lang]).children[index]; }

  function setCurrent(lang, index, focus) {
    state.current[lang] = index;
    showTree(lang);
    if (focus) rowElement(lang, index).focus();
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
        if (hasChildren(lang, here) && !state.expanded[lang][here]) { state.expanded[lang][here] = true; showTree(lang); }
        else if (hasChildren(lang, here)) to = here + 1;
        break;
      case "ArrowLeft":
        if (hasChildren(lang, here) && state.expanded[lang][here]) { state.expanded[lang][here] = false; showTree(lang); }
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

  // --- the order rule and the step programs --------------------------------------------------------------
  const takeStep = whenFigures(function (lang, index) {
    // Opened on every click, also a refused one.
    state.expanded[lang][index] = true;
    let allowed = true;
    for (let i = 0; i < index; ++i) if (!state.taken[lang][i]) allowed = false;
    showTree(lang);
    if (!allowed) {
      openInformation(D.refusal[lang], rowElement(lang, index));
      return;
    }
    state.taken[lang][index] = true;
    showTree(lang);
    let focusMoved = false;
    for (const action of D.steps[lang][index]) {
      switch (action[0]) {
        case "clear": memoLines.length = 0; break;
        case "add": memoLines.push(D.explanations[lang][action[1]]); break;
        case "top": focusMoved = true; break;
        case "draw": if (!action[2] || !state.layers[action[2]]) draw(action[1]); break;
        case "options": state.options = action[1]; break;
        case "layer": state.layers[action[1]] = action[2]; break;
        case "refresh": state.panels[action[1]].pending = true; break;
      }
    }
    showMemo();
    afterAction();
    if (focusMoved) {
      const memo = $("Memo1");
      memo.focus();
      memo.scrollTop = 0;
    } else {
      rowElement(lang, index).focus();
      announce(memoLines.join("\n"));
    }
  });

  const memoLines = [];
  function showMemo() { $("Memo1").textContent = memoLines.join("\n"); }

  function announce(words) {
    const live = $("Announcer");
    live.textContent = "";
    // Set anew a moment later, so that a reader hears the same words twice when they come twice.
    window.setTimeout(() => { live.textContent = words; }, 50);
  }

  // Actions that draw wait for the drawings, which come within moments of the first paint.
  const waiting = [];
  function whenFigures(action) {
    return function (...args) {
      if (F) action(...args);
      else waiting.push(() => action(...args));
    };
  }

  // --- the drawings -------------------------------------------------------------------------------------
  function makePanel(id) {
    const [w, h] = F.size[id];
    const svg = document.createElementNS(SVG, "svg");
    svg.setAttribute("viewBox", "0 0 " + w + " " + h);
    svg.setAttribute("width", String(w));
    svg.setAttribute("height", String(h));
    svg.setAttribute("aria-hidden", "true");
    svg.setAttribute("focusable", "false");
    $(id).append(svg);
    state.panels[id] = { svg: svg, canvas: F.start.canvas[id], pending: false };
  }

  function build(tree) {
    if (typeof tree === "string") return document.createTextNode(tree);
    const element = document.createElementNS(SVG, tree[0]);
    const attrs = F.attrs[tree[1]] || {};
    for (const name in attrs) element.setAttribute(name, attrs[name]);
    for (let i = 2; i < tree.length; ++i) element.append(build(tree[i]));
    return element;
  }

  function draw(op) {
    const o = F.ops[op];
    if (!o) return;
    const panel = state.panels[o.panel];
    const base = panel.canvas + "|" + state.slot + "|";
    const result = o.by[base + state.lang] || o.by[base + "*"];
    if (result) {
      const fragment = F.fragments[result[0]];
      if (fragment) panel.svg.append(build(fragment));
      panel.canvas = result[1];
      state.slot = result[2];
    }
    if (o.sets) state.layers[o.sets] = true;
  }

  // The panel's replay: every set layer, in the panel's own order.
  function replay(id) {
    for (const [layer, op] of D.replay[id]) if (state.layers[layer]) draw(op.replace("{options}", state.options ? "1" : "0"));
  }

  // A refreshed panel is painted white, its font and brush reset, and replayed, once the action is over.
  function repaint(id) {
    const panel = state.panels[id];
    panel.pending = false;
    panel.svg.textContent = "";
    const erased = F.erase[String(panel.canvas)];
    if (erased !== undefined) panel.canvas = erased;
    replay(id);
  }

  function afterAction() {
    if (state.page === 1) for (const id of PANELS) if (state.panels[id].pending) repaint(id);
    describePanels();
  }

  // --- commands -----------------------------------------------------------------------------------------
  function restart() {
    for (const lang of ["nl", "en"]) { state.taken[lang] = []; state.expanded[lang] = []; }
    resetFlags();
    memoLines.length = 0;
    showMemo();
    for (const id of PANELS) state.panels[id].pending = true;
    showTree("nl");
    showTree("en");
  }

  const restartCommand = whenFigures(function restartCommand() {
    restart();
    afterAction();
    announce(state.lang === "en" ? "started again" : "opnieuw begonnen");
  });

  const switchLanguage = whenFigures(function switchLanguage() {
    restart();
    state.lang = state.lang === "nl" ? "en" : "nl";
    state.column = state.lang;
    const leaving = $(TREE_OF[state.lang === "en" ? "nl" : "en"]);
    leaving.hidden = true;
    $(TREE_OF[state.lang]).hidden = false;
    showTexts();
    afterAction();
    state.current[state.lang] = 0;
    showTree(state.lang);
    if (state.page === 1) rowElement(state.lang, 0).focus();
    announce(state.lang === "en" ? "English, started again" : "Nederlands, opnieuw begonnen");
  });

  const grid = whenFigures(function grid(on) {
    closeMenu();
    state.panels.PaintBox1.pending = true;
    state.layers.DiagramGrid = on;
    // Drawn over the old picture at once, then replayed anew on white.
    replay("PaintBox1");
    afterAction();
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

  const showPage = whenFigures(function showPage(page, focusTab) {
    if (page === state.page) return;
    state.page = page;
    $("TabSheet1").hidden = page !== 1;
    $("TabSheet2").hidden = page !== 2;
    for (const [n, id] of [[1, "TabSheet1-tab"], [2, "TabSheet2-tab"]]) {
      $(id).setAttribute("aria-selected", n === page ? "true" : "false");
      $(id).tabIndex = n === page ? 0 : -1;
    }
    // Hidden with their page, the drawings are painted anew when it comes back.
    if (page === 2) for (const id of PANELS) state.panels[id].pending = true;
    beep();
    afterAction();
    if (focusTab) $(page === 1 ? "TabSheet1-tab" : "TabSheet2-tab").focus();
  });

  // --- dialogs ------------------------------------------------------------------------------------------
  function openDialog(id, focus, back) {
    state.dialog = { id: id, back: back };
    $("MainForm").inert = true;
    $("Keys").inert = true;
    $(id).hidden = false;
    $(focus).focus();
  }
  function closeDialog() {
    if (!state.dialog) return;
    const { id, back } = state.dialog;
    state.dialog = null;
    $(id).hidden = true;
    $("MainForm").inert = false;
    $("Keys").inert = false;
    if (back) back.focus();
  }
  function openInformation(message, back) {
    text("InformationText", message);
    openDialog("Information", "InformationOK", back);
  }
  function openAbout() {
    closeMenu();
    const a = D.about;
    text("AboutTitle", a.AboutForm);
    for (const label of ["Label1", "Label2", "Label3", "Label4"]) text("About" + label, a[label]);
    text("BitBtn1", a.BitBtn1);
    const list = $("AboutKeys");
    list.textContent = "";
    for (const [k, w] of KEY_WORDS[state.lang]) {
      const dt = document.createElement("dt"); dt.textContent = k;
      const dd = document.createElement("dd"); dd.textContent = w;
      list.append(dt, dd);
    }
    openDialog("AboutForm", "BitBtn1", document.activeElement);
  }
  function dialogKey(e) {
    const box = $(state.dialog.id);
    if (e.key === "Escape" || (e.key === "Enter" && state.dialog.id === "Information")) {
      e.preventDefault();
      closeDialog();
      return;
    }
    if (e.key === "Tab") {
      // The focus stays inside the dialog.
      const stops = [...box.querySelectorAll("button")];
      const at = stops.indexOf(document.activeElement);
      e.preventDefault();
      stops[(at + (e.shiftKey ? stops.length - 1 : 1)) % stops.length].focus();
    }
  }

  // --- the grid menu ------------------------------------------------------------------------------------
  let menuBack = null;
  function openMenu(x, y) {
    const menu = $("PopupMenu1");
    menuBack = document.activeElement;
    menu.hidden = false;
    const width = menu.offsetWidth;
    menu.style.left = Math.max(0, Math.min(x, window.innerWidth - width - 4) + window.scrollX) + "px";
    menu.style.top = (y + window.scrollY) + "px";
    $("grid1").focus();
  }
  function closeMenu() {
    const menu = $("PopupMenu1");
    if (menu.hidden) return;
    menu.hidden = true;
    if (menuBack) menuBack.focus();
    menuBack = null;
  }
  function openMenuAtDiagram() {
    // Where the desktop opens it: 100 pixels right and down from the corner of the drawing's group box.
    const box = $("GroupBox3").getBoundingClientRect();
    openMenu(box.left + 100, box.top + 100);
  }
  function menuKey(e) {
    const items = ["grid1", "ON1", "OFF1"].map($);
    const at = items.indexOf(document.activeElement);
    if (e.key === "Escape") { e.preventDefault(); closeMenu(); }
    else if (e.key === "ArrowDown") { e.preventDefault(); items[(at + 1) % 3].focus(); }
    else if (e.key === "ArrowUp") { e.preventDefault(); items[(at + 2) % 3].focus(); }
    else if (e.key === "ArrowRight" && at === 0) { e.preventDefault(); items[1].focus(); }
    else if (e.key === "ArrowLeft" && at > 0) { e.preventDefault(); items[0].focus(); }
    else if ((e.key === "Enter" || e.key === " ") && at > 0) { e.preventDefault(); grid(at === 1); }
    else if (e.key === "Tab") { e.preventDefault(); closeMenu(); }
  }

  // --- keys of the whole page -----------------------------------------------------------------------------
  function combo(e) {
    return (e.altKey ? "Alt+" : "") + (e.ctrlKey ? "Ctrl+" : "") + (e.shiftKey ? "Shift+" : "") +
      (e.key.length === 1 ? e.key.toUpperCase() : e.key);
  }
  function pageKey(e) {
    if (state.dialog) { dialogKey(e); return; }
    if (!$("PopupMenu1").hidden) { menuKey(e); return; }
    const k = combo(e);
    const act = {
      [KEYS.about]: openAbout, [KEYS.restart]: restartCommand, [KEYS.language]: switchLanguage,
      [KEYS.nextPage]: () => showPage(state.page === 1 ? 2 : 1, true),
      [KEYS.previousPage]: () => showPage(state.page === 1 ? 2 : 1, true),
      [KEYS.gridOn]: () => grid(true), [KEYS.gridOff]: () => grid(false),
    }[k];
    if (act) { e.preventDefault(); act(); return; }
    if (document.activeElement === $("PaintBox1") && (k === KEYS.gridMenu || e.key === "ContextMenu")) {
      e.preventDefault();
      openMenuAtDiagram();
      return;
    }
    if (document.activeElement === $("Memo1") && e.key === "Escape") {
      // Back to the tree, onto the row after the one just taken.
      e.preventDefault();
      const lang = state.lang;
      const next = state.current[lang] + 1;
      if (next < rows(lang).length && isShown(lang, next)) state.current[lang] = next;
      showTree(lang);
      rowElement(lang, state.current[lang]).focus();
    }
  }

  // --- start --------------------------------------------------------------------------------------------
  function loadLater(file, loaded) {
    const script = document.createElement("script");
    script.src = file;
    script.addEventListener("load", loaded);
    document.head.append(script);
  }

  function start() {
    resetFlags();
    buildTree("nl");
    buildTree("en");
    state.current.nl = 0;
    showTree("nl");
    showTexts();
    $("TabSheet1-tab").addEventListener("click", () => showPage(1, false));
    $("TabSheet2-tab").addEventListener("click", () => showPage(2, false));
    $("PageControl1").addEventListener("keydown", (e) => {
      if (["ArrowUp", "ArrowDown", "ArrowLeft", "ArrowRight"].includes(e.key)) {
        e.preventDefault();
        showPage(state.page === 1 ? 2 : 1, true);
      }
    });
    $("SpeedButton1").addEventListener("click", openAbout);
    $("SpeedButton2").addEventListener("click", restartCommand);
    $("SpeedButton4").addEventListener("click", switchLanguage);
    $("InformationOK").addEventListener("click", closeDialog);
    $("BitBtn1").addEventListener("click", closeDialog);
    $("ON1").addEventListener("click", () => grid(true));
    $("OFF1").addEventListener("click", () => grid(false));
    $("grid1").addEventListener("click", () => $("ON1").focus());
    $("GridMenuButton").addEventListener("click", openMenuAtDiagram);
    const diagram = $("PaintBox1");
    diagram.addEventListener("contextmenu", (e) => { e.preventDefault(); openMenuAtDiagram(); });
    // A long press opens the grid menu on a touch screen, as the right button does.
    let press = null;
    let pressed = false;
    diagram.addEventListener("pointerdown", (e) => {
      pressed = false;
      if (e.pointerType !== "mouse")
        press = window.setTimeout(() => { pressed = true; openMenuAtDiagram(); }, 600);
    });
    for (const end of ["pointerup", "pointercancel", "pointerleave"])
      diagram.addEventListener(end, () => { if (press) window.clearTimeout(press); press = null; });
    // The finger lifted after a long press must not also click the menu entry that opened under it.
    diagram.addEventListener("touchend", (e) => { if (pressed) e.preventDefault(); pressed = false; });
    document.addEventListener("keydown", pageKey);
    document.addEventListener("pointerdown", (e) => {
      if (!$("PopupMenu1").hidden && !$("PopupMenu1").contains(e.target)) closeMenu();
    });
    // After the first paint: the drawings, then the descriptions of the panels.
    window.requestAnimationFrame(() => window.setTimeout(() => {
      loadLater("figures.js", () => {
        F = window.MOHRWALK_FIGURES;
        state.slot = F.start.slot;
        for (const id of PANELS) makePanel(id);
        while (waiting.length) waiting.shift()();
        loadLater("descriptions.js", () => {
          descriptions = window.MOHRWALK_DESCRIPTIONS;
          describePanels();
          window.mohrwalkReady = true;
        });
      });
    }, 0));
  }

  start();
})();

// The page around the walk: the texts of the window in the language shown, the keys of the whole page,
// and the start: the trees and texts at once, the drawings and their descriptions right after the first
// paint.
(function () {
  "use strict";
  const M = window.Mohrwalk;
  const { D, state, $ } = M;

  // --- texts ------------------------------------------------------------------------------------------
  const shownKeys = (control) => M.keysOf(control).join(", ");
  const keyHint = (hint, control) => hint + " (" + shownKeys(control) + ")";

  M.showTexts = function () {
    const t = D.texts[state.column];
    const names = D.names[state.lang];
    document.documentElement.lang = state.lang;
    document.title = t.MainForm;
    M.text("Heading", t.MainForm);
    M.text("TabSheet1-label", t.TabSheet1);
    M.text("TabSheet2-label", t.TabSheet2);
    for (const box of ["GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"])
      $(box).querySelector(".caption").textContent = t[box];
    M.text("Label5", t.Label5);
    const strains = D.strains[state.lang];
    for (const label of ["Label1", "Label2", "Label3", "Label4"]) M.text(label, strains[label]);
    $("Image1").alt = names.Image1;
    M.text("grid1", t.grid1);
    menuEntry("ON1", t.ON1);
    menuEntry("OFF1", t.OFF1);
    $("GridMenuButton").textContent = t.grid1;
    // Named by its visible word first, so that a user who says what is seen reaches it.
    $("GridMenuButton").setAttribute("aria-label", t.grid1 + " (" + names.PopupMenu1 + ")");
    $("PopupMenu1").setAttribute("aria-label", names.PopupMenu1);
    for (const id of ["SpeedButton1", "SpeedButton2", "SpeedButton4"]) {
      $(id).setAttribute("aria-label", t[id]);
      $(id).title = keyHint(t[id], id);
      $(id).setAttribute("aria-keyshortcuts", M.keysOf(id).join(" "));
    }
    $("PageControl1").setAttribute("aria-label", names.PageControl1);
    $("PageControl1").setAttribute("aria-keyshortcuts", [...M.keysOf("PageNext"), ...M.keysOf("PagePrevious")].join(" "));
    $("PaintBox1").setAttribute("aria-keyshortcuts", M.keysOf("GridMenuKey").join(" "));
    $("Memo1").setAttribute("aria-label", names.memo);
    for (const lang of M.LANGS) {
      const tree = $(M.TREE_OF[lang]);
      tree.setAttribute("aria-label", names.tree);
      tree.title = t.TreeHint;
    }
    for (const panel of M.PANELS) {
      $(panel).setAttribute("aria-label", names[panel]);
      $(panel).setAttribute("aria-describedby", panel + "-description");
    }
    M.text("Keys", D.keys[state.lang].map(([k, w]) => k + ": " + w).join(" \u00b7 "));
    M.describePanels();
  };

  function menuEntry(id, caption) {
    const e = $(id);
    e.textContent = "";
    const words = document.createElement("span");
    words.textContent = caption;
    const keys = document.createElement("span");
    keys.textContent = shownKeys(id);
    keys.setAttribute("aria-hidden", "true");
    e.append(words, keys);
    e.setAttribute("aria-label", caption);
    e.setAttribute("aria-keyshortcuts", M.keysOf(id).join(" "));
  }

  // --- keys of the whole page -----------------------------------------------------------------------------
  function combo(e) {
    return (e.altKey ? "Alt+" : "") + (e.ctrlKey ? "Ctrl+" : "") + (e.shiftKey ? "Shift+" : "") + keyName(e);
  }
  // A letter as printed on its key: on a Mac, Option makes the key type another character, and on a
  // keyboard without Latin letters the key's place names it.
  function keyName(e) {
    if (e.key.length !== 1) return M.key(e);
    const letter = e.key.toUpperCase();
    const place = /^Key([A-Z])$/.exec(e.code || "");
    return /^[A-Z]$/.test(letter) || !place ? letter : place[1];
  }
  const otherPage = () => M.showPage(state.page === 1 ? 2 : 1, true);
  const commands = {
    SpeedButton1: () => M.openAbout(), SpeedButton2: () => M.restartCommand(),
    SpeedButton4: () => M.switchLanguage(), PageNext: otherPage, PagePrevious: otherPage,
    ON1: () => M.grid(true), OFF1: () => M.grid(false),
  };
  function commandOf(key) {
    for (const control in commands) if (M.keysOf(control).includes(key)) return commands[control];
    return null;
  }
  function pageKey(e) {
    if (state.dialog) { M.dialogKey(e); return; }
    if (M.menuOpen()) { M.menuKey(e); return; }
    const k = combo(e);
    const act = commandOf(k);
    if (act) { e.preventDefault(); act(); return; }
    if (document.activeElement === $("PaintBox1") &&
        (M.keysOf("GridMenuKey").includes(k) || M.keysOf("GridMenuKey").includes(e.key))) {
      e.preventDefault();
      M.openMenuAtDiagram();
      return;
    }
    if (document.activeElement === $("Memo1") && (k === "Escape" || k === "Shift+Tab")) {
      e.preventDefault();
      M.backToTree();
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
    M.resetFlags();
    M.buildTree("nl");
    M.buildTree("en");
    state.current.nl = 0;
    M.showTree("nl");
    M.showTexts();
    M.text("InformationTitle", D.information.Information);
    M.text("InformationOK", D.information.InformationOK);
    $("TabSheet1-tab").addEventListener("click", () => M.showPage(1, false));
    $("TabSheet2-tab").addEventListener("click", () => M.showPage(2, false));
    $("PageControl1").addEventListener("keydown", (e) => {
      if (["ArrowUp", "ArrowDown", "ArrowLeft", "ArrowRight"].includes(e.key)) {
        e.preventDefault();
        otherPage();
      }
    });
    $("SpeedButton1").addEventListener("click", M.openAbout);
    $("SpeedButton2").addEventListener("click", M.restartCommand);
    $("SpeedButton4").addEventListener("click", M.switchLanguage);
    M.wirePopups();
    document.addEventListener("keydown", pageKey);
    // After the first paint: the drawings, then the descriptions of the panels.
    window.requestAnimationFrame(() => window.setTimeout(() => {
      loadLater("figures.js", () => {
        M.figuresArrived(window.MOHRWALK_FIGURES);
        loadLater("descriptions.js", () => {
          M.descriptions = window.MOHRWALK_DESCRIPTIONS;
          M.describePanels();
          window.mohrwalkReady = true;
        });
      });
    }, 0));
  }

  start();
})();

// The page's shared ground: the program's data, the walkthrough's state as the desktop program holds it,
// and the few helpers the other scripts use. Every text, tree row, step program and drawing comes from
// data.js and figures.js, which the figures program writes from the desktop program itself; the scripts
// only follow them. They load in order: core, drawings, walk, popups, page, layout, course.
(function () {
  "use strict";
  const D = window.MOHRWALK_DATA;
  const listeners = {};
  // Actions that draw wait for the drawings, which come within moments of the first paint.
  const waiting = [];
  // What waits for the next frame (see beforePaint).
  const beforeFrame = [];

  const M = (window.Mohrwalk = {
    D: D,
    // The drawings and the descriptions arrive right after the first paint (see page.js).
    F: null,
    descriptions: null,
    PANELS: ["PaintBox2", "PaintBox1"],
    TREE_OF: { nl: "TreeView1", en: "TreeViewUK" },
    LANGS: ["nl", "en"],

    state: {
      lang: "nl", // the language shown, and the figures' language
      column: "start", // the texts shown: the window as loaded until the first switch
      taken: { nl: [], en: [] },
      expanded: { nl: [], en: [] },
      current: { nl: -1, en: -1 },
      layers: {},
      options: true,
      slot: 0,
      page: 1,
      dialog: null,
      panels: {},
    },

    $: (id) => document.getElementById(id),

    // Whether an element is in the page and drawn: one hidden, or in a hidden part, has no boxes.
    shown: (e) => !!e && e.isConnected && e.getClientRects().length > 0,

    text(id, value) {
      const e = M.$(id);
      if (e) e.textContent = value;
    },

    // The keys the page listens for, for one of the desktop's commands.
    keysOf(control) { return D.keys.commands[control] || []; },

    // The key pressed, by name. WebKitGTK names Shift+Tab "Unidentified"; its place on the keyboard still
    // says Tab.
    key(e) { return e.key === "Unidentified" && e.code ? e.code : e.key; },

    announce(words) {
      const live = M.$("Announcer");
      live.textContent = "";
      // Set anew a moment later, so that a reader hears the same words twice when they come twice.
      window.setTimeout(() => { live.textContent = words; }, 50);
    },

    // What happened, for the scripts that follow the walk: "step" (lang, index), "restart", "language",
    // "page", "grid", and "textsize" when the layout for large text comes or goes.
    on(event, listener) { (listeners[event] = listeners[event] || []).push(listener); },
    emit(event, ...args) { for (const listener of listeners[event] || []) listener(...args); },

    // Work that reads the page's geometry (scrolling a box, bringing a row into view) waits for the next
    // frame, which lays out the action's changes once; read in the middle of them it would force a layout
    // of its own.
    beforePaint(task) {
      if (!beforeFrame.length)
        window.requestAnimationFrame(() => { for (const t of beforeFrame.splice(0)) t(); });
      beforeFrame.push(task);
    },

    // What the student does not see (a sound) waits until the frame that shows the action is painted.
    afterPaint(task) {
      window.requestAnimationFrame(() => window.setTimeout(task, 0));
    },

    whenFigures(action) {
      return function (...args) {
        if (M.F) action(...args);
        else waiting.push(() => action(...args));
      };
    },
    figuresArrived(figures) {
      M.F = figures;
      M.state.slot = figures.start.slot;
      for (const id of M.PANELS) M.makePanel(id);
      while (waiting.length) waiting.shift()();
    },

    resetFlags() {
      for (const name of D.layers) M.state.layers[name] = false;
      M.state.options = true;
    },
  });
})();

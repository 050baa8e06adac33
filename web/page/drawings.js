// The two drawings: each panel is an SVG that the drawing operations append their fragments to, with the
// canvas and save-slot states the desktop's canvases go through; a refreshed panel is painted white and
// replayed. Also the panels' descriptions for readers.
(function () {
  "use strict";
  const M = window.Mohrwalk;
  const { D, state, $ } = M;
  const SVG = "http://www.w3.org/2000/svg";

  M.makePanel = function (id) {
    const [w, h] = M.F.size[id];
    const svg = document.createElementNS(SVG, "svg");
    svg.setAttribute("viewBox", "0 0 " + w + " " + h);
    svg.setAttribute("width", String(w));
    svg.setAttribute("height", String(h));
    svg.setAttribute("aria-hidden", "true");
    svg.setAttribute("focusable", "false");
    $(id).append(svg);
    state.panels[id] = { svg: svg, canvas: M.F.start.canvas[id], pending: false };
  };

  // A fragment is built once; later uses clone it, which is cheaper than building it anew.
  const built = [];
  function fragmentNode(index) {
    if (!built[index]) built[index] = build(M.F.fragments[index]);
    return built[index].cloneNode(true);
  }

  function build(tree) {
    if (typeof tree === "string") return document.createTextNode(tree);
    const element = document.createElementNS(SVG, tree[0]);
    const attrs = M.F.attrs[tree[1]] || {};
    for (const name in attrs) element.setAttribute(name, attrs[name]);
    for (let i = 2; i < tree.length; ++i) element.append(build(tree[i]));
    return element;
  }

  M.draw = function (op) {
    const F = M.F;
    const o = F.ops[op];
    if (!o) return;
    const panel = state.panels[o.panel];
    const base = panel.canvas + "|" + state.slot + "|";
    const result = o.by[base + state.lang] || o.by[base + "*"];
    if (result) {
      if (F.fragments[result[0]]) panel.svg.append(fragmentNode(result[0]));
      panel.canvas = result[1];
      state.slot = result[2];
    }
    if (o.sets) state.layers[o.sets] = true;
  };

  // The panel's replay: every set layer, in the panel's own order.
  M.replay = function (id) {
    for (const [layer, op] of D.replay[id])
      if (state.layers[layer]) M.draw(op.replace("{options}", state.options ? "1" : "0"));
  };

  // A refreshed panel is painted white, its font and brush reset, and replayed, once the action is over.
  function repaint(id) {
    const panel = state.panels[id];
    panel.pending = false;
    panel.svg.textContent = "";
    const erased = M.F.erase[String(panel.canvas)];
    if (erased !== undefined) panel.canvas = erased;
    M.replay(id);
  }

  // The drawings' descriptions are what a reader asks for when it reaches them: they follow once the action
  // is painted, their long texts not laid out before the student sees the step.
  M.afterAction = function () {
    if (state.page === 1) for (const id of M.PANELS) if (state.panels[id].pending) repaint(id);
    M.afterPaint(M.describePanels);
  };

  const described = {};
  M.describePanels = function () {
    const key = D.layers.map((name) => (state.layers[name] ? "1" : "0")).join("") + "/" + (state.options ? "1" : "0");
    const words = M.descriptions && M.descriptions[state.lang][key];
    for (const panel of M.PANELS) {
      const text = words ? words[panel] : "";
      // Written only when it changes: most steps draw on one panel only.
      if (described[panel] !== text) M.text(panel + "-description", (described[panel] = text));
    }
  };
})();

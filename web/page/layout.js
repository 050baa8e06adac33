// The walk on a phone or tablet. Below the desktop window's width the stylesheet keeps the drawings in a
// stage that stays in view, the explanation at the bottom of the view and the steps scrolling between them
// with the page. This script follows the walk: after each step it shows the drawing the step drew on (read
// from the step's program and the panels of its drawing operations) and brings the step's next row into
// view, so that a tap never needs a scroll to see what it did, also after the phone is turned. Where only
// one drawing fits, the stage's tabs (named by the group boxes' captions) switch between the two.
(function () {
  "use strict";
  const M = window.Mohrwalk;
  const { D, state, $ } = M;
  const stage = $("Stage");
  const tabList = $("DrawingTabs");
  const tabs = [...tabList.querySelectorAll("[role=tab]")];
  const groupOf = (tab) => $(tab.getAttribute("aria-controls"));
  const panelOf = (tab) => groupOf(tab).querySelector(".panel").id;
  // The drawing shown as the page loads, and again after a restart.
  const startShown = stage.dataset.shown;
  // The row last taken: the view keeps it and the row after it.
  let lastStep = null;

  // Which layout the room has, read from the stylesheet's choice when the room changes (not on every step,
  // where reading it would force the step's changes to be laid out in the middle of them).
  let isNarrow = false;
  let isOneAtATime = false;
  function measureRoom() {
    isNarrow = getComputedStyle(stage).position === "sticky";
    isOneAtATime = isNarrow && getComputedStyle(tabList).display !== "none";
  }

  // The panels a step draws on, in the order it draws.
  function panelsOfStep(lang, index) {
    const panels = [];
    for (const action of D.steps[lang][index]) {
      if (action[0] === "draw" && M.F.ops[action[1]]) panels.push(M.F.ops[action[1]].panel);
      else if (action[0] === "refresh") panels.push(action[1]);
    }
    return panels;
  }

  function show(panel) {
    stage.dataset.shown = panel;
    for (const tab of tabs) {
      const on = panelOf(tab) === panel;
      tab.setAttribute("aria-selected", on ? "true" : "false");
      tab.tabIndex = on ? 0 : -1;
      // The focus never stays on a drawing that has just been put away.
      if (!on && isOneAtATime && groupOf(tab).contains(document.activeElement)) $(panel).focus();
    }
  }

  // The groups are the tabs' panels only while the tabs are there.
  function roles() {
    for (const tab of tabs) {
      const group = groupOf(tab);
      if (isOneAtATime) {
        group.setAttribute("role", "tabpanel");
        group.setAttribute("aria-labelledby", tab.id);
      } else {
        group.removeAttribute("role");
        group.removeAttribute("aria-labelledby");
      }
    }
  }

  function words() {
    for (const tab of tabs) tab.textContent = D.texts[state.column][groupOf(tab).id];
  }

  // Where the rows can be seen: below the stage where it lies above them, above the explanation.
  function region() {
    const rows = $("GroupBox1").getBoundingClientRect();
    const beside = (r) => r.left < rows.right && r.right > rows.left;
    const top = stage.getBoundingClientRect();
    const memo = $("GroupBox4");
    const bottom = memo.getBoundingClientRect();
    // The group's caption stands on its top edge.
    const edge = Math.min(bottom.top, memo.querySelector(".caption").getBoundingClientRect().top);
    return [beside(top) ? Math.max(0, top.bottom) : 0,
      beside(bottom) ? Math.min(window.innerHeight, edge) : window.innerHeight];
  }

  // The row taken and the one after it in view; when the next is out of sight the taken row goes to the
  // top of the rows' part of the view, so that the steps to come are in sight too.
  function keepInView() {
    if (!isNarrow || state.page !== 1 || lastStep === null) return;
    const row = M.rowElement(state.lang, lastStep);
    let next = row.nextElementSibling;
    while (next && next.hidden) next = next.nextElementSibling;
    next = next || row;
    // The stage sticks only once the page has scrolled past its place: measured again after each move.
    for (let pass = 0; pass < 3; ++pass) {
      const [top, bottom] = region();
      const r = row.getBoundingClientRect();
      let by = next.getBoundingClientRect().bottom > bottom || r.top < top ? r.top - top : 0;
      // Never past the end of the steps: the stage would go with them.
      const end = $("TabSheet1").getBoundingClientRect().bottom - window.innerHeight;
      if (by > 0) by = Math.min(by, Math.max(0, end));
      if (Math.abs(by) < 1) break;
      window.scrollBy(0, by);
    }
  }

  function fromTheTop() {
    lastStep = null;
    show(startShown);
    if (isNarrow) window.scrollTo(0, 0);
  }

  M.on("step", (lang, index) => {
    lastStep = index;
    const drawn = panelsOfStep(lang, index);
    if (drawn.length) show(drawn[drawn.length - 1]);
    M.beforePaint(() => {
      if (isNarrow) $("Memo1").scrollTop = 0;
      keepInView();
    });
  });
  M.on("restart", fromTheTop);
  M.on("language", () => {
    words();
    fromTheTop();
  });
  // The grid menu belongs to the drawing whose group holds its button.
  M.on("grid", () => show($("GridMenuButton").closest(".group").querySelector(".panel").id));
  M.on("page", roles);
  // Large text has a layout of its own, without the tabs.
  M.on("textsize", () => {
    measureRoom();
    roles();
  });

  for (const tab of tabs) tab.addEventListener("click", () => show(panelOf(tab)));
  tabList.addEventListener("keydown", (e) => {
    const at = tabs.indexOf(document.activeElement);
    const to = { ArrowLeft: at - 1, ArrowRight: at + 1, Home: 0, End: tabs.length - 1 }[e.key];
    if (to === undefined || e.altKey || e.ctrlKey || e.metaKey) return;
    e.preventDefault();
    const tab = tabs[(to + tabs.length) % tabs.length];
    show(panelOf(tab));
    tab.focus();
  });

  // Turned, or the window resized: the same walk in the new room. A change of height alone (a browser's
  // bar coming and going) moves nothing.
  let width = window.innerWidth;
  window.addEventListener("resize", () => {
    measureRoom();
    roles();
    if (window.innerWidth !== width) {
      width = window.innerWidth;
      keepInView();
    }
  });
  // Firefox keeps the sizes it took from the room before the page's scroll bar came or went, and the page
  // then scrolls sideways by the bar's width; told the room's width anew, it takes them again.
  const room = $("Room");
  new ResizeObserver(() => {
    $("MainForm").style.setProperty("--room", room.clientWidth + "px");
    measureRoom();
  }).observe(room);

  measureRoom();
  words();
  roles();
  show(startShown);
})();

// The page in a course's learning environment. Where the environment offers the SCORM 1.2 API (the
// object API in a parent frame or the opener's), the walk tells it after every change how many steps
// are taken, what brings the walk back as it was left, and whether it is incomplete or completed; opened
// again as a resumed attempt, the walk is taken up there, through the same step programs as by hand.
// Also the start language an address may choose (index.html#en). Outside an environment nothing is
// stored, and whatever an environment does wrong, the walk goes on as it does on its own.
(function () {
  "use strict";
  const M = window.Mohrwalk;
  const { D, state } = M;
  // What the saved walk holds, in this shape; another shape or version starts the walk anew.
  const VERSION = 1;

  // --- the environment's API ------------------------------------------------------------------------
  function apiAbove(win) {
    // A frame of another origin cannot be asked, but one above it may be of the page's own.
    for (let hops = 0; win && hops < 16; ++hops) {
      try {
        if (win.API) return win.API;
      } catch (e) { /* another origin */ }
      if (win.parent === win) break;
      win = win.parent;
    }
    return null;
  }

  function findApi() {
    try {
      return apiAbove(window) || (window.opener ? apiAbove(window.opener) : null);
    } catch (e) {
      return null;
    }
  }

  const lms = {
    api: null,
    // The values the environment holds, as it said them or took them; only changes are sent.
    holds: {},
    // Completed once is completed for good: environments keep the best status.
    completed: false,
    // A status the environment already had and that is more than this walk reports ("passed").
    keepStatus: false,
    // Values taken that are not yet committed.
    pending: false,
    began: 0,
  };
  let restoring = false;
  let shown = -1; // the step whose explanation shows, -1 for none
  let grid = null; // the grid as last set from its menu since the walk began, null if never

  // The student is not troubled with it: whoever looks after the course finds it in the console.
  function note(words) {
    console.warn("mohrwalk, in the learning environment: " + words);
  }

  function call(name, ...args) {
    if (!lms.api) return null;
    try {
      const answer = lms.api[name](...args);
      return answer === undefined || answer === null ? "" : String(answer);
    } catch (e) {
      lms.api = null;
      note(name + " failed (" + e + "); nothing more is reported");
      return null;
    }
  }

  function get(element) {
    const value = call("LMSGetValue", element);
    return value === null ? "" : value;
  }

  // Sets one value if the environment does not hold it already.
  function set(element, value) {
    if (!lms.api || lms.holds[element] === value) return;
    if (call("LMSSetValue", element, value) === "true") {
      lms.holds[element] = value;
      lms.pending = true;
      return;
    }
    if (lms.api) note(element + " was refused (error " + call("LMSGetLastError") + ")");
  }

  // --- what the walk is now -------------------------------------------------------------------------
  function takenCount() {
    const taken = state.taken[state.lang];
    let count = 0;
    while (taken[count]) ++count;
    return count;
  }

  function saved() {
    return JSON.stringify({ mohrwalk: VERSION, texts: state.column, taken: takenCount(), shown: shown,
                            grid: grid, page: state.page });
  }

  // The saved walk, or null when it is not one this page can take up.
  function parse(text) {
    let walk;
    try {
      walk = JSON.parse(text);
    } catch (e) {
      return null;
    }
    if (!walk || typeof walk !== "object" || walk.mohrwalk !== VERSION) return null;
    const within = (v, low, high) => Number.isInteger(v) && v >= low && v <= high;
    if (!["start", "nl", "en"].includes(walk.texts)) return null;
    const rows = D.trees[walk.texts === "en" ? "en" : "nl"].length;
    if (!within(walk.taken, 0, rows)) return null;
    if (walk.taken === 0 ? walk.shown !== -1 : !within(walk.shown, 0, walk.taken - 1)) return null;
    if (![null, true, false].includes(walk.grid) || !within(walk.page, 1, 2)) return null;
    return walk;
  }

  function report() {
    if (!lms.api || restoring) return;
    const taken = takenCount();
    if (taken === D.trees[state.lang].length) lms.completed = true;
    set("cmi.core.lesson_location", String(taken));
    set("cmi.suspend_data", saved());
    if (!lms.keepStatus) set("cmi.core.lesson_status", lms.completed ? "completed" : "incomplete");
    if (!lms.pending) return;
    lms.pending = false;
    if (call("LMSCommit", "") === "false") note("LMSCommit failed (error " + call("LMSGetLastError") + ")");
  }

  // --- taking the walk up again ---------------------------------------------------------------------
  // The same commands and steps a student would take, in the same order, queued until the drawings
  // are there.
  function restore(walk) {
    if (walk.texts !== "start") M.switchLanguage();
    if (walk.texts === "nl") M.switchLanguage();
    const lang = walk.texts === "en" ? "en" : "nl";
    for (let index = 0; index < walk.taken; ++index) M.takeStep(lang, index);
    if (walk.shown >= 0 && walk.shown !== walk.taken - 1) M.takeStep(lang, walk.shown);
    if (walk.grid !== null) M.grid(walk.grid);
    if (walk.page !== 1) M.showPage(walk.page, false, true);
  }

  // --- the session ----------------------------------------------------------------------------------
  function connect() {
    lms.api = findApi();
    if (!lms.api) return null;
    const began = call("LMSInitialize", "");
    if (began !== "true") {
      if (lms.api) note("LMSInitialize answered " + JSON.stringify(began) + "; nothing is reported");
      lms.api = null;
      return null;
    }
    lms.began = Date.now();
    const entry = get("cmi.core.entry");
    const data = get("cmi.suspend_data");
    const status = get("cmi.core.lesson_status");
    lms.holds["cmi.core.lesson_location"] = get("cmi.core.lesson_location");
    lms.holds["cmi.suspend_data"] = data;
    lms.holds["cmi.core.lesson_status"] = status;
    lms.completed = status === "completed" || status === "passed";
    lms.keepStatus = status === "passed";
    // Left as it is, a walk is resumed next time; and a status left unset would be taken for completed
    // when the page goes.
    set("cmi.core.exit", "suspend");
    if (!lms.completed) set("cmi.core.lesson_status", "incomplete");
    return lms.api && entry === "resume" && data ? data : null;
  }

  function timespan(ms) {
    const hundredths = Math.min(Math.floor(ms / 10), 9999 * 360000 + 359999);
    const two = (n) => String(n).padStart(2, "0");
    return String(Math.floor(hundredths / 360000)).padStart(4, "0") + ":" +
      two(Math.floor(hundredths / 6000) % 60) + ":" + two(Math.floor(hundredths / 100) % 60) + "." +
      two(hundredths % 100);
  }

  function finish() {
    if (!lms.api) return;
    set("cmi.core.session_time", timespan(Date.now() - lms.began));
    call("LMSFinish", "");
    lms.api = null;
  }

  M.on("step", (lang, index) => { shown = index; report(); });
  for (const event of ["restart", "language"])
    M.on(event, () => { shown = -1; grid = null; report(); });
  M.on("page", report);
  M.on("grid", () => { grid = !!state.layers.DiagramGrid; report(); });

  const data = connect();
  const walk = data === null ? null : parse(data);
  if (data !== null && !walk) note("the saved walk is not one this page can take up; it starts anew");
  restoring = true;
  if (walk) restore(walk);
  else if (window.location.hash === "#en") M.switchLanguage();
  M.whenFigures(() => {
    restoring = false;
    report();
  })();
  window.addEventListener("pagehide", finish);
})();

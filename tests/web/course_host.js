// A learning environment as small as the course package's test needs: the SCORM 1.2 runtime of
// scorm-again (or a broken stand-in) as window.API, the package's page in a frame, and a log of every
// call the page makes with the answer it got. What the runtime holds when the page is closed is what an
// environment keeps for the next launch, which is then a resumed one when the page asked to be suspended.
(function () {
  "use strict";
  const NAMES = ["LMSInitialize", "LMSFinish", "LMSGetValue", "LMSSetValue", "LMSCommit", "LMSGetLastError",
                 "LMSGetErrorString", "LMSGetDiagnostic"];
  const log = (window.hostLog = []);
  let runtime = null;

  function logged(api) {
    const wrapped = {};
    for (const name of NAMES) {
      wrapped[name] = function (...args) {
        let answer;
        try {
          answer = api[name].apply(api, args);
        } catch (e) {
          log.push(name + "(" + args.map((a) => JSON.stringify(a)).join(", ") + ") threw " + e.message);
          throw e;
        }
        log.push(name + "(" + args.map((a) => JSON.stringify(a)).join(", ") + ") -> " + JSON.stringify(answer));
        return answer;
      };
    }
    return wrapped;
  }

  // Environments that go wrong, each its own way.
  function broken(kind, real) {
    const all = (answer) => Object.fromEntries(NAMES.map((name) => [name, answer]));
    if (kind === "throws") return all(() => { throw new Error("the environment is down"); });
    if (kind === "false") return Object.assign(all(() => "false"), { LMSGetLastError: () => "101" });
    if (kind === "refuses")
      return Object.assign(Object.fromEntries(NAMES.map((name) => [name, (...a) => real[name](...a)])), {
        LMSSetValue: () => "false", LMSCommit: () => "false", LMSGetLastError: () => "405" });
    if (kind === "late") {
      // Sound at first; from the seventh value on, every value set throws.
      let sets = 0;
      const api = Object.fromEntries(NAMES.map((name) => [name, (...a) => real[name](...a)]));
      api.LMSSetValue = (...a) => {
        if (++sets > 6) throw new Error("the connection is lost");
        return real.LMSSetValue(...a);
      };
      return api;
    }
    if (kind === "odd")
      // Answers of every type but the strings the standard names.
      return Object.assign(all(() => undefined), { LMSInitialize: () => true, LMSGetValue: () => ({}),
                                                   LMSSetValue: () => 1, LMSGetLastError: () => 0 });
    return null;
  }

  // Opens the page at `launch` with the API of `kind` ("runtime", "none" or a broken one), the runtime
  // loaded with what `kept` says an earlier launch left, or with `cmi` as it is.
  window.openPage = function (launch, kind, kept, cmi) {
    log.length = 0;
    runtime = new window.Scorm12API({ lmsCommitUrl: false, autocommit: false, logLevel: 5 });
    let start = cmi || { core: { entry: "ab-initio" } };
    if (kept)
      start = { core: { entry: kept["cmi.core.exit"] === "suspend" ? "resume" : "",
                        lesson_location: kept["cmi.core.lesson_location"],
                        lesson_status: kept["cmi.core.lesson_status"] },
                suspend_data: kept["cmi.suspend_data"] };
    start.core.student_id = "s1";
    start.core.student_name = "Student, Test";
    runtime.loadFromJSON(start);
    const api = kind === "runtime" ? runtime : broken(kind, runtime);
    if (api) window.API = logged(api);
    else delete window.API;
    document.getElementById("Content").src = launch;
  };

  // What the runtime holds now, by element.
  window.held = function () {
    const flat = runtime.getFlattenedCMI();
    const held = {};
    for (const element of ["cmi.core.lesson_location", "cmi.core.lesson_status", "cmi.core.exit",
                           "cmi.core.session_time", "cmi.suspend_data"])
      held[element] = flat[element];
    return held;
  };

  window.closePage = function () {
    document.getElementById("Content").src = "about:blank";
  };
})();

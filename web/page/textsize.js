// The reader's text size. The desktop window's layout has boxes of fixed pixel sizes, made for its text of
// 12 pixels; where the browser draws text larger (a minimum font size, text-only zoom), the page takes a
// layout that grows with its text instead (the root's class "large-text", see the stylesheet), and follows
// the setting when it changes while the page is open.
(function () {
  "use strict";
  const M = window.Mohrwalk;
  // A line of 12-pixel text, unseen: drawn a little over 14 pixels high in the window's fonts.
  const probe = document.createElement("span");
  probe.className = "text-probe";
  probe.setAttribute("aria-hidden", "true");
  probe.textContent = M.D.texts.start.MainForm;
  document.body.append(probe);
  const root = document.documentElement;
  function follow() {
    const large = probe.getBoundingClientRect().height > 12 * 1.3;
    if (large === root.classList.contains("large-text")) return;
    root.classList.toggle("large-text", large);
    M.emit("textsize");
  }
  follow();
  new ResizeObserver(follow).observe(probe);
})();

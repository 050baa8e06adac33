// What opens over the window: the refusal and the about box (modal: the rest of the page is inert and the
// focus stays inside until they close, then goes back), and the grid menu with its keys.
(function () {
  "use strict";
  const M = window.Mohrwalk;
  const { D, state, $ } = M;

  // --- dialogs ------------------------------------------------------------------------------------------
  function openDialog(id, focus, back) {
    state.dialog = { id: id, back: back };
    $("MainForm").inert = true;
    $("Keys").inert = true;
    $(id).hidden = false;
    $(focus).focus();
  }
  M.closeDialog = function () {
    if (!state.dialog) return;
    const { id, back } = state.dialog;
    state.dialog = null;
    $(id).hidden = true;
    $("MainForm").inert = false;
    $("Keys").inert = false;
    if (M.shown(back)) back.focus();
    else M.focusHome();
  };
  M.openInformation = function (message, back) {
    M.text("InformationText", message);
    openDialog("Information", "InformationOK", back);
  };
  M.openAbout = function () {
    M.closeMenu();
    const a = D.about;
    M.text("AboutTitle", a.AboutForm);
    for (const label of ["Label1", "Label2", "Label3", "Label4"]) M.text("About" + label, a[label]);
    M.text("BitBtn1", a.BitBtn1);
    const list = $("AboutKeys");
    list.textContent = "";
    for (const [k, w] of D.keys[state.lang]) {
      const dt = document.createElement("dt"); dt.textContent = k;
      const dd = document.createElement("dd"); dd.textContent = w;
      list.append(dt, dd);
    }
    openDialog("AboutForm", "BitBtn1", document.activeElement);
  };
  M.dialogKey = function (e) {
    const box = $(state.dialog.id);
    const key = M.key(e);
    if (key === "Escape" || (key === "Enter" && state.dialog.id === "Information")) {
      e.preventDefault();
      M.closeDialog();
      return;
    }
    if (key === "Tab") {
      // The focus stays inside the dialog.
      const stops = [...box.querySelectorAll("button")];
      const at = stops.indexOf(document.activeElement);
      e.preventDefault();
      stops[(at + (e.shiftKey ? stops.length - 1 : 1)) % stops.length].focus();
    }
  };

  // --- the grid menu ------------------------------------------------------------------------------------
  let menuBack = null;
  // Where the menu opens, in the view: asked again when the window is resized or turned.
  let menuAt = null;
  function placeMenu() {
    const menu = $("PopupMenu1");
    const { x, y } = menuAt();
    // Within the view, its scroll bar left out: a menu past its edge would scroll the page sideways.
    const view = document.documentElement;
    const left = Math.max(0, Math.min(x, view.clientWidth - menu.offsetWidth - 4));
    const top = Math.max(0, Math.min(y, view.clientHeight - menu.offsetHeight - 4));
    menu.style.left = left + window.scrollX + "px";
    menu.style.top = top + window.scrollY + "px";
  }
  function openMenu(at) {
    const menu = $("PopupMenu1");
    menuBack = document.activeElement;
    menuAt = at;
    menu.hidden = false;
    placeMenu();
    $("grid1").focus();
  }
  M.menuOpen = () => !$("PopupMenu1").hidden;
  M.closeMenu = function () {
    const menu = $("PopupMenu1");
    if (menu.hidden) return;
    menu.hidden = true;
    if (M.shown(menuBack)) menuBack.focus();
    else M.focusHome();
    menuBack = null;
  };
  M.openMenuAtDiagram = function () {
    // Where the desktop opens it: 100 pixels right and down from the corner of the drawing's group box.
    openMenu(() => {
      const box = $("GroupBox3").getBoundingClientRect();
      return { x: box.left + 100, y: box.top + 100 };
    });
  };
  M.menuKey = function (e) {
    const items = ["grid1", "ON1", "OFF1"].map($);
    const at = items.indexOf(document.activeElement);
    if (e.key === "Escape") { e.preventDefault(); M.closeMenu(); }
    else if (e.key === "ArrowDown") { e.preventDefault(); items[(at + 1) % 3].focus(); }
    else if (e.key === "ArrowUp") { e.preventDefault(); items[(at + 2) % 3].focus(); }
    else if (e.key === "ArrowRight" && at === 0) { e.preventDefault(); items[1].focus(); }
    else if (e.key === "ArrowLeft" && at > 0) { e.preventDefault(); items[0].focus(); }
    else if ((e.key === "Enter" || e.key === " ") && at > 0) { e.preventDefault(); M.grid(at === 1); }
    else if (M.key(e) === "Tab") { e.preventDefault(); M.closeMenu(); }
  };

  M.wirePopups = function () {
    $("InformationOK").addEventListener("click", M.closeDialog);
    $("BitBtn1").addEventListener("click", M.closeDialog);
    $("ON1").addEventListener("click", () => M.grid(true));
    $("OFF1").addEventListener("click", () => M.grid(false));
    $("grid1").addEventListener("click", () => $("ON1").focus());
    $("GridMenuButton").addEventListener("click", M.openMenuAtDiagram);
    const diagram = $("PaintBox1");
    diagram.addEventListener("contextmenu", (e) => { e.preventDefault(); M.openMenuAtDiagram(); });
    // A long press opens the grid menu on a touch screen, as the right button does.
    let press = null;
    let pressed = false;
    diagram.addEventListener("pointerdown", (e) => {
      pressed = false;
      if (e.pointerType !== "mouse")
        press = window.setTimeout(() => { pressed = true; M.openMenuAtDiagram(); }, 600);
    });
    for (const end of ["pointerup", "pointercancel", "pointerleave"])
      diagram.addEventListener(end, () => { if (press) window.clearTimeout(press); press = null; });
    // The finger lifted after a long press must not also click the menu entry that opened under it.
    diagram.addEventListener("touchend", (e) => { if (pressed) e.preventDefault(); pressed = false; });
    document.addEventListener("pointerdown", (e) => {
      if (M.menuOpen() && !$("PopupMenu1").contains(e.target)) M.closeMenu();
    });
    // Resized or turned with the menu open: it goes along with the drawing, within the new view.
    window.addEventListener("resize", () => { if (M.menuOpen()) placeMenu(); });
  };
})();

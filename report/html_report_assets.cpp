#include "report/html_report_assets.h"

namespace codeburg {

const char* const kReportStyle = R"css(
:root { color-scheme: light; --ink: #1d1f24; --muted: #5b606b; --line: #d9dce3; --band: #eef0f4; }
* { box-sizing: border-box; }
body { margin: 0; font: 14px/1.45 system-ui, "Segoe UI", Arial, sans-serif; color: var(--ink); }
header { background: #20242c; color: #fff; padding: 18px 28px; }
header h1 { margin: 0; font-size: 24px; letter-spacing: .02em; }
header p { margin: 4px 0 0; color: #c8ccd6; }
nav { position: sticky; top: 0; background: var(--band); border-bottom: 1px solid var(--line);
      padding: 6px 28px; z-index: 1; }
nav a { margin-right: 16px; color: var(--ink); text-decoration: none; font-weight: 600; }
main { padding: 0 28px 40px; max-width: 1400px; }
section { margin-top: 28px; }
h2 { font-size: 18px; border-bottom: 2px solid var(--line); padding-bottom: 4px; }
.gauge { display: grid; grid-template-columns: 220px minmax(160px, 420px) 70px 150px 60px;
         align-items: center; gap: 10px; margin: 6px 0; }
.gauge .label { font-weight: 600; color: #282828; }
.gauge.overall { margin-top: 18px; }
.gauge.overall .label { color: #000; }
.bar { height: 24px; border: 1px solid; border-color: #1e1e1e #e6e6e6 #e6e6e6 #1e1e1e;
       background: #fff; }
.bar div { height: 100%; }
.pct { color: #5a5a5a; }
.shown { color: #1e1e1e; }
.weight { color: #3c3c3c; }
figure { display: inline-block; margin: 0 18px 18px 0; }
figure img { max-width: 100%; height: auto; border: 1px solid var(--line); }
figcaption { color: var(--muted); }
.tools { margin: 8px 0; display: flex; gap: 12px; align-items: center; }
.tools input { padding: 4px 8px; min-width: 260px; border: 1px solid var(--line); }
.count { color: var(--muted); }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
th, td { padding: 3px 8px; border-bottom: 1px solid var(--line); }
td.n, th.n { text-align: right; }
th { background: var(--band); position: sticky; top: 33px; }
th button { all: unset; cursor: pointer; font-weight: 600; }
th button:focus-visible { outline: 2px solid #3a6df0; }
th[aria-sort=ascending] button::after { content: " \25B2"; }
th[aria-sort=descending] button::after { content: " \25BC"; }
tr.total td { font-weight: 700; border-top: 2px solid var(--ink); }
tr.added td:first-child { color: #1a7f37; } tr.removed td:first-child { color: #b42318; }
.more { margin: 8px 0; }
.note { color: var(--muted); }
)css";

// Tables are drawn from the data block at the end of the page; sorting
// follows the desktop lists: a click on the sort column reverses it, a click
// on another column sorts by that one, each column keeping its direction.
const char* const kReportScript = R"js(
"use strict";
(function () {
  const data = JSON.parse(document.getElementById("report-data").textContent);
  // A hundred rows draw at once; more wait for the reader to ask.
  const pageSize = 100;
  const esc = (s) => String(s).replace(/[&<>"]/g, (c) =>
      ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c]);
  const fmt = (v, col) => col.type === "s" ? esc(v)
      : col.type === "f" ? Number(v).toFixed(col.digits) : String(v);
  const tables = {};

  function makeTable(id, columns, rows, total) {
    const table = document.getElementById(id + "-table");
    if (!table) return;
    const state = { id, columns, rows, total, order: rows, sortColumn: -1,
                    descending: columns.map(() => false), filter: "", shown: pageSize };
    const head = table.createTHead().insertRow();
    columns.forEach((col, i) => {
      const th = document.createElement("th");
      if (col.type !== "s") th.className = "n";
      th.dataset.column = String(i);
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = col.name;
      button.addEventListener("click", () => sortBy(state, i));
      th.appendChild(button);
      head.appendChild(th);
    });
    const input = document.getElementById(id + "-filter");
    if (input) input.addEventListener("input", () => {
      state.filter = input.value.toLowerCase();
      state.shown = pageSize;
      render(state);
    });
    const more = document.getElementById(id + "-more");
    if (more) more.addEventListener("click", () => { state.shown += pageSize * 10; render(state); });
    tables[id] = state;
    render(state);
  }

  function sortBy(state, column) {
    if (state.sortColumn === column) state.descending[column] = !state.descending[column];
    else state.sortColumn = column;
    const down = state.descending[column] ? -1 : 1;
    const text = state.columns[column].type === "s";
    state.order = state.rows.slice().sort((a, b) => {
      const x = a[column], y = b[column];
      const c = text ? (x < y ? -1 : x > y ? 1 : 0) : x - y;
      return c * down;
    });
    const cells = document.querySelectorAll("#" + state.id + "-table th");
    cells.forEach((th, i) => {
      if (i === column) th.setAttribute("aria-sort", down > 0 ? "ascending" : "descending");
      else th.removeAttribute("aria-sort");
    });
    render(state);
  }

  function render(state) {
    const table = document.getElementById(state.id + "-table");
    const textColumns = state.columns.map((c, i) => c.type === "s" ? i : -1).filter((i) => i >= 0);
    const rows = state.filter === "" ? state.order : state.order.filter((r) =>
        textColumns.some((i) => String(r[i]).toLowerCase().includes(state.filter)));
    const html = [];
    const n = Math.min(rows.length, state.shown);
    for (let k = 0; k < n; ++k) {
      const r = rows[k];
      const kind = state.id === "changes" ? ' class="' + esc(r[0]) + '"' : "";
      html.push("<tr" + kind + ">" + state.columns.map((col, i) =>
          (col.type === "s" ? "<td>" : '<td class="n">') + fmt(r[i], col) + "</td>").join("") +
          "</tr>");
    }
    // TOTAL is always the last row, whatever the order.
    if (state.total) html.push('<tr class="total">' + state.total.map((v, i) =>
        (i === 0 ? "<td>" : '<td class="n">') + esc(v) + "</td>").join("") + "</tr>");
    const body = table.tBodies[0] || table.createTBody();
    body.innerHTML = html.join("");
    const count = document.getElementById(state.id + "-count");
    if (count) count.textContent = n < rows.length
        ? "showing " + n + " of " + rows.length + " rows"
        : rows.length + (rows.length === 1 ? " row" : " rows");
    const more = document.getElementById(state.id + "-more");
    if (more) more.hidden = n >= rows.length;
  }

  const S = (name) => ({ name, type: "s" });
  const I = (name) => ({ name, type: "i" });
  const F = (name, digits) => ({ name, type: "f", digits });
  makeTable("files", [S("File"), I("Meth"), I("Lines"), I("Eloc"), I("Comment"), I("Assert"),
      I("Empty"), I("#Inc"), I("Class"), I("Max"), F("eloc/meth", 1), F("% com", 0),
      F("% asrt", 1)], data.files, data.filesTotal);
  const methods = data.methods.map((m) => [data.files[m[0]][0]].concat(m.slice(1)));
  makeTable("methods", [S("File"), S("Class"), S("Method"), I("Param"), I("Eloc"),
      I("Comment"), I("Assert"), I("Empty"), F("Green %", 1), F("Spacing %", 1)], methods, null);
  if (data.developers) makeTable("developers", [S("Developer name"), I("Projects"), I("Eloc"),
      F("eloc/method", 1), F("% comments", 0), F("% asserts", 1), F("Overall", 0)],
      data.developers, null);
  if (data.changes) makeTable("changes", [S("Change"), S("File"), S("Class"), S("Method"),
      I("Old eloc"), I("New eloc")], data.changes, null);

  // "#sort=methods:4,methods:4&filter=files:shape" clicks and types as a reader would.
  const hash = decodeURIComponent(location.hash.slice(1));
  for (const part of hash.split("&")) {
    const [key, value] = [part.slice(0, part.indexOf("=")), part.slice(part.indexOf("=") + 1)];
    if (key === "sort") for (const step of value.split(",")) {
      const [id, column] = step.split(":");
      const th = document.querySelector("#" + CSS.escape(id) + "-table th[data-column='" +
                                        Number(column) + "'] button");
      if (th) th.click();
    }
    if (key === "filter") {
      const at = value.indexOf(":");
      const input = document.getElementById(value.slice(0, at) + "-filter");
      if (input) {
        input.value = value.slice(at + 1);
        input.dispatchEvent(new Event("input"));
      }
    }
  }
  document.body.dataset.ready = "1";
})();
)js";

}  // namespace codeburg

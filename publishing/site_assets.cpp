#include "publishing/site_assets.h"

namespace qlx::publishing {

const std::string_view site_style_sheet = R"(/* QLX Viewer: the pages of a published export. */
body { margin: 0; color: #1a1a1a; background: #ffffff; font-family: sans-serif;
       display: grid; grid-template-columns: minmax(0, 1fr);
       grid-template-areas: "bar" "main" "pager"; }
body:has(nav.outline) { grid-template-columns: 16rem minmax(0, 1fr);
                        grid-template-areas: "bar bar" "outline main" "pager pager"; }
a { color: #0645ad; }
a:visited { color: #5a3696; }
:focus-visible { outline: 3px solid #1a5fb4; outline-offset: 2px; }
.site-bar { grid-area: bar; display: flex; flex-wrap: wrap; gap: 0.5rem 1.5rem;
            align-items: center; padding: 0.5rem 1rem; background: #eef1f5;
            border-bottom: 1px solid #8a93a0; }
.site-bar form { display: flex; gap: 0.5rem; align-items: center; }
.skip { position: absolute; left: -100vw; }
.skip:focus { position: static; }
main { grid-area: main; padding: 0 1rem 1rem; min-width: 0; }
h1 { font-size: 1.5rem; }
h2 { font-size: 1.2rem; }
nav.outline { grid-area: outline; padding: 0 1rem; border-right: 1px solid #c4c9d0;
              position: sticky; top: 0; align-self: start; max-height: 100vh; overflow: auto; }
nav.outline ul { list-style: none; padding-left: 0; }
nav.outline li { margin: 0.25rem 0; }
nav.outline li.level-2 { padding-left: 1rem; }
nav.pager { grid-area: pager; display: flex; justify-content: space-between; gap: 1rem;
            padding: 0.5rem 1rem; border-top: 1px solid #8a93a0; }
nav.pager a[rel="next"] { margin-left: auto; }
.document { overflow-x: auto; }
.document p:target, .document p.hit { background: #fff3b0; }
mark { background: #ffd84d; color: #000000; }
#search-results { border: 1px solid #8a93a0; padding: 0 1rem; margin-bottom: 1rem; }
#search-results ol { padding-left: 1.5rem; }
#search-results .line { white-space: pre-wrap; font-family: monospace; }
dl.header { display: grid; grid-template-columns: max-content auto; gap: 0.25rem 1rem; }
dl.header dt { font-weight: bold; }
dl.header dd { margin: 0; }
table.procedures { border-collapse: collapse; }
table.procedures th, table.procedures td { border: 1px solid #8a93a0; padding: 0.25rem 0.5rem;
                                           text-align: left; }
table.procedures td.number { text-align: right; }
table.procedures th button { font: inherit; font-weight: bold; background: none; border: none;
                             padding: 0; cursor: pointer; color: inherit; }
table.procedures th[aria-sort="ascending"] button::after { content: " \25B2"; }
table.procedures th[aria-sort="descending"] button::after { content: " \25BC"; }
.damage { color: #8b0000; }
@media print {
  body, body:has(nav.outline) { display: block; }
  .site-bar, nav.outline, nav.pager, #search-results, .skip, #filter-box { display: none; }
  .document p:target, .document p.hit { background: none; }
  a { color: inherit; text-decoration: none; }
}
)";

const std::string_view site_script =
    R"(// QLX Viewer: sorting and filtering the index, searching every procedure, and marking
// the match on the page a search result opens. Everything the export says is put into the page
// as text, never as HTML.
"use strict";
(function () {
  var most_shown = 200;

  function element(name, text) {
    var made = document.createElement(name);
    if (text !== undefined) made.textContent = text;
    return made;
  }

  // --- The index: sort by a column, filter by name.
  function cell_value(row, column, numeric) {
    var cell = row.cells[column];
    var value = cell.getAttribute("data-value") || cell.textContent;
    return numeric ? Number(value) : value.toLowerCase();
  }
  function setup_table(table) {
    var headers = table.tHead.rows[0].cells;
    var body = table.tBodies[0];
    Array.prototype.forEach.call(headers, function (header, column) {
      var button = header.querySelector("button");
      if (!button) return;
      button.addEventListener("click", function () {
        var ascending = header.getAttribute("aria-sort") !== "ascending";
        var numeric = header.hasAttribute("data-numeric");
        Array.prototype.forEach.call(headers, function (h) { h.removeAttribute("aria-sort"); });
        header.setAttribute("aria-sort", ascending ? "ascending" : "descending");
        var rows = Array.prototype.slice.call(body.rows);
        rows.sort(function (a, b) {
          var x = cell_value(a, column, numeric), y = cell_value(b, column, numeric);
          var order = x < y ? -1 : x > y ? 1 : 0;
          if (order === 0) order = cell_value(a, 0, true) - cell_value(b, 0, true);
          return ascending ? order : -order;
        });
        rows.forEach(function (row) { body.appendChild(row); });
      });
    });
    var filter = document.getElementById("filter");
    var count = document.getElementById("filter-count");
    if (!filter) return;
    filter.addEventListener("input", function () {
      var wanted = filter.value.trim().toLowerCase();
      var shown = 0;
      Array.prototype.forEach.call(body.rows, function (row) {
        var match = row.cells[1].textContent.toLowerCase().indexOf(wanted) >= 0;
        row.hidden = !match;
        if (match) shown++;
      });
      count.textContent = shown + " of " + body.rows.length + " procedures shown";
    });
  }

  // --- Search: the index is loaded the first time it is needed, from when the search box
  // takes the focus, so that it is mostly read by the time the query is typed.
  var index_callers = null;  // while the index loads: who waits for it
  function load_index(then, failed) {
    if (window.qlxSearchIndex) { then(window.qlxSearchIndex); return; }
    if (index_callers) { index_callers.push([then, failed]); return; }
    index_callers = [[then, failed]];
    var script = document.createElement("script");
    var done = function () {
      var callers = index_callers;
      index_callers = null;
      if (!window.qlxSearchIndex) script.remove();
      callers.forEach(function (caller) {
        if (window.qlxSearchIndex) caller[0](window.qlxSearchIndex); else caller[1]();
      });
    };
    script.src = "search-index.js";
    script.onload = done;
    script.onerror = done;
    document.head.appendChild(script);
  }
  function escape_pattern(text) {
    return text.replace(/[.*+?^${}()|[\]\\]/g, "\\$&");
  }
  // Every line that holds the query, case ignored: [{entry, line, text, at}], and how many.
  function search(entries, query) {
    var pattern = new RegExp(escape_pattern(query), "gi");
    var hits = [];
    var total = 0;
    entries.forEach(function (entry) {
      var text = entry[3];
      var line = entry[2];
      var line_start = 0;
      var match;
      pattern.lastIndex = 0;
      while ((match = pattern.exec(text)) !== null) {
        var next_end;
        while ((next_end = text.indexOf("\n", line_start)) !== -1 && next_end < match.index) {
          line_start = next_end + 1;
          line++;
        }
        var line_end = text.indexOf("\n", match.index);
        if (line_end === -1) line_end = text.length;
        total++;
        if (hits.length < most_shown) {
          hits.push({ entry: entry, line: line, text: text.slice(line_start, line_end),
                      at: match.index - line_start, length: match[0].length });
        }
        pattern.lastIndex = line_end + 1;  // one result a line
        if (line_end >= text.length) break;
      }
    });
    return { hits: hits, total: total };
  }
  function show_results(place, query, found) {
    place.textContent = "";
    place.appendChild(element("h2", "Search results"));
    var summary = found.total === 0 ? "No line holds \u201c" + query + "\u201d."
      : found.total + (found.total === 1 ? " line holds " : " lines hold ") + "\u201c" + query +
        "\u201d" + (found.total > found.hits.length ? "; the first " + found.hits.length +
        " are listed." : ".");
    place.appendChild(element("p", summary));
    var list = element("ol");
    found.hits.forEach(function (hit) {
      var item = element("li");
      var link = element("a", hit.entry[1]);
      link.href = hit.entry[0] + "?q=" + encodeURIComponent(query) + "#L" + hit.line;
      item.appendChild(link);
      item.appendChild(document.createTextNode(", line " + hit.line + ": "));
      var line = element("span");
      line.className = "line";
      line.appendChild(document.createTextNode(hit.text.slice(0, hit.at)));
      line.appendChild(element("mark", hit.text.substr(hit.at, hit.length)));
      line.appendChild(document.createTextNode(hit.text.slice(hit.at + hit.length)));
      item.appendChild(line);
      list.appendChild(item);
    });
    place.appendChild(list);
    place.hidden = false;
  }
  function setup_search() {
    var form = document.getElementById("search-form");
    var input = document.getElementById("search");
    var place = document.getElementById("search-results");
    if (!form) return;
    input.addEventListener("focus", function () {
      load_index(function () {}, function () {});
    });
    form.addEventListener("submit", function (event) {
      event.preventDefault();
      var query = input.value.trim();
      if (query === "") { place.hidden = true; return; }
      load_index(function (entries) {
        var started = performance.now();
        var found = search(entries, query);
        window.qlxLastSearchMilliseconds = performance.now() - started;
        show_results(place, query, found);
      }, function () {
        place.textContent = "";
        place.appendChild(element("p", "The search index (search-index.js) could not be read."));
        place.hidden = false;
      });
    });
  }

  // --- A page opened from a result: the match marked in its line.
  function mark_match() {
    var query = new URLSearchParams(location.search).get("q");
    var line = location.hash ? document.getElementById(location.hash.slice(1)) : null;
    if (!query || !line) return;
    line.classList.add("hit");
    var wanted = query.toLowerCase();
    var walker = document.createTreeWalker(line, NodeFilter.SHOW_TEXT);
    var node;
    while ((node = walker.nextNode()) !== null) {
      var at = node.data.toLowerCase().indexOf(wanted);
      if (at < 0) continue;
      var rest = node.splitText(at);
      rest.splitText(query.length);
      var mark = element("mark", rest.data);
      rest.parentNode.replaceChild(mark, rest);
      break;
    }
    line.scrollIntoView({ block: "center" });
  }

  var table = document.getElementById("procedures");
  if (table) setup_table(table);
  setup_search();
  mark_match();
})();
)";

}  // namespace qlx::publishing

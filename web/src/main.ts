// The page: the desktop window's road in a browser, drawing what the core's worker answers.
import { CoreClient } from "./core_client";
import { chartMarkup, chartMaximum, pixelsPerPercent } from "./chart";
import { pickFile, saveBlob, saveBytes, workbookBlob } from "./files";
import { LongPress } from "./long_press";
import type { Answer, NearestSystems, PanelSettings, Request, ResultsReport, SessionView, SheetBuild } from "./protocol";
import {
  appendCondition, conditionGroups, conditionKinds, conditionLine, costTableRows, withAllowedErrors, type CostTableView,
} from "./conditions_table";
import { rulesFields, rulesText } from "./pool_rules_form";
import { resultsText, hitRows } from "./results";
import { captionTime } from "./caption_time";
import { commandOfKey, memoKeepsKey } from "./shortcuts";
import { loadState, saveState } from "./storage";
import {
  actionsMenu, closeCaption, distributionTitle, checkCaption, copiedText, editorTexts, errorCaption, eventsHeader, fileMenu,
  labelText, lineMissingText, methodNames, noSystemText, packageMenu, panelTexts, resultsTexts, startCaption,
  stoppedWorkerText, conditionsTexts, poolRulesTexts, nearestTexts,
} from "./texts";

const $ = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

const address = new URLSearchParams(location.search);
// A seed in the address makes every formation repeatable (checks compare the page with the batch tool).
const fixedSeed = address.get("seed");
const fixedStart = address.get("start");

let view: SessionView | null = null;
let running = false;
let keyHeld = false;
let lineCaption = startCaption;

const client = new CoreClient(() => new Worker(new URL("./worker.ts", import.meta.url), { type: "module" }), {
  // The core's captions carry the Esc hint where Esc stops the run, as the window shows them.
  caption: (text) => showCaption(text),
});

function showCaption(text: string): void {
  $("window_caption").textContent = text;
  document.title = text;
}

// ---- Message box ("Ошибка") ----
function showMessage(text: string, title = errorCaption): Promise<void> {
  $("message_caption").textContent = title;
  $("message_text").textContent = text;
  const box = $("message_box");
  box.hidden = false;
  const ok = $<HTMLButtonElement>("message_ok");
  ok.focus();
  return new Promise((resolve) => {
    ok.onclick = () => {
      box.hidden = true;
      resolve();
    };
  });
}

// ---- Requests ----
// Requests under way; the page is idle (data-busy="0") when none is, which the checks wait for.
let busy = 0;
function setBusy(change: number): void {
  busy += change;
  document.body.dataset.busy = String(busy);
}

async function request(req: Request): Promise<Answer> {
  setBusy(1);
  try {
    const answer = await client.call(req);
    if (answer.view) draw(answer.view);
    if (answer.error && answer.error !== "stopped") await showMessage(answer.error);
    if (conditionsDialog.open && costsFollow.has(req.op)) refreshCosts();
    return answer;
  } finally {
    setBusy(-1);
  }
}

// The last view, for the browser checks that compare the page with the batch tool.
(globalThis as { morvalenView?: () => SessionView | null }).morvalenView = () => view;

// ---- Formation panel ----
const panel = $<HTMLFormElement>("formation_panel");
panel.innerHTML = `
  <div class="row"><span class="caption">${panelTexts.method}</span></div>
  <div class="row"><select id="method" title="${panelTexts.method}">${methodNames.map((name, i) => `<option value="${i}">${name}</option>`).join("")}</select>
    <button type="button" id="add_to_list_link" class="link">${labelText(panelTexts.addToList)}</button></div>
  <div class="row"><label id="guarantee_caption" for="guarantee" title="${labelText(panelTexts.guaranteeHint)}">${panelTexts.guarantee}</label>
    <select id="guarantee"></select></div>
  <div class="row"><span id="upsets_caption" class="caption">${labelText(panelTexts.upsets)}</span>
    <span id="upsets"><select id="yellow_min"></select> – <select id="yellow_max"></select></span></div>
  <div class="row"><label id="repeat_caption" for="repeat_count">${panelTexts.repeat}</label>
    <input id="repeat_count" type="number" inputmode="numeric" min="0" max="100000000" value="1000"></div>
  <div class="row"><button type="button" id="edit_probabilities_link" class="link">${labelText(panelTexts.editProbabilities)}</button></div>
  <div class="row"><label id="start_with_label"><input id="start_with" type="checkbox"><span id="start_with_caption">${panelTexts.startWith}</span></label></div>
  <div class="row"><label for="stake">${panelTexts.stake}</label>
    <input id="stake" type="text" inputmode="decimal" value="3.1" title="${panelTexts.stake}"></div>`;

const method = $<HTMLSelectElement>("method");
const guarantee = $<HTMLSelectElement>("guarantee");
const yellowMin = $<HTMLSelectElement>("yellow_min");
const yellowMax = $<HTMLSelectElement>("yellow_max");
const repeatCount = $<HTMLInputElement>("repeat_count");
const startWith = $<HTMLInputElement>("start_with");
const stake = $<HTMLInputElement>("stake");
for (let n = 0; n <= 8; ++n) {
  yellowMin.add(new Option(String(n), String(n)));
  yellowMax.add(new Option(String(n), String(n)));
}
yellowMin.value = "1";
yellowMax.value = "1";

function fillGuarantee(): void {
  const top = Number(method.value) === 4 ? 8 : 7;
  const chosen = Math.min(Number(guarantee.value || 7), top);
  guarantee.innerHTML = "";
  for (let g = 2; g <= top; ++g) guarantee.add(new Option(String(g), String(g)));
  guarantee.value = String(chosen);
}

function panelSettings(): PanelSettings {
  return {
    method: Number(method.value),
    guarantee: Number(guarantee.value),
    repeatCount: Math.max(0, Math.floor(Number(repeatCount.value) || 0)),
    yellowMin: Number(yellowMin.value),
    yellowMax: Number(yellowMax.value),
    startWith: startWith.checked,
    stake: stake.value.trim(),
  };
}

function showControlsOf(chosen: number): void {
  const [brief, sensations, random, auto, best, maxReturn] = [0, 1, 2, 3, 4, 5].map((m) => m === chosen);
  const show = (id: string, visible: boolean) => ($(id).hidden = !visible);
  show("start_with_label", brief);
  show("guarantee", brief || auto || best);
  show("guarantee_caption", brief || auto || best);
  show("edit_probabilities_link", random || best || maxReturn);
  show("upsets", sensations);
  show("upsets_caption", sensations);
  show("repeat_count", random || auto || best || maxReturn);
  show("repeat_caption", random || auto || best || maxReturn);
}

// The check shows at once how much of the present list covers the marks with the guarantee.
async function coverageCheck(): Promise<void> {
  if (Number(method.value) !== 3 || running) return;
  await runFormation({ ...panelSettings(), repeatCount: 0 });
}

method.onchange = async () => {
  fillGuarantee();
  showControlsOf(Number(method.value));
  if (view) draw(view);
  await coverageCheck();
  keepState();
};
guarantee.onchange = async () => {
  await coverageCheck();
  keepState();
};
for (const control of [yellowMin, yellowMax, repeatCount, stake]) control.onchange = () => settingsChanged();
startWith.onchange = () => settingsChanged();

async function settingsChanged(): Promise<void> {
  await request({ op: "settings", panel: panelSettings() });
  keepState();
}

// ---- Formation runs ----
async function runFormation(settings: PanelSettings): Promise<void> {
  if (running) return;
  running = true;
  setBusy(1);
  $("stop_button").hidden = false;
  const before = { marks: await currentMarks(), memo: memo.value };
  stopRestore = [{ op: "restore", marks: before.marks, memo: before.memo }, { op: "settings", panel: settings },
    { op: "poolRules", text: view?.poolRules || null }, { op: "conditions", text: view?.conditionsText ?? "" },
    { op: "conditionsEnabled", on: view?.conditionsEnabled ?? false }];
  try {
    const answer = await request({
      op: "form",
      panel: settings,
      startIndex: fixedStart !== null ? Number(fixedStart) : -1,
      seed: fixedSeed,
    });
    if (answer.error === "stopped") await showMessage(stoppedWorkerText, startCaption);
    const result = answer.result as { noSystem?: boolean } | undefined;
    // As the desktop does: without a system for the signature, the nearest ones the service has.
    if (result?.noSystem) await openNearestSystems(noSystemText);
  } finally {
    running = false;
    setBusy(-1);
    $("stop_button").hidden = true;
    showCaption(lineCaption);
    keepState();
  }
}
let stopRestore: Request[] = [];

async function stopRun(): Promise<void> {
  if (!running) return;
  await client.stop(stopRestore);
}

$("add_to_list_link").onclick = () => runFormation(panelSettings());
$("stop_button").onclick = () => stopRun();

// ---- The grid ----
const grid = $<HTMLTableElement>("outcome_grid");
// The outcome labels come from the core with the worker's first answer.
let labels: string[] = [];

function buildGrid(): void {
  let html = `<thead><tr><th>${eventsHeader}</th>${labels.map((label) => `<th>${label}</th>`).join("")}</tr></thead><tbody>`;
  for (let e = 1; e <= 8; ++e) {
    html += `<tr><td class="event_name" data-column="0" data-row="${e}" id="event_${e}"></td>`;
    for (let o = 1; o <= 17; ++o) html += `<td class="outcome" data-column="${o}" data-row="${e}" id="cell_${e}_${o}"></td>`;
    html += "</tr>";
  }
  grid.innerHTML = html + "</tbody>";
}
const press = new LongPress();
let pressedCell: HTMLElement | null = null;
grid.addEventListener("pointerdown", (event) => {
  const cell = (event.target as HTMLElement).closest("td");
  if (!cell) return;
  pressedCell = cell;
  press.press();
});
grid.addEventListener("pointerleave", () => press.cancel());
grid.addEventListener("contextmenu", (event) => event.preventDefault());
grid.addEventListener("pointerup", async (event) => {
  const cell = (event.target as HTMLElement).closest("td");
  const long = press.release();
  if (!cell || cell !== pressedCell || long === null || running) return;
  await request({ op: "selectCell", column: Number(cell.dataset.column), row: Number(cell.dataset.row), keyHeld: keyHeld || long });
  keepState();
});

function draw(next: SessionView): void {
  view = next;
  const yellowVisible = Number(method.value) === 1;
  next.events.forEach((event, i) => {
    const e = i + 1;
    const name = $(`event_${e}`);
    name.textContent = event.shortName || event.name;
    name.title = event.name;
    event.cells.forEach((cell, j) => {
      const td = $(`cell_${e}_${j + 1}`);
      td.textContent = cell.text;
      td.classList.toggle("marked", cell.mark !== 0 && !(yellowVisible && cell.yellow !== 0));
      td.classList.toggle("yellow", cell.mark !== 0 && yellowVisible && cell.yellow !== 0);
    });
  });
  $("variants_summary").textContent = next.variantsLine;
  $("package_summary").textContent = next.packageLine;
  $("coverage_summary").textContent = next.coverageLine;
  $("return_summary").textContent = next.returnLine;
  $("add_to_list_link").hidden = !next.enabled.formingLink;
  $("start_with_caption").textContent = labelText(next.startWithCaption);
  if (memo.value !== next.memo && !memoDirty) memo.value = next.memo;
  const enabled: Record<string, boolean> = {
    add_coupon: next.enabled.addCoupon,
    remove_variants: next.enabled.removeVariants,
    undo: next.enabled.undo,
    redo: next.enabled.redo,
    filter_by_conditions: next.enabled.filterByConditions,
  };
  for (const id of ["split_into_singles", "remove_repeats", "clear_list", "copy_for_transfer", "save_text", "export_by_columns", "export_by_rows"])
    enabled[id] = next.enabled.listCommands;
  for (const [id, on] of Object.entries(enabled)) {
    const item = document.getElementById(`menu_${id}`) as HTMLButtonElement | null;
    if (item) item.disabled = !on;
  }
  $("menu_conditions_enabled").setAttribute("aria-checked", String(next.conditionsEnabled));
  const enabledBox = document.getElementById("conditions_enabled") as HTMLInputElement | null;
  if (enabledBox) enabledBox.checked = next.conditionsEnabled;
  if (editorOpen()) drawEditor();
}

// ---- The memo ----
const memo = $<HTMLTextAreaElement>("bet_memo");
let memoDirty = false;
let memoTimer: number | undefined;
memo.addEventListener("input", () => {
  memoDirty = true;
  clearTimeout(memoTimer);
  memoTimer = window.setTimeout(flushMemo, 250);
});
async function flushMemo(): Promise<void> {
  clearTimeout(memoTimer);
  if (!memoDirty) return;
  memoDirty = false;
  await request({ op: "memoEdited", text: memo.value.replace(/\r\n/g, "\n") });
  keepState();
}

// ---- Menu ----
const menuBar = $("main_menu");
for (const menu of [fileMenu, actionsMenu, packageMenu]) {
  const details = document.createElement("details");
  details.innerHTML = `<summary>${menu.caption}</summary><div class="menu_items">${menu.commands
    .map((c) => `<button type="button" id="menu_${c.id}"><span>${c.caption}</span>${c.keys ? `<kbd>${c.keys}</kbd>` : ""}</button>`)
    .join("")}</div>`;
  menuBar.append(details);
  details.addEventListener("click", (event) => {
    const button = (event.target as HTMLElement).closest("button");
    if (!button) return;
    details.open = false;
    runCommand(button.id.replace(/^menu_/, ""));
  });
}
document.addEventListener("click", (event) => {
  for (const details of menuBar.querySelectorAll("details"))
    if (!details.contains(event.target as Node)) details.open = false;
});

function menuEnabled(id: string): boolean {
  const item = document.getElementById(`menu_${id}`) as HTMLButtonElement | null;
  return item !== null && !item.disabled;
}

async function runCommand(id: string): Promise<void> {
  if (running || !menuEnabled(id)) return;
  await flushMemo();
  const list = (name: string) => request({ op: "listCommand", name }).then(() => keepState());
  switch (id) {
    case "add_coupon": return list("coupon");
    case "split_into_singles": return list("split");
    case "remove_repeats": return list("repeats");
    case "remove_variants": return list("variants");
    case "clear_list": return list("clear");
    case "undo": await request({ op: "undo" }); return keepState();
    case "redo": await request({ op: "redo" }); return keepState();
    case "copy_for_transfer": return copyForTransfer();
    case "save_text": {
      const answer = await request({ op: "textFile" });
      return saveBytes(answer.result as Uint8Array, "package.txt", "text/plain; charset=windows-1251");
    }
    case "export_by_columns":
    case "export_by_rows": {
      const answer = await request({ op: "spreadsheet", byRows: id === "export_by_rows" });
      const build = answer.result as SheetBuild;
      if (build.error) return showMessage(build.error);
      return saveBlob(await workbookBlob(build), "package.xlsx");
    }
    case "save_quotes": {
      const answer = await request({ op: "quotesFile", caption: lineCaption });
      return saveBytes(answer.result as Uint8Array, "quotes.ctr", "application/octet-stream");
    }
    case "load_quotes": {
      const file = await pickFile(".ctr,.txt");
      if (!file) return;
      const answer = await request({ op: "readQuotesFile", bytes: new Uint8Array(await file.arrayBuffer()) });
      if (!answer.error && typeof answer.result === "string" && answer.result) {
        lineCaption = answer.result;
        showCaption(lineCaption);
      }
      return;
    }
    case "refresh_line": return loadLine();
    case "check_results": return openResults();
    case "show_distribution": return openDistribution();
    case "filter_by_conditions": return list("filter");
    case "show_conditions": return openConditions();
    case "conditions_enabled":
      await request({ op: "conditionsEnabled", on: !(view?.conditionsEnabled ?? false) });
      return keepState();
    case "show_nearest_systems": return openNearestSystems();
    case "pool_rules": return openPoolRules();
  }
}

async function copyForTransfer(): Promise<void> {
  memo.select();
  const text = memo.value.replace(/\r?\n/g, "\r\n");
  try {
    await navigator.clipboard.writeText(text);
  } catch {
    // Without the clipboard permission the selection is copied as the browser's own command would.
    document.execCommand("copy");
  }
  showCaption(copiedText);
  setTimeout(() => showCaption(lineCaption), 1500);
}

// ---- Keys: the held key for yellow marks, the menu's shortcuts, Esc ----
document.addEventListener("keydown", (event) => {
  keyHeld = true;
  if (event.key === "Escape") {
    stopRun();
    return;
  }
  const command = commandOfKey(event);
  if (!command) return;
  const inMemo = document.activeElement === memo;
  if (inMemo && memoKeepsKey(command, memo.selectionStart !== memo.selectionEnd)) return;
  event.preventDefault();
  runCommand(command);
});
document.addEventListener("keyup", () => (keyHeld = false));
window.addEventListener("blur", () => (keyHeld = false));

// ---- Distribution of the package's bets over the outcomes ----
async function openDistribution(): Promise<void> {
  const dialog = $<HTMLDialogElement>("distribution_window");
  const answer = await request({ op: "distribution" });
  const rows = answer.result as string[][];
  let html = `<h3>${distributionTitle}</h3><div class="scroll"><table id="counts_grid"><tr><th></th>${labels.map((l) => `<th>${l}</th>`).join("")}</tr>`;
  rows.forEach((row, i) => {
    html += `<tr><th>${view?.events[i].shortName ?? ""}</th>${row.map((cell) => `<td>${cell}</td>`).join("")}</tr>`;
  });
  dialog.innerHTML = html + `</table></div><div class="buttons"><button type="button" id="distribution_close">${closeCaption}</button></div>`;
  dialog.showModal();
  $("distribution_close").onclick = () => dialog.close();
}

// ---- Results check ----
const resultsDialog = $<HTMLDialogElement>("results_window");
function openResults(): void {
  resultsDialog.innerHTML = `<h3>${resultsTexts.title}</h3><div class="choosers">${[1, 2, 3, 4, 5, 6, 7, 8]
    .map((e) => `<label>${resultsTexts.eventResult(e)}<select id="result_chooser_${e}"><option value="">—</option>${labels
      .map((l) => `<option>${l}</option>`).join("")}</select></label>`).join("")}</div>
    <div class="buttons"><button type="button" id="check_button">${checkCaption}</button><button type="button" id="results_close">${closeCaption}</button></div>
    <div id="results_table"></div>`;
  resultsDialog.showModal();
  $("results_close").onclick = () => resultsDialog.close();
  $("check_button").onclick = async () => {
    const chosen = [1, 2, 3, 4, 5, 6, 7, 8].map((e) => $<HTMLSelectElement>(`result_chooser_${e}`).value);
    const text = resultsText(chosen);
    if (text === null) {
      $("results_table").textContent = resultsTexts.missing;
      return;
    }
    const answer = await request({ op: "checkResults", text });
    const report = answer.result as ResultsReport;
    if (report.error) {
      $("results_table").textContent = report.error;
      return;
    }
    const rows = hitRows(report);
    let html = `<table id="hits_table"><tr><th>${resultsTexts.hits}</th><th>${resultsTexts.bets}</th><th>${resultsTexts.share}</th><th>${resultsTexts.atLeast}</th></tr>`;
    for (const row of rows) html += `<tr><td>${row.label}</td><td>${row.bets}</td><td>${row.share}</td><td>${row.chance}</td></tr>`;
    html += "</table>";
    if (report.chancesRefusal) html += `<p id="chances_note">${resultsTexts.notComputed}${report.chancesRefusal}</p>`;
    else if (report.expectedFullHits !== undefined)
      html += `<p id="chances_note">${resultsTexts.expectedFull}${report.expectedFullHits.toFixed(4)}${report.exact ? resultsTexts.exact : ""}</p>`;
    $("results_table").innerHTML = html;
  };
}

// ---- Conditions ----
const conditionsDialog = $<HTMLDialogElement>("conditions_window");
// Requests after which the cost table is counted again while the window is open.
const costsFollow = new Set<Request["op"]>(["selectCell", "conditions", "conditionsEnabled", "restore", "preset", "dragPoint", "readQuotesFile"]);
let conditionTimer: number | undefined;

function openConditions(): void {
  conditionsDialog.innerHTML = `<h3>${conditionsTexts.title}</h3>
    <label><input type="checkbox" id="conditions_enabled"> ${conditionsTexts.enabled}</label>
    <p class="grammar">${conditionsTexts.grammar}</p>
    <div class="builder"><select id="condition_kind">${conditionKinds.map(([word, name]) => `<option value="${word}">${name}</option>`).join("")}</select>
      <label>${conditionsTexts.from} <input id="range_low" type="text" inputmode="decimal" value="0" size="6"></label>
      <label>${conditionsTexts.to} <input id="range_high" type="text" inputmode="decimal" value="*" size="6"></label>
      <select id="group_preset">${conditionGroups.map(([word, name]) => `<option value="${word}">${name}</option>`).join("")}</select>
      <button type="button" id="add_condition">${conditionsTexts.add}</button>
      <label>${conditionsTexts.errors} <input id="allowed_errors" type="number" min="0" max="64" value="0"></label></div>
    <textarea id="condition_text" spellcheck="false" wrap="off"></textarea>
    <div id="condition_error"></div>
    <div class="buttons"><button type="button" id="save_conditions">${conditionsTexts.save}</button><button type="button" id="load_conditions">${conditionsTexts.load}</button><button type="button" id="conditions_close">${closeCaption}</button></div>
    <div class="scroll"><table id="cost_table"></table></div><p id="cost_note"></p>`;
  const text = $<HTMLTextAreaElement>("condition_text");
  text.value = view?.conditionsText ?? "";
  const enabledBox = $<HTMLInputElement>("conditions_enabled");
  enabledBox.checked = view?.conditionsEnabled ?? false;
  enabledBox.onchange = async () => {
    await request({ op: "conditionsEnabled", on: enabledBox.checked });
    keepState();
  };
  const kind = $<HTMLSelectElement>("condition_kind");
  const errors = $<HTMLInputElement>("allowed_errors");
  const showErrors = () => (errors.value = /^\s*errors\s+(\d+)/m.exec(text.value)?.[1] ?? "0");
  showErrors();
  kind.onchange = () => ($("group_preset").hidden = kind.value !== "count");
  $("add_condition").onclick = () => {
    const line = conditionLine(kind.value, $<HTMLInputElement>("range_low").value, $<HTMLInputElement>("range_high").value,
      $<HTMLSelectElement>("group_preset").value);
    text.value = appendCondition(text.value, line);
    takeConditions(text.value);
  };
  errors.onchange = () => {
    text.value = withAllowedErrors(text.value, Math.max(0, Math.floor(Number(errors.value) || 0)));
    takeConditions(text.value);
  };
  text.addEventListener("input", () => {
    showErrors();
    clearTimeout(conditionTimer);
    conditionTimer = window.setTimeout(() => takeConditions(text.value), 300);
  });
  $("save_conditions").onclick = async () => {
    if (!(await takeConditions(text.value))) return;
    saveBytes(new TextEncoder().encode(view?.conditionsText ?? ""), "conditions.usl", "text/plain; charset=utf-8");
  };
  $("load_conditions").onclick = async () => {
    const file = await pickFile(".usl,.txt");
    if (!file) return;
    text.value = new TextDecoder("utf-8").decode(await file.arrayBuffer());
    showErrors();
    await takeConditions(text.value);
  };
  $("conditions_close").onclick = async () => {
    await takeConditions(text.value);
    conditionsDialog.close();
  };
  conditionsDialog.showModal();
  refreshCosts();
}

// The set the text holds is taken at once; a text the grammar refuses leaves the last set in force.
async function takeConditions(text: string): Promise<boolean> {
  clearTimeout(conditionTimer);
  const answer = await request({ op: "conditions", text });
  const error = typeof answer.result === "string" ? answer.result : "";
  const shown = document.getElementById("condition_error");
  if (shown) shown.textContent = error;
  keepState();
  return error === "";
}

async function refreshCosts(): Promise<void> {
  setBusy(1);
  const answer = await client.call({ op: "conditionCosts" }).finally(() => setBusy(-1));
  const table = answer.result as CostTableView;
  const { rows, note } = costTableRows(table);
  const grid = document.getElementById("cost_table");
  if (!grid) return;
  grid.innerHTML = `<tr>${conditionsTexts.costHeaders.map((h) => `<th>${h}</th>`).join("")}</tr>` +
    rows.map((row) => `<tr>${row.map((c) => `<td>${escapeHtml(c)}</td>`).join("")}</tr>`).join("");
  $("cost_note").textContent = note;
}

function escapeHtml(text: string): string {
  return text.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
}

// ---- Rules of the pool ----
function openPoolRules(): void {
  const dialog = $<HTMLDialogElement>("pool_rules_dialog");
  const fields = rulesFields(view?.poolRules || poolRulesTexts.defaults);
  const field = (id: string, caption: string, value: string) =>
    `<label for="${id}">${caption}</label><input id="${id}" type="text" value="${escapeHtml(value)}">`;
  dialog.innerHTML = `<h3>${poolRulesTexts.title}</h3><div class="fields">
    ${field("pool_tickets", poolRulesTexts.tickets, fields.tickets)}${field("pool_payout", poolRulesTexts.payout, fields.payout)}
    ${field("pool_tiers", poolRulesTexts.tiers, fields.tiers)}${field("pool_jackpot", poolRulesTexts.jackpot, fields.jackpot)}</div>
    <div id="pool_rules_error"></div>
    <div class="buttons"><button type="button" id="pool_rules_ok">${poolRulesTexts.ok}</button><button type="button" id="pool_rules_clear">${poolRulesTexts.clear}</button><button type="button" id="pool_rules_cancel">${poolRulesTexts.cancel}</button></div>`;
  dialog.showModal();
  const value = (id: string) => $<HTMLInputElement>(id).value;
  $("pool_rules_ok").onclick = async () => {
    const text = rulesText({ tickets: value("pool_tickets"), payout: value("pool_payout"), tiers: value("pool_tiers"), jackpot: value("pool_jackpot") });
    if (text === null) {
      $("pool_rules_error").textContent = poolRulesTexts.separators;
      return;
    }
    // The core's refusal stays in the dialog, as the desktop's does.
    setBusy(1);
    const answer = await client.call({ op: "poolRules", text }).finally(() => setBusy(-1));
    if (answer.error) {
      $("pool_rules_error").textContent = answer.error;
      return;
    }
    if (answer.view) draw(answer.view);
    dialog.close();
    keepState();
  };
  $("pool_rules_clear").onclick = async () => {
    await request({ op: "poolRules", text: null });
    dialog.close();
    keepState();
  };
  $("pool_rules_cancel").onclick = () => dialog.close();
}

// ---- Nearest brief systems ----
async function openNearestSystems(reason = ""): Promise<void> {
  await request({ op: "settings", panel: panelSettings() });
  const answer = await request({ op: "nearestSystems" });
  const list = answer.result as NearestSystems | undefined;
  if (!list) return;
  if (list.error) await showMessage(list.error);
  const dialog = $<HTMLDialogElement>("nearest_systems_window");
  const none = list.rows.length === 2 && list.rows[1][0] === "";
  const [header, ...rows] = list.rows;
  dialog.innerHTML = `<h3>${nearestTexts.title}</h3>${reason ? `<p id="nearest_systems_reason">${reason}</p>` : ""}
    <p id="nearest_systems_note"${none ? "" : " hidden"}>${nearestTexts.none(list.first, list.second)}</p>
    <div class="scroll"><table id="systems_grid"><tr><th>${header[0]}</th><th>${header[1]}</th></tr>${rows
      .map(([formula, bets]) => `<tr><td>${escapeHtml(formula)}</td><td>${escapeHtml(bets)}</td></tr>`).join("")}</table></div>
    <div class="buttons"><button type="button" id="nearest_systems_close">${closeCaption}</button></div>`;
  if (!dialog.open) dialog.showModal();
  $("nearest_systems_close").onclick = () => dialog.close();
}

// ---- Probability editor ----
const editor = $<HTMLDialogElement>("probability_editor_window");
let editorEvent = 1;
const editorOpen = () => editor.open;
function openEditor(): void {
  editor.innerHTML = `<h3>${editorTexts.title}</h3>
    <select id="event_chooser">${[1, 2, 3, 4, 5, 6, 7, 8].map((e) => `<option value="${e}">${e}. ${view?.events[e - 1].shortName ?? ""}</option>`).join("")}</select>
    <div class="buttons"><button type="button" data-preset="0">${editorTexts.uniform}</button><button type="button" data-preset="1">${editorTexts.quotes}</button><button type="button" data-preset="2">${editorTexts.pool}</button><button type="button" id="editor_close">${closeCaption}</button></div>
    <div id="chart_area"></div>`;
  editor.showModal();
  const chooser = $<HTMLSelectElement>("event_chooser");
  chooser.value = String(editorEvent);
  chooser.onchange = () => {
    editorEvent = Number(chooser.value);
    drawEditor();
  };
  $("editor_close").onclick = () => editor.close();
  for (const button of editor.querySelectorAll<HTMLButtonElement>("[data-preset]"))
    button.onclick = () => request({ op: "preset", event: editorEvent, preset: Number(button.dataset.preset) });
  drawEditor();
}
function drawEditor(): void {
  if (!view) return;
  $("chart_area").innerHTML = chartMarkup(view.events[editorEvent - 1], labels, {
    quotes: editorTexts.quotesSeries, setting: editorTexts.settingSeries, axis: editorTexts.axis,
  });
}
$("edit_probabilities_link").onclick = () => openEditor();

// A held point follows the pointer; the core moves it and rescales the other sixteen.
let dragging: { column: number; lastY: number; scale: number } | null = null;
let dragQueue: Promise<unknown> = Promise.resolve();
editor.addEventListener("pointerdown", (event) => {
  const point = (event.target as Element).closest(".setting_point");
  if (!point) return;
  const svg = $("chart_view") as unknown as SVGSVGElement;
  const scale = svg.getBoundingClientRect().height / svg.viewBox.baseVal.height;
  dragging = { column: Number((point as SVGElement).dataset.column), lastY: Math.round(event.clientY), scale };
  editor.setPointerCapture(event.pointerId);
  event.preventDefault();
});
editor.addEventListener("pointermove", (event) => {
  if (!dragging || !view) return;
  const held = dragging;
  const y = Math.round(event.clientY);
  if (y === held.lastY) return;
  const step = { op: "dragPoint", event: editorEvent, column: held.column, lastY: held.lastY, y,
    pixelsPerPercent: pixelsPerPercent(chartMaximum(view.events[editorEvent - 1]), held.scale) } as const;
  held.lastY = y;
  dragQueue = dragQueue.then(() => request(step));
});
editor.addEventListener("pointerup", () => {
  dragging = null;
  dragQueue.then(() => keepState());
});

// ---- The line and the working state ----
async function loadLine(): Promise<void> {
  const answer = await request({ op: "loadLine" });
  if (answer.lineMissing) {
    await showMessage(lineMissingText);
    return;
  }
  lineCaption = `Анализ вариантов (по состоянию на ${captionTime(new Date())})${answer.view?.acceptanceNote ?? ""}`;
  showCaption(lineCaption);
}

async function currentMarks(): Promise<Uint8Array> {
  const answer = await client.call({ op: "marks" });
  return answer.result as Uint8Array;
}

let keepTimer: number | undefined;
function keepState(): void {
  clearTimeout(keepTimer);
  keepTimer = window.setTimeout(async () => {
    try {
      await saveState({
        marks: await currentMarks(), memo: memo.value, panel: panelSettings(),
        poolRules: view?.poolRules ?? "", conditions: view?.conditionsText ?? "", conditionsEnabled: view?.conditionsEnabled ?? false,
      });
    } catch {
      // A browser without storage (a private window) simply starts afresh next time.
    }
  }, 300);
}

function randomSeed(): string {
  const words = new Uint32Array(2);
  crypto.getRandomValues(words);
  return String((BigInt(words[0] & 0x7fffffff) << 32n) | BigInt(words[1]));
}

async function start(): Promise<void> {
  showCaption(startCaption);
  fillGuarantee();
  showControlsOf(0);
  const started = await client.start(fixedSeed ?? randomSeed());
  labels = started.result as string[];
  buildGrid();
  if (started.view) draw(started.view);
  const saved = await loadState().catch(() => null);
  await loadLine();
  if (saved) {
    method.value = String(saved.panel.method);
    fillGuarantee();
    guarantee.value = String(saved.panel.guarantee);
    repeatCount.value = String(saved.panel.repeatCount);
    yellowMin.value = String(saved.panel.yellowMin);
    yellowMax.value = String(saved.panel.yellowMax);
    startWith.checked = saved.panel.startWith;
    stake.value = saved.panel.stake;
    showControlsOf(saved.panel.method);
    await request({ op: "restore", marks: saved.marks, memo: saved.memo });
    if (saved.poolRules) await request({ op: "poolRules", text: saved.poolRules });
    if (saved.conditions) await request({ op: "conditions", text: saved.conditions });
    if (saved.conditionsEnabled) await request({ op: "conditionsEnabled", on: true });
  } else if (view) {
    stake.value = view.stake;
  }
  await request({ op: "settings", panel: panelSettings() });
  document.body.dataset.ready = "1";
}

start();

// The player's road in Debian's Chromium: mark, form by every method, undo, copy, save and export,
// check the results; every package must be the one morvalen_pack forms from the same marks and seed.
import { execFileSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { launchChromium } from "./browser.mjs";
import { startService } from "./service.mjs";

const root = resolve(new URL("../../..", import.meta.url).pathname);
const binaries = process.env.MORVALEN_BINARY_DIR ?? join(root, "build/test");
const servicePath = join(binaries, "src/service/morvalen_service");
const packPath = join(binaries, "src/cli/morvalen_pack");
const pageFolder = join(root, "build/web/dist");
for (const [what, path] of [["morvalen_service", servicePath], ["morvalen_pack", packPath], ["the built page", join(pageFolder, "index.html")]])
  if (!existsSync(path)) throw new Error(`road: ${what} is missing at ${path}; run ./scripts/test (or scripts/build-web)`);

const seed = "20261209";
const startIndex = 37;
const scratch = mkdtempSync(join(tmpdir(), "morvalen-road-"));
let passed = 0;
let failed = 0;

async function step(name, body) {
  try {
    await body();
    ++passed;
    console.log(`ok   ${name}`);
  } catch (error) {
    ++failed;
    console.log(`FAIL ${name}\n     ${String(error?.stack ?? error).split("\n").join("\n     ")}`);
  }
}

function expectEqual(actual, expected, what) {
  if (Array.isArray(actual) && Array.isArray(expected) && actual.length !== expected.length)
    throw new Error(`${what}: ${actual.length} lines in the page, ${expected.length} expected`);
  if (Array.isArray(actual) && Array.isArray(expected)) {
    const at = actual.findIndex((line, i) => JSON.stringify(line) !== JSON.stringify(expected[i]));
    if (at >= 0) throw new Error(`${what}, line ${at + 1}:\n  page:     ${actual[at]}\n  expected: ${expected[at]}`);
    return;
  }
  if (JSON.stringify(actual) !== JSON.stringify(expected))
    throw new Error(`${what}:\n  page:     ${JSON.stringify(actual).slice(0, 600)}\n  expected: ${JSON.stringify(expected).slice(0, 600)}`);
}

function pack(command, options, input = "") {
  return execFileSync(packPath, [command, ...options], { input, encoding: "utf8" });
}

const service = await startService(servicePath, pageFolder);
const browser = await launchChromium();
try {
  const context = browser.context;
  await context.grantPermissions(["clipboard-read", "clipboard-write"], { origin: service.address });
  const page = await context.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push(error.message));
  const briefRequests = [];
  page.on("request", (request) => {
    if (request.url().includes("signat=")) briefRequests.push(request.url());
  });
  await page.setViewportSize({ width: 1280, height: 900 });
  await page.goto(`${service.address}/?seed=${seed}&start=${startIndex}`);
  await page.waitForSelector("body[data-ready='1']", { timeout: 30_000 });

  const idle = async () => {
    await page.waitForFunction(() => document.body.dataset.busy === "0", null, { timeout: 120_000 });
    if (await page.isVisible("#message_box")) throw new Error(`message: ${await page.textContent("#message_text")}`);
  };
  const memo = () => page.inputValue("#bet_memo");
  const view = () => page.evaluate(() => globalThis.morvalenView());
  const labels = await page.$$eval("#outcome_grid thead th", (cells) => cells.slice(1).map((cell) => cell.textContent));

  // Two outcomes marked in every event, in event 1 and 2 one of them yellow: by a held key and by a long press.
  const marked = [[1, 7], [2, 9], [1, 8], [3, 7], [1, 7], [2, 8], [1, 9], [7, 8]];
  const yellow = new Set(["1:7", "2:9"]);
  await step("marking by clicks, yellow by a held key and by a long press", async () => {
    for (let e = 1; e <= 8; ++e) for (const o of marked[e - 1]) {
      await page.click(`#cell_${e}_${o}`);
      await idle();
    }
    await page.selectOption("#method", "1");
    await idle();
    await page.keyboard.down("Shift");
    await page.click("#cell_1_7");
    await page.keyboard.up("Shift");
    await idle();
    const box = await page.locator("#cell_2_9").boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    await page.waitForTimeout(700);
    await page.mouse.up();
    await idle();
    const state = await view();
    for (let e = 1; e <= 8; ++e) for (let o = 1; o <= 17; ++o) {
      const cell = state.events[e - 1].cells[o - 1];
      const wanted = marked[e - 1].includes(o);
      if (cell.mark !== (wanted ? 1 : 0)) throw new Error(`event ${e} outcome ${o}: mark ${cell.mark}`);
      if (cell.yellow !== (yellow.has(`${e}:${o}`) ? 1 : 0)) throw new Error(`event ${e} outcome ${o}: yellow ${cell.yellow}`);
    }
    if (!(await page.textContent("#variants_summary")).includes("256")) throw new Error("variants line: " + (await page.textContent("#variants_summary")));
    if (!(await page.locator("#cell_1_7").getAttribute("class")).includes("yellow")) throw new Error("the yellow mark is not shown");
  });

  const state = await view();
  const stake = state.stake;
  const marksOption = marked.map((columns, e) => columns.map((o) => (yellow.has(`${e + 1}:${o}`) ? "*" : "") + labels[o - 1]).join(",")).join(";");
  const probabilities = state.events.map((event) => event.cells.map((cell) => (cell.setting / 10000).toFixed(4)).join(",")).join(";");
  const common = ["--marks", marksOption, "--stake", stake, "--seed", seed];

  async function formByClicks(method, settings) {
    await page.keyboard.press("Control+KeyX").catch(() => undefined);
    await idle();
    if ((await memo()) !== "") {
      await page.click("body");
      await page.keyboard.press("Control+KeyX");
      await idle();
    }
    await page.selectOption("#method", String(method));
    await idle();
    for (const [id, value] of Object.entries(settings)) {
      if (id === "guarantee" || id === "yellow_min" || id === "yellow_max") await page.selectOption(`#${id}`, String(value));
      else await page.fill(`#${id}`, String(value));
      await page.dispatchEvent(`#${id}`, "change");
      await idle();
    }
    await page.click("#add_to_list_link");
    await idle();
    return memo();
  }
  const lines = (text) => text.split("\n").filter((line) => line !== "");

  await step("sensations equal the batch tool", async () => {
    const text = await formByClicks(1, { yellow_min: 1, yellow_max: 2 });
    expectEqual(lines(text), lines(pack("sensations", [...common, "--min", "1", "--max", "2"])), "sensations");
    if (lines(text).length === 0) throw new Error("no bets");
  });
  await step("random distribution equals the batch tool", async () => {
    const text = await formByClicks(2, { repeat_count: 40 });
    expectEqual(lines(text), lines(pack("random", [...common, "--steps", "40", "--probabilities", probabilities])), "random");
    if (lines(text).length === 0) throw new Error("no bets");
  });
  await step("autoformation equals the batch tool (seed and start index)", async () => {
    const text = await formByClicks(3, { guarantee: 6, repeat_count: 30 });
    expectEqual(lines(text), lines(pack("auto", [...common, "--guarantee", "6", "--steps", "30", "--start-index", String(startIndex)])), "auto");
    if (!(await page.textContent("#coverage_summary")).startsWith("Покрыто ставками")) throw new Error("no coverage line");
  });
  await step("best chances equal the batch tool", async () => {
    const text = await formByClicks(4, { guarantee: 7, repeat_count: 12 });
    expectEqual(lines(text), lines(pack("best", [...common, "--guarantee", "7", "--steps", "12", "--probabilities", probabilities])), "best");
  });
  // The set probabilities and the pool shares as the batch tool's --probabilities and --pool read them.
  const shares = (state, field) => state.events.map((event) => event.cells.map((cell) => (cell[field] / 10000).toFixed(4)).join(",")).join(";");

  await step("a point of the probability chart dragged up raises its outcome and the formation follows it", async () => {
    await page.selectOption("#method", "2");
    await idle();
    await page.click("#edit_probabilities_link");
    await page.waitForSelector("#chart_view");
    const before = (await view()).events[0].cells;
    const column = marked[0][0];
    const point = page.locator(`#chart_view .setting_point[data-column="${column}"]`);
    const box = await point.boundingBox();
    const x = box.x + box.width / 2;
    const y = box.y + box.height / 2;
    await page.mouse.move(x, y);
    await page.mouse.down();
    for (let dy = 6; dy <= 36; dy += 6) await page.mouse.move(x, y - dy);
    await page.mouse.up();
    await idle();
    const after = (await view()).events[0].cells;
    if (!(after[column - 1].setting > before[column - 1].setting)) throw new Error(`the point did not rise: ${before[column - 1].setting} → ${after[column - 1].setting}`);
    const moved = after.filter((cell, i) => i !== column - 1 && before[i].setting > 0 && cell.setting < before[i].setting).length;
    if (moved === 0) throw new Error("the other outcomes were not rescaled");
    const total = after.reduce((sum, cell) => sum + cell.setting, 0);
    if (Math.abs(total - 1_000_000) > 17) throw new Error(`the 17 settings make ${total / 10000} %`);
    const label = await page.textContent(`#chart_view`);
    if (!label.includes(after[column - 1].settingMark)) throw new Error("the chart does not show the new value");
    await page.click("#editor_close");
    const text = await formByClicks(2, { repeat_count: 40 });
    expectEqual(lines(text), lines(pack("random", [...common, "--steps", "40", "--probabilities", shares(await view(), "setting")])), "random after the drag");
  });

  const rules = "tickets=50000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=1000";
  await step("the rules of the pool set in their dialog give the batch tool's expected return", async () => {
    const text = await formByClicks(4, { guarantee: 7, repeat_count: 12 });
    await page.click("summary:has-text('Пакет')");
    await page.click("#menu_pool_rules");
    await page.fill("#pool_tickets", "50000");
    await page.fill("#pool_payout", "0.65");
    await page.fill("#pool_tiers", "8:0.5,7:0.3,6:0.2");
    await page.fill("#pool_jackpot", "1000");
    await page.click("#pool_rules_ok");
    await idle();
    const state = await view();
    expectEqual(state.poolRules, rules, "the rules kept");
    const value = pack("value", ["--probabilities", shares(state, "setting"), "--pool", shares(state, "pool"), "--rules", rules, "--stake", stake], text + "\n");
    const expected = /^expected_return\t(.*)$/m.exec(value)[1];
    const summary = await page.textContent("#return_summary");
    const shown = /^Ожидаемый возврат: ([^ ]+) \(/.exec(summary);
    if (!shown || shown[1] !== expected) throw new Error(`summary "${summary}", the batch tool's expected_return ${expected}`);
  });

  await step("\"Максимум выигрыша\" equals the batch tool's value-best", async () => {
    const text = await formByClicks(5, { repeat_count: 10 });
    const state = await view();
    expectEqual(lines(text), lines(pack("value-best", [...common, "--steps", "10", "--probabilities", shares(state, "setting"),
      "--pool", shares(state, "pool"), "--rules", rules])), "value-best");
    if (lines(text).length !== 10) throw new Error(`${lines(text).length} bets`);
  });

  const conditionFile = join(scratch, "road.usl");
  // Two conditions typed, one built by clicks, the allowed errors by their field.
  const conditionText = "errors 1\n# the road's conditions\ncount 0 4 home\nprobability 0.0001 *\ncount 3 8 draws\n";
  writeFileSync(conditionFile, conditionText);
  await step("conditions built in their window: the cost table, the filter, autoformation, random distribution and best chances equal the batch tool", async () => {
    await page.click("body");
    await page.keyboard.press("Control+KeyU");
    await page.waitForSelector("#condition_text");
    await page.fill("#condition_text", "# the road's conditions\ncount 0 4 home\nprobability 0.0001 *");
    await page.selectOption("#condition_kind", "count");
    await page.fill("#range_low", "3");
    await page.fill("#range_high", "8");
    await page.selectOption("#group_preset", "draws");
    await page.click("#add_condition");
    await page.fill("#allowed_errors", "1");
    await page.dispatchEvent("#allowed_errors", "change");
    await idle();
    expectEqual(await page.inputValue("#condition_text"), conditionText, "the conditions' text");
    await page.check("#conditions_enabled");
    await idle();
    await page.waitForFunction(() => document.querySelectorAll("#cost_table tr").length === 5 && document.getElementById("condition_error").textContent === "");
    await idle();
    const state = await view();
    const withShares = [...common, "--conditions", conditionFile, "--probabilities", shares(state, "setting"), "--pool", shares(state, "pool")];
    const table = await page.$$eval("#cost_table tr", (rows) => rows.slice(1).map((row) => [...row.cells].map((cell) => cell.textContent)));
    const costs = lines(pack("conditions", withShares)).map((line) => line.split("\t"));
    expectEqual(table.map((row) => [row[1], row[3]]), costs.map((row) => [row[0], row[2]]), "cost table");
    await page.click("#conditions_close");
    if (!(await page.textContent("#variants_summary")).includes("(по условиям " + costs[costs.length - 1][0] + ")"))
      throw new Error("variants line: " + (await page.textContent("#variants_summary")));

    await page.click("#package_summary");
    await page.keyboard.press("Control+KeyX");
    await idle();
    await page.keyboard.press("Control+KeyD");
    await idle();
    const coupon = await memo();
    await page.keyboard.press("Control+KeyF");
    await idle();
    expectEqual(lines(await memo()), lines(pack("filter", withShares, coupon + "\n")), "filter");

    const text = await formByClicks(3, { guarantee: 6, repeat_count: 30 });
    expectEqual(lines(text), lines(pack("auto", [...withShares, "--guarantee", "6", "--steps", "30", "--start-index", String(startIndex)])), "auto with conditions");
    const random = await formByClicks(2, { repeat_count: 40 });
    expectEqual(lines(random), lines(pack("random", [...withShares, "--steps", "40"])), "random with conditions");
    const best = await formByClicks(4, { guarantee: 7, repeat_count: 12 });
    expectEqual(lines(best), lines(pack("best", [...withShares, "--guarantee", "7", "--steps", "12"])), "best with conditions");
    await page.click("summary:has-text('Пакет')");
    await page.click("#menu_conditions_enabled");
    await idle();
    if ((await view()).conditionsEnabled) throw new Error("the conditions stay on");
  });

  await step("the nearest brief systems come from the service's list page", async () => {
    await page.selectOption("#method", "0");
    await page.selectOption("#guarantee", "6");
    await idle();
    await page.click("summary:has-text('Пакет')");
    await page.click("#menu_show_nearest_systems");
    await idle();
    await page.waitForSelector("#systems_grid");
    const rows = await page.$$eval("#systems_grid tr", (all) => all.map((row) => [...row.cells].map((cell) => cell.textContent)));
    expectEqual(rows[0], ["Формула", "Ставок"], "header");
    if (rows.length < 2) throw new Error("no row under the header");
    const none = await page.isVisible("#nearest_systems_note");
    if (!none && !rows.slice(1).every((row) => /^\d+$/.test(row[1]))) throw new Error(`rows: ${JSON.stringify(rows)}`);
    await page.click("#nearest_systems_close");
  });

  let briefText = "";
  await step("a brief system from the service equals the batch tool's expansion of the same body", async () => {
    briefRequests.length = 0;
    briefText = await formByClicks(0, { guarantee: 6 });
    if (briefRequests.length !== 1) throw new Error(`brief-system requests: ${briefRequests.length}`);
    const body = Buffer.from(await (await fetch(briefRequests[0])).arrayBuffer());
    const payload = join(scratch, "system.gz");
    writeFileSync(payload, body);
    expectEqual(lines(briefText), lines(pack("brief", [...common, "--guarantee", "6", "--payload", payload])), "brief");
    if (lines(briefText).length === 0) throw new Error("no bets");
  });

  await step("undo takes the package back and redo brings it again", async () => {
    await page.click("body");
    await page.keyboard.press("Control+KeyZ");
    await idle();
    expectEqual(await memo(), "", "after undo");
    await page.keyboard.press("Control+Shift+KeyZ");
    await idle();
    expectEqual(await memo(), briefText, "after redo");
  });

  await step("the memo is re-read as the player types", async () => {
    await page.click("#bet_memo");
    await page.keyboard.press("Control+End");
    await page.keyboard.type("\n50|1-(1:0);2-(2:0);3-(1:0);4-(3:0);5-(1:0);6-(2:0);7-(1:0);8-(0:0)#");
    await page.waitForTimeout(400);
    await idle();
    const bets = lines(briefText).length + 1;
    if (!(await page.textContent("#package_summary")).startsWith(`Ставок  ${bets} `)) throw new Error(await page.textContent("#package_summary"));
  });

  await step("copy for transfer puts the package on the clipboard with CR LF", async () => {
    await page.click("#package_summary");
    await page.keyboard.press("Control+KeyC");
    await idle();
    const clipboard = await page.evaluate(() => navigator.clipboard.readText());
    expectEqual(clipboard, (await memo()).replace(/\n/g, "\r\n"), "clipboard");
  });

  await step("the text file is Windows-1251 with CR LF and reads back as the memo", async () => {
    await page.click("#package_summary");
    const [download] = await Promise.all([page.waitForEvent("download"), page.keyboard.press("Control+KeyT")]);
    const bytes = readFileSync(await download.path());
    const text = new TextDecoder("windows-1251").decode(bytes);
    expectEqual(text, (await memo()).replace(/\n/g, "\r\n"), "text file");
    if (bytes.includes(0xd0)) throw new Error("the file holds UTF-8");
  });

  await step("the workbook reads back with the package's groups and amounts", async () => {
    await page.click("#package_summary");
    const [download] = await Promise.all([page.waitForEvent("download"), page.keyboard.press("Control+KeyS")]);
    const file = join(scratch, "package.xlsx");
    writeFileSync(file, readFileSync(await download.path()));
    const read = JSON.parse(execFileSync("/usr/bin/python3", ["-c", `
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
print(json.dumps({"name": sheet.title, "rows": [[c for c in row] for row in sheet.iter_rows(values_only=True)]}))
`, file], { encoding: "utf8" }));
    const memoLines = lines(await memo());
    expectEqual(read.name, `Pack_${memoLines.length}`, "sheet name");
    expectEqual(read.rows.length, memoLines.length, "rows");
    const [amount, groups] = memoLines[0].split("|");
    const cells = groups.replace(/#$/, "").split(";").map((group) => group.replace(/^\d-/, ""));
    expectEqual(read.rows[0].slice(0, 8), cells, "first row's groups");
    expectEqual(read.rows[0][8], Number(amount), "first row's amount");
  });

  await step("the results check counts the package's bets by hits with its chances", async () => {
    await page.click("summary:has-text('Пакет')");
    await page.click("#menu_check_results");
    const results = [];
    for (let e = 1; e <= 8; ++e) {
      const label = labels[marked[e - 1][0] - 1];
      results.push(label);
      await page.selectOption(`#result_chooser_${e}`, label);
    }
    await page.click("#check_button");
    await idle();
    await page.waitForSelector("#hits_table");
    const table = await page.$$eval("#hits_table tr", (rows) => rows.slice(1).map((row) => [...row.cells].map((cell) => cell.textContent)));
    // The batch tool's last line: the whole package's single bets with 8, 7, … 0 hits.
    const totals = lines(pack("hits", ["--results", results.join(";")], await memo())).pop().split("\t");
    expectEqual(table.slice(0, 9).map((row) => row[1]), totals, "single bets by hits");
    await page.click("#results_close");
  });

  await step("the list commands by their keys equal the batch tool's", async () => {
    for (const [keys, command, extra] of [["Control+KeyD", "coupon", []], ["Control+KeyO", "split", []],
      ["Control+KeyW", "dedupe", []], ["Control+KeyY", "remove-variants", []]]) {
      const before = await memo();
      await page.click("#package_summary");
      await page.keyboard.press(keys);
      await idle();
      expectEqual(lines(await memo()), lines(pack(command, [...common, ...extra], before + "\n")), command);
    }
  });

  await step("the distribution over the outcomes counts the package's single bets", async () => {
    await page.click("summary:has-text('Пакет')");
    await page.click("#menu_show_distribution");
    await idle();
    const rows = await page.$$eval("#counts_grid tr", (all) => all.slice(1).map((row) => [...row.cells].slice(1).map((c) => c.textContent)));
    if (rows.length !== 8 || rows.some((row) => row.length !== 17)) throw new Error(`grid ${rows.length}`);
    if (!/^\d+\(\d+%\)$/.test(rows[0][marked[0][0] - 1])) throw new Error(`cell: ${rows[0][marked[0][0] - 1]}`);
    await page.click("#distribution_close");
  });

  await step("the quotes file is saved and read back", async () => {
    await page.click("#package_summary");
    const [download] = await Promise.all([page.waitForEvent("download"), page.keyboard.press("Control+KeyK")]);
    const quotes = readFileSync(await download.path());
    const text = new TextDecoder("windows-1251").decode(quotes).split("\r\n");
    if (text.length < 9 || text[0].split("\t").length < 35) throw new Error(`quotes file: ${text.slice(0, 2)}`);
    const [chooser] = await Promise.all([page.waitForEvent("filechooser"), page.keyboard.press("Control+KeyL")]);
    const before = await view();
    await chooser.setFiles({ name: "quotes.ctr", mimeType: "application/octet-stream", buffer: quotes });
    await idle();
    expectEqual((await view()).events.map((e) => e.cells.map((c) => c.quote)), before.events.map((e) => e.cells.map((c) => c.quote)), "quotes");
  });

  await step("the working state comes back when the page is opened again", async () => {
    const before = await view();
    await page.waitForTimeout(800); // the state is kept a moment after the last change
    await page.reload();
    await page.waitForSelector("body[data-ready='1']", { timeout: 30_000 });
    await idle();
    const after = await view();
    expectEqual(after.memo, before.memo, "memo");
    expectEqual([after.poolRules, after.conditionsText, after.conditionsEnabled], [before.poolRules, before.conditionsText, before.conditionsEnabled], "rules and conditions");
    if (before.poolRules === "" || !before.conditionsText.includes("draws")) throw new Error("the road set no rules or conditions before");
    expectEqual(after.events.map((e) => e.cells.map((c) => c.mark + c.yellow)), before.events.map((e) => e.cells.map((c) => c.mark + c.yellow)), "marks");
  });

  await step("without a system for the signature the nearest systems window opens and says so", async () => {
    for (let e = 1; e <= 8; ++e) await page.click(`#event_${e}`);
    await page.selectOption("#method", "0");
    await page.selectOption("#guarantee", "7");
    await idle();
    const before = await memo();
    await page.click("#add_to_list_link");
    await idle();
    await page.waitForSelector("#nearest_systems_window[open]");
    expectEqual(await page.textContent("#nearest_systems_reason"), "Бриф-системы с такой подписью на сервере нет", "reason");
    if (!(await page.textContent("#nearest_systems_note")).includes("отмечено 17 и 17 исходов")) throw new Error(await page.textContent("#nearest_systems_note"));
    expectEqual(await memo(), before, "the memo");
    await page.click("#nearest_systems_close");
    for (let e = 1; e <= 8; ++e) await page.click(`#event_${e}`);
    await idle();
  });

  await step("a long autoformation shows its progress in the caption and Esc stops it with what it found", async () => {
    await page.click("body");
    await page.keyboard.press("Control+KeyX");
    await idle();
    // A click on a name marks the whole event, a second one clears it; then 7 outcomes each: enough
    // variants that the run is still at work when Esc comes, also on a fast machine.
    for (let e = 1; e <= 8; ++e) {
      await page.click(`#event_${e}`);
      await page.click(`#event_${e}`);
      for (const o of [9, 10, 11, 12, 13, 14, 15]) await page.click(`#cell_${e}_${o}`);
    }
    await idle();
    await page.selectOption("#method", "3");
    await idle();
    await page.selectOption("#guarantee", "7");
    await page.fill("#repeat_count", "100000000");
    await page.dispatchEvent("#repeat_count", "change");
    await idle();
    await page.click("#add_to_list_link");
    // A loaded machine may take a while to the first caption; the stop itself must be quick.
    await page.waitForFunction(() => document.getElementById("window_caption").textContent.includes("Esc"), null, { timeout: 60_000, polling: 50 })
      .catch(async (error) => {
        throw new Error(`${error.message}; caption "${await page.textContent("#window_caption")}", busy ${await page.evaluate(() => document.body.dataset.busy)}, message ${await page.isVisible("#message_box") ? await page.textContent("#message_text") : "none"}`);
      });
    if (!(await page.isVisible("#stop_button"))) throw new Error("no stop button while the run goes");
    const running = await page.textContent("#window_caption");
    if (running.split("Esc").length !== 2) throw new Error(`caption: ${running}`);
    const started = Date.now();
    await page.keyboard.press("Escape");
    await idle();
    if (!(await page.textContent("#variants_summary")).includes("5764801")) throw new Error(await page.textContent("#variants_summary"));
    if (Date.now() - started > 30_000) throw new Error("the stop took too long");
    if (lines(await memo()).length === 0) throw new Error("the stopped run kept no bets");
    if ((await page.textContent("#window_caption")).includes("Esc")) throw new Error("the caption was not restored");
  });

  await step("the page ran without script errors", async () => {
    expectEqual(problems, [], "page errors");
  });
} finally {
  await browser.close();
  await service.stop();
  rmSync(scratch, { recursive: true, force: true });
}
console.log(`road: ${passed} passed, ${failed} failed`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);

// The browser page's budgets: its download with gzip, its first screen on the loopback, and
// autoformation in the worker against the native batch tool. Run after scripts/build-web:
//   node bench/web_budgets.mjs [--release-dir build/release] [--service-dir DIR] [--steps 100000]
import { execFileSync } from "node:child_process";
import { existsSync, readdirSync, statSync } from "node:fs";
import { join, relative, resolve } from "node:path";
import { launchChromium } from "../web/tests/road/browser.mjs";
import { startService } from "../web/tests/road/service.mjs";

const root = resolve(new URL("..", import.meta.url).pathname);
const argument = (name, fallback) => {
  const at = process.argv.indexOf(name);
  return at > 0 ? process.argv[at + 1] : fallback;
};
const releaseDir = resolve(root, argument("--release-dir", "build/release"));
// The service only hands out files and the line here; the build that runs the tests will do.
const serviceDir = resolve(root, argument("--service-dir", existsSync(join(releaseDir, "src/service/morvalen_service")) ? releaseDir : "build/test"));
const servicePath = join(serviceDir, "src/service/morvalen_service");
const packPath = join(releaseDir, "src/cli/morvalen_pack");
const pageFolder = join(root, "build/web/dist");
for (const path of [servicePath, packPath, join(pageFolder, "index.html")])
  if (!existsSync(path)) throw new Error(`web_budgets: ${path} is missing (build/release's service and batch tool, scripts/build-web)`);

function files(folder) {
  return readdirSync(folder).flatMap((name) => {
    const path = join(folder, name);
    return statSync(path).isDirectory() ? files(path) : [path];
  });
}

const service = await startService(servicePath, pageFolder);
const browser = await launchChromium();
const report = {};
try {
  // 1. Every file of the page as the service sends it to a browser that takes gzip.
  let wire = 0;
  for (const file of files(pageFolder)) {
    const response = await fetch(service.address + "/" + relative(pageFolder, file), { headers: { "Accept-Encoding": "gzip" } });
    await response.arrayBuffer();
    wire += Number(response.headers.get("content-length"));
  }
  report.download_gzip_bytes = wire;

  // 2. From the address to the line drawn in the grid, three times on a fresh page each.
  const firstScreens = [];
  for (let run = 0; run < 3; ++run) {
    const page = await browser.context.newPage();
    await page.goto(`${service.address}/?seed=1`);
    // From the navigation's start, as the browser counts it, to the line drawn in the grid.
    await page.waitForFunction(() => document.getElementById("event_8")?.textContent !== "", null, { timeout: 30_000, polling: "raf" });
    firstScreens.push(Math.round(await page.evaluate(() => performance.now())));
    await page.close();
  }
  report.first_screen_ms = firstScreens;

  // 3. Autoformation, 5 marks in every event at guarantee 6, to the end, in the worker and natively.
  const columns = [1, 2, 3, 7, 8];
  // Steps enough for the whole cover (2,604 bets on this line), so the run ends when every variant is covered.
  const STEPS = argument("--steps", "100000");
  const page = await browser.context.newPage();
  await page.goto(`${service.address}/?seed=5&start=0`);
  await page.waitForSelector("body[data-ready='1']");
  for (let e = 1; e <= 8; ++e) for (const o of columns) await page.click(`#cell_${e}_${o}`);
  await page.selectOption("#method", "3");
  await page.waitForFunction(() => document.body.dataset.busy === "0");
  await page.selectOption("#guarantee", "6");
  await page.fill("#repeat_count", STEPS);
  await page.dispatchEvent("#repeat_count", "change");
  await page.waitForFunction(() => document.body.dataset.busy === "0");
  const pageStart = Date.now();
  await page.click("#add_to_list_link");
  await page.waitForFunction(() => document.body.dataset.busy === "0", null, { timeout: 600_000 });
  report.autoformation_page_ms = Date.now() - pageStart;
  const pageBets = (await page.inputValue("#bet_memo")).split("\n").filter(Boolean);

  const labels = await page.$$eval("#outcome_grid thead th", (cells) => cells.slice(1).map((cell) => cell.textContent));
  const marks = Array.from({ length: 8 }, () => columns.map((o) => labels[o - 1]).join(",")).join(";");
  const stake = (await page.evaluate(() => globalThis.morvalenView().stake));
  const nativeStart = Date.now();
  const native = execFileSync(packPath, ["auto", "--marks", marks, "--guarantee", "6", "--steps", STEPS, "--seed", "5",
    "--start-index", "0", "--stake", stake], { input: "", encoding: "utf8", maxBuffer: 1 << 28 });
  report.autoformation_native_ms = Date.now() - nativeStart;
  const nativeBets = native.split("\n").filter(Boolean);
  report.autoformation_bets = { page: pageBets.length, native: nativeBets.length, same: pageBets.join("\n") === nativeBets.join("\n") };
  report.autoformation_ratio = Number((report.autoformation_page_ms / report.autoformation_native_ms).toFixed(2));
} finally {
  await browser.close();
  await service.stop();
}
console.log(JSON.stringify(report, null, 2));
const within = report.download_gzip_bytes < 1.5 * 1024 * 1024 && Math.min(...report.first_screen_ms) < 1000 &&
  report.autoformation_ratio <= 2 && report.autoformation_bets.same;
console.log(within ? "every budget holds" : "a budget is missed");
process.exit(within ? 0 : 1);

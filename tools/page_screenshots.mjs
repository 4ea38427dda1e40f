// The README's pictures of the browser page: a marked line, the pool's rules, a condition and the
// package "Максимум выигрыша" forms, on a desktop and on
// a 360-pixel phone, in headless Chromium. node tools/page_screenshots.mjs [binary dir]
import { resolve, join } from "node:path";
import { launchChromium } from "../web/tests/road/browser.mjs";
import { startService } from "../web/tests/road/service.mjs";

const root = resolve(new URL("..", import.meta.url).pathname);
const binaries = resolve(root, process.argv[2] ?? "build/test");
const service = await startService(join(binaries, "src/service/morvalen_service"), join(root, "build/web/dist"));
const browser = await launchChromium();
try {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 1280, height: 800 });
  await page.goto(`${service.address}/?seed=7&start=0`);
  await page.waitForSelector("body[data-ready='1']");
  const idle = () => page.waitForFunction(() => document.body.dataset.busy === "0");
  const marked = [[1, 7], [2, 9, 8], [1, 8], [3, 7], [1, 7, 11], [2, 8], [1, 9], [7, 8]];
  for (let e = 1; e <= 8; ++e) for (const o of marked[e - 1]) {
    await page.click(`#cell_${e}_${o}`);
    await idle();
  }
  // The rules of the pool, so the summary shows the expected return, and one condition in force.
  await page.click("summary:has-text('Пакет')");
  await page.click("#menu_pool_rules");
  await page.click("#pool_rules_ok");
  await idle();
  await page.keyboard.press("Control+KeyU");
  await page.fill("#condition_text", "count 2 8 draws\n");
  await page.check("#conditions_enabled");
  await idle();
  await page.click("#conditions_close");
  await idle();
  await page.selectOption("#method", "5");
  await idle();
  await page.fill("#repeat_count", "30");
  await page.dispatchEvent("#repeat_count", "change");
  await idle();
  await page.click("#add_to_list_link");
  await idle();
  await page.screenshot({ path: join(root, "docs/page-desktop.png") });
  await page.setViewportSize({ width: 360, height: 780 });
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: join(root, "docs/page-phone.png"), fullPage: true });
} finally {
  await browser.close();
  await service.stop();
}

// Debian's Chromium through playwright-core: headless, no sandbox (root in CI), a fresh profile.
import { chromium } from "playwright-core";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

export const chromiumPath = process.env.MORVALEN_CHROMIUM ?? "/usr/bin/chromium";

export async function launchChromium() {
  const profile = mkdtempSync(join(tmpdir(), "morvalen-chromium-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    acceptDownloads: true,
    args: [
      "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
    ],
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

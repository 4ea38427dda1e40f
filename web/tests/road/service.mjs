// A morvalen_service of its own for the checks: a fresh database, a free loopback port, the built page.
import { spawn } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

export async function startService(servicePath, pageFolder) {
  const folder = mkdtempSync(join(tmpdir(), "morvalen-service-"));
  const child = spawn(servicePath, ["--db", join(folder, "service.db"), "--listen", "127.0.0.1", "--port", "0", "--page", pageFolder], {
    stdio: ["ignore", "pipe", "pipe"],
  });
  let output = "";
  const address = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`the service did not start:\n${output}`)), 60_000);
    const read = (chunk) => {
      output += chunk;
      const served = /serving .* on (http:\/\/127\.0\.0\.1:\d+)/.exec(output);
      if (served && output.includes(" at /")) {
        clearTimeout(timer);
        resolve(served[1]);
      }
    };
    child.stdout.on("data", read);
    child.stderr.on("data", read);
    child.on("exit", (code) => reject(new Error(`the service ended (${code}):\n${output}`)));
  });
  return {
    address,
    async stop() {
      child.kill("SIGTERM");
      await new Promise((resolve) => child.once("exit", resolve));
      rmSync(folder, { recursive: true, force: true });
    },
  };
}

// The page and its worker, built into build/web/dist; the core comes from build/wasm.
import { defineConfig } from "vite";
import { fileURLToPath } from "node:url";

const root = fileURLToPath(new URL(".", import.meta.url));

export default defineConfig({
  base: "./",
  resolve: {
    alias: { "@core": fileURLToPath(new URL("../build/wasm/morvalen_core.mjs", import.meta.url)) },
  },
  build: {
    outDir: fileURLToPath(new URL("../build/web/dist", import.meta.url)),
    emptyOutDir: true,
    target: "es2022",
    assetsInlineLimit: 0,
  },
  worker: { format: "es" },
  server: { fs: { allow: [root, fileURLToPath(new URL("../build/wasm", import.meta.url))] } },
  test: { include: ["tests/unit/**/*.test.ts"], environment: "node" },
});

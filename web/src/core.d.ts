// The embind module built from src/wasm.
declare module "@core" {
  const createMorvalenCore: (options?: object) => Promise<any>;
  export default createMorvalenCore;
}

// The page's side of the worker: requests in order, captions while a run goes, and the stop.
import type { Answer, Request } from "./protocol";

export interface ClientHooks {
  caption(text: string): void;
}

export class CoreClient {
  private worker!: Worker;
  private nextId = 1;
  private pending = new Map<number, { resolve: (answer: Answer) => void; reject: (error: Error) => void }>();
  // Shared with the worker where the page is cross-origin isolated: the stop is read inside the run.
  private readonly stopFlag: Int32Array | null;
  private startRequest: Request | null = null;

  constructor(private readonly makeWorker: () => Worker, private readonly hooks: ClientHooks) {
    this.stopFlag = typeof SharedArrayBuffer !== "undefined" && globalThis.crossOriginIsolated
      ? new Int32Array(new SharedArrayBuffer(4))
      : null;
    this.spawn();
  }

  get stopsInPlace(): boolean {
    return this.stopFlag !== null;
  }

  private spawn(): void {
    this.worker = this.makeWorker();
    this.worker.onmessage = (message: MessageEvent<Answer | { caption: string }>) => {
      const data = message.data;
      if ("caption" in data) {
        this.hooks.caption(data.caption);
        return;
      }
      const waiting = this.pending.get(data.id);
      this.pending.delete(data.id);
      waiting?.resolve(data);
    };
    this.worker.onerror = (event) => {
      for (const waiting of this.pending.values()) waiting.reject(new Error(event.message || "worker failed"));
      this.pending.clear();
    };
  }

  start(seed: string): Promise<Answer> {
    this.startRequest = { op: "start", seed, stopFlag: this.stopFlag ? (this.stopFlag.buffer as SharedArrayBuffer) : null };
    return this.call(this.startRequest);
  }

  call(request: Request): Promise<Answer> {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.worker.postMessage({ id, request });
    });
  }

  // "Esc": the run ends with what it found. Without shared memory the worker is replaced and
  // `restore` puts the state from before the run back.
  async stop(restore: Request[]): Promise<boolean> {
    if (this.stopFlag) {
      Atomics.store(this.stopFlag, 0, 1);
      return true;
    }
    this.worker.terminate();
    for (const waiting of this.pending.values()) waiting.resolve({ id: 0, error: "stopped" });
    this.pending.clear();
    this.spawn();
    if (this.startRequest) await this.call(this.startRequest);
    for (const request of restore) await this.call(request);
    return false;
  }
}

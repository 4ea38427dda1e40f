// The working state kept in the browser (IndexedDB), as the desktop keeps it in its file.

export interface WorkingState {
  marks: Uint8Array; // 8 × (17 marks, 0 / 1 / 2 for yellow, then the start-with column)
  memo: string;
  // The rules of the pool and the conditions in their text forms; absent in a state kept before them.
  poolRules?: string;
  conditions?: string;
  conditionsEnabled?: boolean;
  panel: { method: number; guarantee: number; repeatCount: number; yellowMin: number; yellowMax: number; startWith: boolean; stake: string };
}

const databaseName = "morvalen";
const storeName = "working_state";
const key = "current";

function open(): Promise<IDBDatabase> {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(databaseName, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(storeName);
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

export function validState(value: unknown): value is WorkingState {
  if (typeof value !== "object" || value === null) return false;
  const state = value as Partial<WorkingState>;
  return state.marks instanceof Uint8Array && state.marks.length === 8 * 18 && typeof state.memo === "string" &&
    typeof state.panel === "object" && state.panel !== null && typeof state.panel.stake === "string";
}

export async function loadState(): Promise<WorkingState | null> {
  if (typeof indexedDB === "undefined") return null;
  const db = await open();
  try {
    return await new Promise((resolve, reject) => {
      const request = db.transaction(storeName).objectStore(storeName).get(key);
      request.onsuccess = () => resolve(validState(request.result) ? request.result : null);
      request.onerror = () => reject(request.error);
    });
  } finally {
    db.close();
  }
}

export async function saveState(state: WorkingState): Promise<void> {
  if (typeof indexedDB === "undefined") return;
  const db = await open();
  try {
    await new Promise<void>((resolve, reject) => {
      const transaction = db.transaction(storeName, "readwrite");
      transaction.objectStore(storeName).put(state, key);
      transaction.oncomplete = () => resolve();
      transaction.onerror = () => reject(transaction.error);
    });
  } finally {
    db.close();
  }
}

// Files the player saves and opens: the text file, the workbook and the quotes file.
import writeExcelFile from "write-excel-file/browser";
import type { SheetBuild } from "./protocol";

export function saveBlob(blob: Blob, name: string): void {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10_000);
}

export function saveBytes(bytes: Uint8Array, name: string, type: string): void {
  saveBlob(new Blob([bytes as BlobPart], { type }), name);
}

// The cells as the core cut them; texts stay texts, amounts stay numbers.
export function sheetData(rows: (string | number | null)[][]) {
  return rows.map((row) =>
    row.map((cell) => (cell === null ? null : typeof cell === "number" ? { type: Number, value: cell } : { type: String, value: cell })),
  );
}

export async function workbookBlob(build: SheetBuild): Promise<Blob> {
  return writeExcelFile(sheetData(build.rows ?? []) as never, { sheet: build.sheetName ?? "Pack_0" }).toBlob();
}

export function pickFile(accept: string): Promise<File | null> {
  return new Promise((resolve) => {
    const input = document.createElement("input");
    input.type = "file";
    input.accept = accept;
    input.onchange = () => resolve(input.files?.[0] ?? null);
    input.oncancel = () => resolve(null);
    input.click();
  });
}

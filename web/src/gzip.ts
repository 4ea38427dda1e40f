// The brief-system body is gzip: the browser inflates it, so the core in the page needs no zlib.

export async function inflateGzip(body: Uint8Array, limit: number): Promise<Uint8Array> {
  const stream = new Blob([body as BlobPart]).stream().pipeThrough(new DecompressionStream("gzip"));
  const reader = stream.getReader();
  const parts: Uint8Array[] = [];
  let total = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    total += value.length;
    // A small hostile body must not expand to gigabytes.
    if (total > limit) {
      await reader.cancel();
      throw new Error("бриф-система не распакована: слишком большое содержимое");
    }
    parts.push(value);
  }
  const content = new Uint8Array(total);
  let at = 0;
  for (const part of parts) {
    content.set(part, at);
    at += part.length;
  }
  return content;
}

// More than any brief system holds: 10 million records of 5 bytes.
export const briefContentLimit = 10_000_000 * 5;

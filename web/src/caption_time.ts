// The time in the caption after the line arrives: the date and, unless it is midnight, the time.
export function captionTime(now: Date): string {
  const pad = (n: number) => String(n).padStart(2, "0");
  let text = `${pad(now.getDate())}.${pad(now.getMonth() + 1)}.${now.getFullYear()}`;
  if (now.getHours() || now.getMinutes() || now.getSeconds()) text += ` ${pad(now.getHours())}:${pad(now.getMinutes())}:${pad(now.getSeconds())}`;
  return text;
}

// The results check's input and table: the 8 chosen labels as the core reads them, rows by hits.
import type { ResultsReport } from "./protocol";
import { resultsTexts } from "./texts";

// "1:0;0:0;…" from the 8 choosers; null while some event has no result chosen.
export function resultsText(chosen: string[]): string | null {
  if (chosen.length !== 8 || chosen.some((label) => label === "")) return null;
  return chosen.join(";");
}

export interface HitRow {
  label: string;
  bets: string;
  share: string;
  chance: string;
}

function percent(value: number): string {
  return (value * 100).toFixed(2);
}

// Rows for 8 hits down to 0, then the total; the chance column is "at least k hits in some bet".
export function hitRows(report: ResultsReport): HitRow[] {
  const rows: HitRow[] = [];
  const byHits = report.byHits ?? [];
  const shares = report.shares ?? [];
  for (let k = 8; k >= 0; --k) {
    rows.push({
      label: String(k),
      bets: String(byHits[k] ?? 0),
      share: percent(shares[k] ?? 0),
      chance: report.atLeast ? percent(report.atLeast[k]) : "—",
    });
  }
  const total = byHits.reduce((sum, n) => sum + n, 0);
  rows.push({ label: resultsTexts.total, bets: String(total), share: total > 0 ? "100.00" : "0.00", chance: "" });
  return rows;
}

// The conditions window's cost table as text: exact figures plain, estimates as "≈X ± E".
import { conditionsTexts } from "./texts";

export interface CostRowView {
  name: string; // the condition's line; empty for the whole set's row
  exact: boolean;
  keptVariants: number;
  variantsError: number;
  sharePercent: string;
  shareError: string;
  keptPercent: string;
  percentError: string;
}

export interface CostTableView {
  refusal: string;
  markedVariants: number;
  markedPercent: string;
  samples: number;
  allowedErrors: number;
  rows: CostRowView[];
}

function cell(value: string, error: string, exact: boolean): string {
  return exact ? value : `≈${value} ± ${error}`;
}

// The table's rows, four cells each, and the note under it.
export function costTableRows(table: CostTableView): { rows: string[][]; note: string } {
  const rows = table.rows.map((row) => [
    row.name === "" ? conditionsTexts.setRow + table.allowedErrors : row.name,
    cell(String(row.keptVariants), String(row.variantsError), row.exact),
    cell(row.sharePercent, row.shareError, row.exact),
    cell(row.keptPercent, row.percentError, row.exact),
  ]);
  let note: string;
  if (table.refusal) note = table.refusal;
  else if (table.markedVariants <= 0) note = conditionsTexts.markAll;
  else if (table.samples > 0) note = conditionsTexts.estimate(table.samples);
  else note = conditionsTexts.exact(table.markedVariants, table.markedPercent);
  return { rows, note };
}

// The window's builder: the kinds and groups as the desktop's conditions window names them, and the
// grammar's words for them.
export const conditionKinds: [string, string][] = [
  ["count", "Число исходов группы"],
  ["probability", "Вероятность варианта, %"],
  ["popularity", "Популярность у публики, %"],
  ["value", "Ценность (вероятность / популярность)"],
];
export const conditionGroups: [string, string][] = [
  ["home", "Победы хозяев"],
  ["draws", "Ничьи"],
  ["away", "Победы гостей"],
  ["other", "ЛД"],
  ["yellow", "Жёлтые отметки"],
  ["favourite", "Фавориты"],
  ["crowd-favourite", "Фавориты публики"],
];

// One condition's line from the builder's fields; an empty upper bound is "*". The core's reader
// judges the numbers when the text is taken.
export function conditionLine(kind: string, low: string, high: string, group: string): string {
  const bounds = `${low.trim() || "0"} ${high.trim() || "*"}`;
  return kind === "count" ? `count ${bounds} ${group}` : `${kind} ${bounds}`;
}

// The text with one condition more at its end.
export function appendCondition(text: string, line: string): string {
  if (text === "" || text.endsWith("\n")) return text + line + "\n";
  return text + "\n" + line + "\n";
}

// The text with its "errors" line set to E: the first one replaced, further ones left out, or a new
// one put first.
export function withAllowedErrors(text: string, errors: number): string {
  const lines = text.split("\n");
  const isErrors = (line: string) => /^\s*errors(\s|$)/.test(line);
  const first = lines.findIndex(isErrors);
  if (first < 0) return `errors ${errors}\n` + text;
  return lines.filter((line, i) => i === first || !isErrors(line)).map((line) => (isErrors(line) ? `errors ${errors}` : line)).join("\n");
}

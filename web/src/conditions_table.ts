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

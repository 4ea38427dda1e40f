// What the page and the core's worker say to each other.

export interface CellView {
  text: string;
  mark: number;
  yellow: number;
  setting: number; // ten-thousandths of a percent
  quote: number;
  pool: number;
  settingMark: string; // "5.9", as the chart marks the point
}

export interface EventView {
  name: string;
  shortName: string;
  startWith: number;
  cells: CellView[];
}

export interface EnabledCommands {
  formingLink: boolean;
  addCoupon: boolean;
  removeVariants: boolean;
  listCommands: boolean;
  undo: boolean;
  redo: boolean;
  filterByConditions: boolean;
}

export interface SessionView {
  events: EventView[];
  packageLine: string;
  variantsLine: string;
  coverageLine: string;
  enabled: EnabledCommands;
  memo: string;
  stake: string;
  startWithCaption: string;
  acceptanceNote: string;
  returnLine: string; // "Ожидаемый возврат: …" once the rules are set
  poolRules: string; // the rules' text form, empty while unset
  conditionsEnabled: boolean;
  conditionsText: string; // the set in the conditions file's grammar
}

export interface NearestSystems {
  error: string;
  rows: [string, string][]; // the header ("Формула", "Ставок") first
  first: number;
  second: number;
}

// The formation panel as the core's settings read it; method in the panel's order.
export interface PanelSettings {
  method: number;
  guarantee: number;
  repeatCount: number;
  yellowMin: number;
  yellowMax: number;
  startWith: boolean;
  stake: string;
}

export interface ResultsReport {
  error: string;
  byHits?: number[];
  shares?: number[];
  chancesRefusal?: string;
  atLeast?: number[];
  exact?: boolean;
  expectedFullHits?: number;
}

export interface SheetBuild {
  error: string;
  sheetName?: string;
  rows?: (string | number | null)[][];
}

export type Request =
  | { op: "start"; seed: string; stopFlag: SharedArrayBuffer | null }
  | { op: "loadLine" }
  | { op: "selectCell"; column: number; row: number; keyHeld: boolean }
  | { op: "settings"; panel: PanelSettings }
  | { op: "form"; panel: PanelSettings; startIndex: number; seed: string | null }
  | { op: "listCommand"; name: string }
  | { op: "memoEdited"; text: string }
  | { op: "undo" }
  | { op: "redo" }
  | { op: "checkResults"; text: string }
  | { op: "distribution" }
  | { op: "textFile" }
  | { op: "spreadsheet"; byRows: boolean }
  | { op: "quotesFile"; caption: string }
  | { op: "readQuotesFile"; bytes: Uint8Array }
  | { op: "dragPoint"; event: number; column: number; lastY: number; y: number; pixelsPerPercent: number }
  | { op: "preset"; event: number; preset: number }
  | { op: "restore"; marks: Uint8Array; memo: string }
  | { op: "marks" }
  | { op: "poolRules"; text: string | null } // null: "Не учитывать"
  | { op: "conditions"; text: string }
  | { op: "conditionsEnabled"; on: boolean }
  | { op: "conditionCosts" }
  | { op: "nearestSystems" };

// Every answer carries the view after the command, and the command's own result.
export interface Answer {
  id: number;
  view?: SessionView;
  result?: unknown;
  error?: string; // the player's message, shown in a box captioned "Ошибка"
  showCoverage?: boolean;
  lineMissing?: boolean;
}

export interface Progress {
  caption: string;
}

// The rules dialog's text form and the conditions window's cost table, as the core's figures arrive.
import { describe, expect, it } from "vitest";
import { appendCondition, conditionLine, costTableRows, withAllowedErrors, type CostTableView } from "../../src/conditions_table";
import { rulesFields, rulesText } from "../../src/pool_rules_form";
import { commandOfKey } from "../../src/shortcuts";

describe("rules of the pool", () => {
  it("reads the fields back from the text the core formats, in any key order", () => {
    const fields = rulesFields("payout=0.7;tickets=100;tiers=8:1;jackpot=5");
    expect(fields).toEqual({ tickets: "100", payout: "0.7", tiers: "8:1", jackpot: "5" });
    expect(rulesText(fields)).toBe("tickets=100;payout=0.7;tiers=8:1;jackpot=5");
    expect(rulesFields("")).toEqual({ tickets: "", payout: "", tiers: "", jackpot: "" });
  });

  it("trims the fields, takes an empty jackpot as 0 and refuses a separator smuggled into a field", () => {
    expect(rulesText({ tickets: " 10 ", payout: "0.5", tiers: "8:0.5, 7:0.5", jackpot: "" })).toBe("tickets=10;payout=0.5;tiers=8:0.5, 7:0.5;jackpot=0");
    expect(rulesText({ tickets: "10;payout=1", payout: "0.5", tiers: "8:1", jackpot: "0" })).toBeNull();
    expect(rulesText({ tickets: "10", payout: "0.5", tiers: "8:1", jackpot: "jackpot=9" })).toBeNull();
  });
});

describe("cost table", () => {
  const row = (name: string, exact = true) => ({
    name, exact, keptVariants: 96, variantsError: 3, sharePercent: "37.5", shareError: "1.2", keptPercent: "41.25", percentError: "0.5",
  });
  const table = (over: Partial<CostTableView>): CostTableView => ({
    refusal: "", markedVariants: 256, markedPercent: "12.5", samples: 0, allowedErrors: 1, rows: [row("count 3 8 draws"), row("")], ...over,
  });

  it("names the set's row by its allowed errors and says the count is exact", () => {
    const { rows, note } = costTableRows(table({}));
    expect(rows).toEqual([
      ["count 3 8 draws", "96", "37.5", "41.25"],
      ["Все включённые, ошибок не более 1", "96", "37.5", "41.25"],
    ]);
    expect(note).toBe("Точный расчёт по 256 вариантам; вероятность отмеченных 12.5%");
  });

  it("shows an estimate with its error and says how many draws it took", () => {
    const { rows, note } = costTableRows(table({ samples: 200000, rows: [row("value 1 *", false)] }));
    expect(rows[0].slice(1)).toEqual(["≈96 ± 3", "≈37.5 ± 1.2", "≈41.25 ± 0.5"]);
    expect(note).toBe("Оценка по 200000 случайным вариантам, после ± стандартная ошибка");
  });

  it("puts a refusal or the missing marks in the note", () => {
    expect(costTableRows(table({ refusal: "нет вероятностей", rows: [] })).note).toBe("нет вероятностей");
    expect(costTableRows(table({ markedVariants: 0, rows: [] })).note).toBe("Отметьте исходы во всех событиях");
  });
});

describe("conditions shortcuts", () => {
  it("opens the conditions by Ctrl+U and filters by Ctrl+F, on any layout", () => {
    expect(commandOfKey({ key: "u", code: "KeyU", ctrlKey: true, shiftKey: false })).toBe("show_conditions");
    expect(commandOfKey({ key: "а", code: "KeyF", ctrlKey: true, shiftKey: false })).toBe("filter_by_conditions");
  });
});

describe("conditions builder", () => {
  it("writes a count with its group, the other kinds without, and * for an empty upper bound", () => {
    expect(conditionLine("count", "0", "2", "away")).toBe("count 0 2 away");
    expect(conditionLine("value", "1.5", "", "away")).toBe("value 1.5 *");
    expect(conditionLine("probability", " ", "0.5", "home")).toBe("probability 0 0.5");
  });

  it("appends a line whether or not the text ends its last line", () => {
    expect(appendCondition("", "count 0 2 away")).toBe("count 0 2 away\n");
    expect(appendCondition("errors 1", "value 1 *")).toBe("errors 1\nvalue 1 *\n");
    expect(appendCondition("errors 1\n", "value 1 *")).toBe("errors 1\nvalue 1 *\n");
  });

  it("keeps one errors line: replaced where it stood, put first when absent", () => {
    expect(withAllowedErrors("count 0 2 away\n", 2)).toBe("errors 2\ncount 0 2 away\n");
    expect(withAllowedErrors("# mine\nerrors 1\ncount 0 2 away\nerrors 3\n", 0)).toBe("# mine\nerrors 0\ncount 0 2 away\n");
    expect(withAllowedErrors("count 1 8 draws\n# errors are comments here", 1)).toBe("errors 1\ncount 1 8 draws\n# errors are comments here");
  });
});

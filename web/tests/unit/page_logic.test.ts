// The page's own arithmetic: long presses, the results text and rows, the chart's scale, the caption time.
import { describe, expect, it } from "vitest";
import { captionTime } from "../../src/caption_time";
import { chartMarkup, chartMaximum, pixelsPerPercent, pointY, plotBottom, plotTop } from "../../src/chart";
import { LongPress, longPressMilliseconds } from "../../src/long_press";
import type { EventView } from "../../src/protocol";
import { hitRows, resultsText } from "../../src/results";
import { labelText } from "../../src/texts";
import { sheetData } from "../../src/files";
import { validState } from "../../src/storage";

describe("long press", () => {
  it("is a click with the key held only from the threshold on", () => {
    let now = 1000;
    const press = new LongPress({ now: () => now });
    press.press();
    now += longPressMilliseconds - 1;
    expect(press.release()).toBe(false);
    press.press();
    now += longPressMilliseconds;
    expect(press.release()).toBe(true);
    expect(press.release()).toBeNull();
    press.press();
    press.cancel();
    expect(press.release()).toBeNull();
  });
});

describe("results check", () => {
  it("needs all 8 results", () => {
    expect(resultsText(["1:0", "0:0", "2:1", "ЛД", "0:1", "1:2", "3:0", "2:2"])).toBe("1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2");
    expect(resultsText(["1:0", "", "2:1", "ЛД", "0:1", "1:2", "3:0", "2:2"])).toBeNull();
    expect(resultsText(["1:0"])).toBeNull();
  });

  it("lists 8 hits down to 0 and the total, with the chances where they were computed", () => {
    const rows = hitRows({ error: "", byHits: [0, 0, 0, 0, 0, 1, 2, 3, 4], shares: [0, 0, 0, 0, 0, 0.1, 0.2, 0.3, 0.4],
      atLeast: [1, 1, 1, 1, 1, 0.9, 0.5, 0.25, 0.125] });
    expect(rows.map((row) => row.label)).toEqual(["8", "7", "6", "5", "4", "3", "2", "1", "0", "Всего"]);
    expect(rows[0]).toEqual({ label: "8", bets: "4", share: "40.00", chance: "12.50" });
    expect(rows[9].bets).toBe("10");
    expect(hitRows({ error: "", byHits: Array(9).fill(0), shares: Array(9).fill(0) })[0].chance).toBe("—");
  });
});

function event(settings: number[], quotes: number[] = settings): EventView {
  return { name: "Зенит - Спартак", shortName: "Зенит", startWith: 0,
    cells: settings.map((setting, i) => ({ text: "", mark: 0, yellow: 0, setting, quote: quotes[i], pool: 0, settingMark: String(setting / 10000) })) };
}

describe("probability chart", () => {
  it("scales to the largest value in tens of percent, at least 10 and at most 100", () => {
    expect(chartMaximum(event(Array(17).fill(58824)))).toBe(10);
    expect(chartMaximum(event([...Array(16).fill(10000), 345000]))).toBe(40);
    expect(chartMaximum(event([...Array(16).fill(0), 999000]))).toBe(100);
  });

  it("puts 0 at the bottom and the maximum at the top, and drags in whole pixels per percent", () => {
    expect(pointY(0, 10)).toBe(plotBottom);
    expect(pointY(100000, 10)).toBe(plotTop);
    expect(pixelsPerPercent(10, 1)).toBe(Math.round((plotBottom - plotTop) / 10));
    expect(pixelsPerPercent(100, 0.1)).toBe(1);
  });

  it("draws 17 draggable points with their value marks", () => {
    const svg = chartMarkup(event(Array(17).fill(58824)), Array.from({ length: 17 }, (_, i) => `L${i}`),
      { quotes: "Котировки", setting: "Установка", axis: "Вероятность, %" });
    expect(svg.match(/class="setting_point"/g)).toHaveLength(17);
    expect(svg).toContain('data-column="17"');
    expect(svg).toContain("Установка");
  });
});

describe("texts and cells", () => {
  it("breaks captions on LF as the window's labels do", () => {
    expect(labelText("Добавить \r\nв список")).toBe("Добавить \nв список");
  });

  it("shows the date and the time unless it is midnight", () => {
    expect(captionTime(new Date(2026, 11, 9, 14, 5, 7))).toBe("09.12.2026 14:05:07");
    expect(captionTime(new Date(2026, 0, 1))).toBe("01.01.2026");
  });

  it("keeps texts as texts and amounts as numbers in the workbook", () => {
    expect(sheetData([["(1:0,2:0)", 50, null]])).toEqual([[{ type: String, value: "(1:0,2:0)" }, { type: Number, value: 50 }, null]]);
  });

  it("takes back only a whole working state", () => {
    const panel = { method: 0, guarantee: 7, repeatCount: 1000, yellowMin: 1, yellowMax: 1, startWith: false, stake: "3.1" };
    expect(validState({ marks: new Uint8Array(144), memo: "", panel })).toBe(true);
    expect(validState({ marks: new Uint8Array(10), memo: "", panel })).toBe(false);
    expect(validState({ marks: new Uint8Array(144), memo: 5, panel })).toBe(false);
    expect(validState(null)).toBe(false);
  });
});

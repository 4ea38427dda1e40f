// The probability editor's chart: the set curve of one event, whose points are dragged up and down.
import type { EventView } from "./protocol";

export const chartWidth = 520;
export const chartHeight = 240;
export const plotTop = 16;
export const plotBottom = 212;
export const plotLeft = 40;
export const plotRight = 510;

// The scale from the curve's largest value, so that small probabilities stay visible; at least 10 %.
export function chartMaximum(event: EventView): number {
  let largest = 0;
  for (const cell of event.cells) largest = Math.max(largest, cell.setting, cell.quote);
  const percent = Math.max(10, Math.ceil(largest / 10000 / 10) * 10);
  return Math.min(percent, 100);
}

export function pointX(column: number): number {
  return plotLeft + ((column - 1) * (plotRight - plotLeft)) / 16;
}

export function pointY(tenThousandths: number, maximum: number): number {
  return plotBottom - (tenThousandths / 10000 / maximum) * (plotBottom - plotTop);
}

// Whole screen pixels per percentage point, the unit the core's drag step takes.
export function pixelsPerPercent(maximum: number, scale: number): number {
  return Math.max(1, Math.round(((plotBottom - plotTop) * scale) / maximum));
}

function polyline(points: [number, number][], colour: string): string {
  return `<polyline fill="none" stroke="${colour}" stroke-width="2" points="${points.map(([x, y]) => `${x},${y}`).join(" ")}"/>`;
}

export function chartMarkup(event: EventView, labels: string[], texts: { quotes: string; setting: string; axis: string }): string {
  const maximum = chartMaximum(event);
  const quotes = event.cells.map((cell, i) => [pointX(i + 1), pointY(cell.quote, maximum)] as [number, number]);
  const settings = event.cells.map((cell, i) => [pointX(i + 1), pointY(cell.setting, maximum)] as [number, number]);
  let svg = `<svg id="chart_view" viewBox="0 0 ${chartWidth} ${chartHeight}" role="img" aria-label="${texts.axis}">`;
  for (let step = 0; step <= 4; ++step) {
    const value = (maximum * step) / 4;
    const y = pointY(value * 10000, maximum);
    svg += `<line x1="${plotLeft}" x2="${plotRight}" y1="${y}" y2="${y}" stroke="#ddd"/>`;
    svg += `<text x="${plotLeft - 4}" y="${y + 4}" text-anchor="end" font-size="10">${value}</text>`;
  }
  svg += polyline(quotes, "#3a6ea5") + polyline(settings, "#d04020");
  settings.forEach(([x, y], i) => {
    svg += `<text x="${x}" y="${chartHeight - 12}" text-anchor="middle" font-size="9">${labels[i]}</text>`;
    svg += `<text x="${x}" y="${y - 8}" text-anchor="middle" font-size="9">${event.cells[i].settingMark}</text>`;
    svg += `<circle class="setting_point" data-column="${i + 1}" cx="${x}" cy="${y}" r="7" fill="#d04020"/>`;
  });
  svg += `<text x="${plotRight}" y="12" text-anchor="end" font-size="10"><tspan fill="#3a6ea5">${texts.quotes}</tspan> <tspan fill="#d04020">${texts.setting}</tspan></text>`;
  return svg + "</svg>";
}

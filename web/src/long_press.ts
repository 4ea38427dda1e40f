// A yellow mark on a phone: a press held this long on a cell counts as a click with the key held.
export const longPressMilliseconds = 500;

export interface PressTimer {
  now(): number;
}

// Tracks one pointer press; `release` says whether it was long enough to be the "held key" click.
export class LongPress {
  private startedAt: number | null = null;

  constructor(private readonly clock: PressTimer = { now: () => Date.now() }) {}

  press(): void {
    this.startedAt = this.clock.now();
  }

  cancel(): void {
    this.startedAt = null;
  }

  // null when there was no press (it moved away or was cancelled).
  release(): boolean | null {
    if (this.startedAt === null) return null;
    const held = this.clock.now() - this.startedAt >= longPressMilliseconds;
    this.startedAt = null;
    return held;
  }
}

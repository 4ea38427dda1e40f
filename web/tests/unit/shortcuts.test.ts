// The menu's keys mean the desktop's commands, on any keyboard layout.
import { describe, expect, it } from "vitest";
import { commandOfKey, memoKeepsKey } from "../../src/shortcuts";

const press = (key: string, code: string, ctrl = true, shift = false) => ({ key, code, ctrlKey: ctrl, shiftKey: shift });

describe("menu shortcuts", () => {
  it("maps Ctrl+letters to the list commands and files", () => {
    expect(commandOfKey(press("c", "KeyC"))).toBe("copy_for_transfer");
    expect(commandOfKey(press("d", "KeyD"))).toBe("add_coupon");
    expect(commandOfKey(press("o", "KeyO"))).toBe("split_into_singles");
    expect(commandOfKey(press("w", "KeyW"))).toBe("remove_repeats");
    expect(commandOfKey(press("y", "KeyY"))).toBe("remove_variants");
    expect(commandOfKey(press("x", "KeyX"))).toBe("clear_list");
    expect(commandOfKey(press("e", "KeyE"))).toBe("export_by_columns");
    expect(commandOfKey(press("s", "KeyS"))).toBe("export_by_rows");
    expect(commandOfKey(press("t", "KeyT"))).toBe("save_text");
    expect(commandOfKey(press("F5", "F5", false))).toBe("refresh_line");
  });

  it("tells undo from redo by Shift, and reads the key under a Russian layout", () => {
    expect(commandOfKey(press("я", "KeyZ"))).toBe("undo");
    expect(commandOfKey(press("Я", "KeyZ", true, true))).toBe("redo");
    expect(commandOfKey(press("с", "KeyC"))).toBe("copy_for_transfer");
  });

  it("ignores plain letters, Alt and keys no command has", () => {
    expect(commandOfKey(press("c", "KeyC", false))).toBeNull();
    expect(commandOfKey({ ...press("c", "KeyC"), altKey: true })).toBeNull();
    expect(commandOfKey(press("q", "KeyQ"))).toBeNull();
    expect(commandOfKey(press("c", "KeyC", true, true))).toBeNull();
  });

  it("leaves Ctrl+C to the memo while text is selected in it", () => {
    expect(memoKeepsKey("copy_for_transfer", true)).toBe(true);
    expect(memoKeepsKey("copy_for_transfer", false)).toBe(false);
    expect(memoKeepsKey("clear_list", true)).toBe(false);
  });
});

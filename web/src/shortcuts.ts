// The menu's keys: which command a key press means, as the desktop menu binds them.
import { actionsMenu, fileMenu, packageMenu, type MenuCommand } from "./texts";

export interface KeyPress {
  key: string;
  code?: string;
  ctrlKey: boolean;
  metaKey?: boolean;
  shiftKey: boolean;
  altKey?: boolean;
}

// "Ctrl+Shift+Z" as the parts a key press must have.
function matches(keys: string, press: KeyPress): boolean {
  const parts = keys.split("+");
  const main = parts[parts.length - 1];
  const ctrl = parts.includes("Ctrl");
  const shift = parts.includes("Shift");
  if (ctrl !== (press.ctrlKey || press.metaKey === true) || shift !== press.shiftKey || press.altKey) return false;
  if (main.length === 1) {
    // The letter's key, whatever the keyboard layout types on it (a Russian layout gives "я" on Z).
    if (press.code) return press.code === `Key${main}`;
    return press.key.toUpperCase() === main;
  }
  return press.key === main;
}

const menuCommands: MenuCommand[] = [...fileMenu.commands, ...actionsMenu.commands, ...packageMenu.commands];

export function commandOfKey(press: KeyPress): string | null {
  for (const command of menuCommands) if (command.keys && matches(command.keys, press)) return command.id;
  return null;
}

// Keys the memo keeps for itself while it has the focus: copying a selection is the memo's own.
export function memoKeepsKey(command: string, hasSelection: boolean): boolean {
  return command === "copy_for_transfer" && hasSelection;
}

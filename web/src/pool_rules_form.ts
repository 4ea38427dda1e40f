// The rules dialog's fields and the rules' text form the core reads ("tickets=…;payout=…;tiers=…;jackpot=…").

export interface PoolRulesFields {
  tickets: string;
  payout: string;
  tiers: string;
  jackpot: string;
}

// The fields of a rules text; a key that is absent gives an empty field.
export function rulesFields(text: string): PoolRulesFields {
  const part = (key: string) => {
    for (const piece of text.split(";")) if (piece.startsWith(key + "=")) return piece.slice(key.length + 1);
    return "";
  };
  return { tickets: part("tickets"), payout: part("payout"), tiers: part("tiers"), jackpot: part("jackpot") };
}

// The text of the fields, or null when a field holds a separator and so could smuggle in another key.
export function rulesText(fields: PoolRulesFields): string | null {
  const values = [fields.tickets, fields.payout, fields.tiers, fields.jackpot].map((value) => value.trim());
  if (values.some((value) => value.includes(";") || value.includes("="))) return null;
  const [tickets, payout, tiers, jackpot] = values;
  return `tickets=${tickets};payout=${payout};tiers=${tiers};jackpot=${jackpot === "" ? "0" : jackpot}`;
}

// The core's worker: owns the session, so long formations never freeze the page.
/// <reference lib="webworker" />
import createMorvalenCore from "@core";
import type { Answer, PanelSettings, Request } from "./protocol";
import { briefContentLimit, inflateGzip } from "./gzip";

declare const self: DedicatedWorkerGlobalScope;

let core: any = null;
let session: any = null;
let stopFlag: Int32Array | null = null;
let withCoverage = false;
let startWithTicked = false;

const ready = createMorvalenCore().then((module: any) => {
  core = module;
});

function caption(text: string): void {
  self.postMessage({ caption: text });
}

function stopAsked(): boolean {
  return stopFlag !== null && Atomics.exchange(stopFlag, 0, 0) !== 0;
}

function applyPanel(panel: PanelSettings): string {
  startWithTicked = panel.startWith;
  return session.applySettings(panel);
}

async function fetchBytes(address: string): Promise<{ bytes: Uint8Array; contentType: string }> {
  const response = await fetch(address, { cache: "no-store" });
  if (!response.ok) throw new Error(`ответ не получен (${response.status})`);
  return { bytes: new Uint8Array(await response.arrayBuffer()), contentType: response.headers.get("content-type") ?? "" };
}

async function formBriefSystem(answer: Answer): Promise<void> {
  const signature: string = session.prepareBriefSystem();
  const { bytes } = await fetchBytes(core.systemAddress(signature));
  // A body of fewer than 2 bytes: the service has no system for the signature.
  if (bytes.length < 2) {
    answer.result = { noSystem: true, signature };
    return;
  }
  const content = await inflateGzip(bytes, briefContentLimit);
  const outcome = session.expandBriefContent(content, caption);
  if (outcome.error) answer.error = outcome.error;
}

// A list page that cannot be fetched is read as the empty list it brings, as the desktop reads it.
async function nearestSystems(): Promise<unknown> {
  const address: string = session.nearestSystemsAddress();
  const page = await fetchBytes(address).catch(() => ({ bytes: new Uint8Array(), contentType: "" }));
  return session.readSystemList(page.bytes, page.contentType);
}

async function handle(request: Request, answer: Answer): Promise<void> {
  switch (request.op) {
    case "start":
      session = new core.PageSession(0);
      session.seed(request.seed);
      stopFlag = request.stopFlag ? new Int32Array(request.stopFlag) : null;
      answer.result = core.outcomeLabels();
      break;
    case "loadLine": {
      try {
        const { bytes, contentType } = await fetchBytes(core.lineAddress());
        const error: string = session.readLine(bytes, contentType);
        if (error) answer.error = error;
      } catch {
        answer.lineMissing = true;
      }
      break;
    }
    case "selectCell":
      answer.result = session.selectCell(request.column, request.row, request.keyHeld);
      withCoverage = false;
      break;
    case "settings":
      answer.error = applyPanel(request.panel) || undefined;
      break;
    case "form": {
      const refused = applyPanel(request.panel);
      if (refused) {
        answer.error = refused;
        break;
      }
      if (stopFlag) Atomics.store(stopFlag, 0, 0);
      // A seed in the page's address makes every formation repeatable, as the batch tool's --seed.
      if (request.seed !== null) session.seed(request.seed);
      withCoverage = false;
      if (request.panel.method === 0) {
        await formBriefSystem(answer);
      } else {
        const outcome = session.form(request.panel.method, request.startIndex, caption, stopAsked);
        if (outcome.error) answer.error = outcome.error;
        withCoverage = outcome.showCoverage;
      }
      answer.showCoverage = withCoverage;
      break;
    }
    case "listCommand":
      answer.error = session.listCommand(request.name) || undefined;
      withCoverage = false;
      break;
    case "memoEdited":
      session.memoEdited(request.text);
      withCoverage = false;
      break;
    case "undo":
      answer.result = session.undo();
      withCoverage = false;
      break;
    case "redo":
      answer.result = session.redo();
      withCoverage = false;
      break;
    case "checkResults":
      answer.result = session.checkResults(request.text);
      break;
    case "distribution":
      answer.result = session.distribution();
      break;
    case "textFile":
      answer.result = session.textFile();
      break;
    case "spreadsheet":
      answer.result = session.spreadsheet(request.byRows);
      break;
    case "quotesFile":
      answer.result = session.quotesFile(request.caption);
      break;
    case "readQuotesFile": {
      const loaded = session.readQuotesFile(request.bytes);
      if (loaded.error) answer.error = loaded.error;
      answer.result = loaded.caption;
      break;
    }
    case "dragPoint":
      answer.result = session.dragPoint(request.event, request.column, request.lastY, request.y, request.pixelsPerPercent);
      break;
    case "preset":
      session.applyPreset(request.event, request.preset);
      break;
    case "restore":
      session.restore(request.marks, request.memo);
      break;
    case "marks":
      answer.result = session.marks();
      break;
    case "poolRules":
      if (request.text === null) session.clearPoolRules();
      else answer.error = session.setPoolRules(request.text) || undefined;
      break;
    case "conditions":
      // The window shows the reading error beside the text; no message box for every key typed.
      answer.result = session.setConditions(request.text);
      withCoverage = false;
      break;
    case "conditionsEnabled":
      session.setConditionsEnabled(request.on);
      withCoverage = false;
      break;
    case "conditionCosts":
      answer.result = session.conditionCosts();
      break;
    case "nearestSystems":
      answer.result = await nearestSystems();
      break;
  }
}

// One request at a time, in order: the session is not re-entered while a formation runs.
let queue: Promise<void> = ready;
self.onmessage = (message: MessageEvent<{ id: number; request: Request }>) => {
  const { id, request } = message.data;
  queue = queue.then(async () => {
    const answer: Answer = { id };
    try {
      await handle(request, answer);
    } catch (error) {
      answer.error = error instanceof Error ? error.message : String(error);
    }
    if (session) answer.view = session.view(withCoverage, startWithTicked);
    self.postMessage(answer);
  });
};

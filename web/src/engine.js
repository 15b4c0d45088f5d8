// The engine in its Web Worker, spoken to in UCI: lines out, lines in.

export class Engine {
  // `onLine` hears every line the engine prints; `onFailure` an error that
  // ended the worker.
  constructor(workerUrl, onLine, onFailure) {
    this.waiting = [];
    this.onLine = onLine;
    this.worker = new Worker(workerUrl);
    this.worker.onmessage = (event) => this.receive(String(event.data));
    this.worker.onerror = (event) => onFailure(event.message || 'the engine stopped');
  }

  send(line) {
    this.worker.postMessage(line);
  }

  // The next line that starts with `prefix`.
  nextLine(prefix) {
    return new Promise((resolve) => this.waiting.push({ prefix, resolve }));
  }

  receive(line) {
    const index = this.waiting.findIndex((w) => line.startsWith(w.prefix));
    if (index >= 0) this.waiting.splice(index, 1)[0].resolve(line);
    this.onLine(line);
  }
}

// The words of an "info" line: depth, score (from the side to move's view),
// and the principal variation in coordinate notation.
export function readInfo(line) {
  const words = line.split(/\s+/);
  const info = { depth: 0, score: null, mate: null, nodes: 0, nps: 0, pv: [] };
  for (let i = 1; i < words.length; ++i) {
    const word = words[i];
    if (word === 'depth') info.depth = Number(words[++i]);
    else if (word === 'nodes') info.nodes = Number(words[++i]);
    else if (word === 'nps') info.nps = Number(words[++i]);
    else if (word === 'score') {
      const kind = words[++i];
      const value = Number(words[++i]);
      if (kind === 'mate') info.mate = value;
      else info.score = value;
    } else if (word === 'pv') {
      info.pv = words.slice(i + 1).filter((w) => w !== '');
      break;
    } else if (word === 'string') {
      return null;  // a message, not thinking
    }
  }
  return info;
}

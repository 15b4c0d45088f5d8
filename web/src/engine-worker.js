// The engine's Web Worker: Tavrin in WebAssembly (tavrin.js, tavrin.wasm),
// one UCI line in per message, one line out per message. Each line is
// carried out to its end before the next message is read, so the page asks
// for searches with "go movetime" or "go depth", never for one that "stop"
// must end.
importScripts('tavrin.js');

let engine = null;
let ended = false;
const early = [];  // lines that came before the engine was ready

function carryOut(line) {
  if (ended) return;
  if (engine.ccall('tavrin_line', 'number', ['string'], [line]) === 0) {
    ended = true;  // "quit": the session is over
    close();
  }
}

onmessage = (event) => {
  const line = String(event.data);
  if (engine) carryOut(line);
  else early.push(line);
};

// The opening book is a file beside the page; the engine plays without it
// when it cannot be had.
const book = fetch('book.book')
  .then((response) => (response.ok ? response.arrayBuffer() : null))
  .catch(() => null);

Promise.all([createTavrin({ print: (line) => postMessage(line), printErr: (line) => postMessage(`info string ${line}`) }), book])
  .then(([module, bytes]) => {
    if (bytes) module.FS.writeFile('/book.book', new Uint8Array(bytes));
    module.ccall('tavrin_start', null, [], []);
    engine = module;
    for (const line of early.splice(0)) carryOut(line);
  });

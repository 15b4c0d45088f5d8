// Tavrin against itself through node-uci, refereed by chess.js, to the end of the game.
const { Engine } = require('node-uci');
const { Chess } = require('chess.js');

async function main() {
  const path = process.argv[2];
  const white = new Engine(path), black = new Engine(path);
  for (const e of [white, black]) { await e.init(); await e.isready(); await e.ucinewgame(); await e.isready(); }
  const chess = new Chess();
  const moves = [];
  const clock = { w: 10000, b: 10000 };
  while (!chess.game_over() && moves.length < 600) {
    const side = chess.turn();
    const engine = side === 'w' ? white : black;
    await engine.position('startpos', moves);
    const start = Date.now();
    const result = await engine.go({ wtime: clock.w, btime: clock.b, winc: 100, binc: 100 });
    clock[side] += 100 - (Date.now() - start);
    if (clock[side] <= 0) throw new Error(`${side} lost on time after ${moves.length} plies`);
    const m = result.bestmove;
    const move = chess.move({ from: m.slice(0, 2), to: m.slice(2, 4), promotion: m[4] });
    if (!move) throw new Error(`illegal move ${m} after ${moves.join(' ')}`);
    moves.push(m);
  }
  for (const e of [white, black]) await e.quit();
  const why = chess.in_checkmate() ? 'checkmate' : chess.in_stalemate() ? 'stalemate' :
    chess.in_threefold_repetition() ? 'threefold repetition' : chess.insufficient_material() ? 'insufficient material' :
    chess.in_draw() ? 'fifty-move rule' : 'ply limit';
  console.log(`${moves.length} plies, ended by ${why}; clocks ${clock.w} ${clock.b} ms`);
}
main().catch(e => { console.error(e.message); process.exit(1); });

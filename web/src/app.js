// The board page: a game against Tavrin, whose moves come from the engine in
// its worker and whose rules, notation and result come from chess.js.
import { Chess, DEFAULT_POSITION } from 'chess.js';
import { Chessboard, COLOR, INPUT_EVENT_TYPE, BORDER_TYPE } from 'cm-chessboard/src/Chessboard.js';
import { Markers, MARKER_TYPE } from 'cm-chessboard/src/extensions/markers/Markers.js';
import { Engine, readInfo } from './engine.js';

const HASH_MB = 16;  // small: the page's memory grows only as far as it must
const PV_PLIES_SHOWN = 12;
const LAST_MOVE = { class: 'marker-last-move', slice: 'markerSquare' };

const $ = (id) => document.getElementById(id);
const ui = {
  status: $('status'), engineState: $('engine-state'), loadTime: $('load-time'),
  side: $('side'), search: $('search'), level: $('level'), levelNote: $('level-note'),
  movetime: $('movetime'), book: $('book'), thinking: $('thinking'), movelist: $('movelist'),
  pgn: $('pgn'), copyPgn: $('copy-pgn'), downloadPgn: $('download-pgn'),
  newGame: $('new-game'), takeback: $('takeback'), flip: $('flip'),
  setup: $('setup'), fen: $('fen'), promotion: $('promotion'), board: $('board'),
};

// ---------------------------------------------------------------------------
// The game: chess.js holds it from its start position.

const game = {
  chess: new Chess(),
  player: 'w',           // the side the person plays
  ready: false,          // the engine has answered "readyok"
  search: null,          // the search that will move in the game as it stands
  sent: [],              // every search sent, oldest first: each ends in one bestmove
  message: '',           // a word for the status line, until the next change
  promotion: null,       // {from, to} while the piece is being chosen
};

function uciOf(move) {
  return move.from + move.to + (move.promotion || '');
}

function moveOfUci(text) {
  return { from: text.slice(0, 2), to: text.slice(2, 4), promotion: text[4] };
}

// The result by the rules, or null while the game goes on.
function result(chess) {
  const loser = chess.turn() === 'w' ? 'White' : 'Black';
  if (chess.isCheckmate()) {
    const score = loser === 'White' ? '0-1' : '1-0';
    return { score, text: `Checkmate: ${loser === 'White' ? 'Black' : 'White'} wins, ${score}` };
  }
  if (chess.isStalemate()) return { score: '1/2-1/2', text: 'Draw by stalemate, ½-½' };
  if (chess.isInsufficientMaterial()) return { score: '1/2-1/2', text: 'Draw by insufficient material, ½-½' };
  if (chess.isThreefoldRepetition()) return { score: '1/2-1/2', text: 'Draw by threefold repetition, ½-½' };
  if (chess.isDrawByFiftyMoves()) return { score: '1/2-1/2', text: 'Draw by the fifty-move rule, ½-½' };
  return null;
}

function enginesTurn() {
  return game.ready && !result(game.chess) && game.chess.turn() !== game.player;
}

function playersTurn() {
  return game.ready && !result(game.chess) && game.chess.turn() === game.player && !game.promotion;
}

// ---------------------------------------------------------------------------
// The engine.

function onEngineLine(line) {
  if (line.startsWith('bestmove')) {
    const search = game.sent.shift();
    if (search && search === game.search) {
      game.search = null;
      if (!search.thought) ui.thinking.textContent = 'A move from the opening book.';
      playEngineMove(line.split(/\s+/)[1]);
    }
  } else if (line.startsWith('info string unknown option UCI_')) {
    ui.levelNote.hidden = ui.level.value === 'full';
    ui.levelNote.textContent = 'This build of Tavrin has no strength levels yet: it plays at full strength.';
  } else if (line.startsWith('info ') && game.search && game.sent[0] === game.search) {
    showThinking(game.search, readInfo(line));
  }
}

function onEngineFailure(message) {
  game.ready = false;
  ui.engineState.textContent = 'the engine stopped';
  ui.status.dataset.state = 'failed';
  ui.status.textContent = `The engine stopped: ${message}. Reload the page to start again.`;
  console.error(`Tavrin's worker failed: ${message}`);
}

const engine = new Engine('engine-worker.js', onEngineLine, onEngineFailure);

// The engine's turn: the game so far, then a search with the chosen time.
function startEngineSearch() {
  if (!enginesTurn() || game.search) return;
  const chess = game.chess;
  const start = chess.getHeaders().FEN || DEFAULT_POSITION;
  const moves = chess.history({ verbose: true }).map(uciOf);
  const from = start === DEFAULT_POSITION ? 'startpos' : `fen ${start}`;
  engine.send(`position ${from}${moves.length ? ` moves ${moves.join(' ')}` : ''}`);
  engine.send(`go movetime ${Number(ui.movetime.value)}`);
  game.search = { fen: chess.fen(), thought: false };
  game.sent.push(game.search);
  ui.thinking.textContent = '…';
  render();
}

function playEngineMove(text) {
  let move = null;
  try {
    move = game.chess.move(moveOfUci(text));
  } catch {
    move = null;
  }
  if (!move) {
    game.message = `Tavrin answered ${text}, which is no legal move here.`;
    console.error(`Tavrin's move ${text} is not legal in ${game.chess.fen()}`);
  }
  render(true);
}

// Any change of the game leaves a running search behind: its move is dropped.
function forgetSearch() {
  game.search = null;
  ui.thinking.textContent = '—';
}

// Sends the settings on the page, as they stand, to the engine.
function sendSettings(which = ['search', 'level', 'book']) {
  if (which.includes('search')) engine.send(`setoption name Search value ${ui.search.value}`);
  if (which.includes('book')) engine.send(`setoption name OwnBook value ${ui.book.checked}`);
  if (which.includes('level')) {
    if (ui.level.value === 'full') {
      engine.send('setoption name UCI_LimitStrength value false');
      ui.levelNote.hidden = true;
    } else {
      engine.send('setoption name UCI_LimitStrength value true');
      engine.send(`setoption name UCI_Elo value ${ui.level.value}`);
    }
  }
}

async function startEngine() {
  const started = performance.now();
  const uciok = engine.nextLine('uciok');
  engine.send('uci');
  await uciok;
  engine.send(`setoption name Hash value ${HASH_MB}`);
  sendSettings(ui.level.value === 'full' ? ['search', 'book'] : undefined);
  const readyok = engine.nextLine('readyok');
  engine.send('isready');
  await readyok;
  const loadMs = Math.round(performance.now());
  document.body.dataset.engineReadyMs = String(loadMs);
  ui.loadTime.textContent = `Engine ready ${loadMs} ms after the page opened (${Math.round(performance.now() - started)} ms to start it).`;
  ui.engineState.textContent = 'engine ready';
  game.ready = true;
  render();
  startEngineSearch();
}

// ---------------------------------------------------------------------------
// The board.

const board = new Chessboard($('board'), {
  position: game.chess.fen(),
  assetsUrl: './assets/',
  style: { borderType: BORDER_TYPE.frame, animationDuration: 150 },
  extensions: [{ class: Markers, props: { autoMarkers: MARKER_TYPE.frame } }],
});

function legalMovesFrom(square) {
  return game.chess.moves({ square, verbose: true });
}

function onMoveInput(event) {
  switch (event.type) {
    case INPUT_EVENT_TYPE.moveInputStarted: {
      if (!playersTurn()) return false;
      const moves = legalMovesFrom(event.squareFrom);
      board.addLegalMovesMarkers(moves);
      return moves.length > 0;
    }
    case INPUT_EVENT_TYPE.validateMoveInput: {
      board.removeLegalMovesMarkers();
      const moves = legalMovesFrom(event.squareFrom).filter((m) => m.to === event.squareTo);
      if (moves.length === 0) return false;
      if (moves[0].promotion) {
        askPromotion(event.squareFrom, event.squareTo);
        return true;
      }
      game.chess.move(moves[0]);
      game.message = '';
      forgetSearch();
      // The board moves the piece itself; castling and en passant then need the whole position.
      event.chessboard.state.moveInputProcess.then(() => render(true));
      return true;
    }
    case INPUT_EVENT_TYPE.moveInputCanceled:
      board.removeLegalMovesMarkers();
      return undefined;
    default:
      return undefined;
  }
}

function askPromotion(from, to) {
  game.promotion = { from, to };
  renderStatus(null);
  ui.takeback.disabled = true;
  ui.promotion.hidden = false;
  ui.promotion.querySelector('[data-piece="q"]').focus();
}

function choosePromotion(piece) {
  const pending = game.promotion;
  game.promotion = null;
  ui.promotion.hidden = true;
  if (pending && piece) {
    game.chess.move({ from: pending.from, to: pending.to, promotion: piece });
    game.message = '';
    forgetSearch();
  }
  render(true);
}

for (const button of ui.promotion.querySelectorAll('button')) {
  button.addEventListener('click', () => choosePromotion(button.dataset.piece));
}

// ---------------------------------------------------------------------------
// What the page shows.

function formatScore(search, info) {
  // The engine speaks for the side to move; the page for White.
  const sign = search.fen.split(' ')[1] === 'w' ? 1 : -1;
  if (info.mate !== null) return `#${sign * info.mate}`;
  if (info.score === null) return '';
  const pawns = (sign * info.score) / 100;
  return `${pawns > 0 ? '+' : ''}${pawns.toFixed(2)}`;
}

// A line of coordinate moves from the position of `fen`, in numbered SAN.
function sanLine(fen, moves) {
  const chess = new Chess(fen);
  const words = [];
  for (const text of moves) {
    let move = null;
    try {
      move = chess.move(moveOfUci(text));
    } catch {
      break;
    }
    const number = chess.moveNumber();
    if (move.color === 'w') words.push(`${number}. ${move.san}`);
    else words.push(words.length === 0 ? `${number - 1}… ${move.san}` : move.san);
  }
  return words.join(' ');
}

function showThinking(search, info) {
  if (!info || info.depth === 0) return;
  search.thought = true;
  const speed = info.nps >= 1000 ? ` · ${Math.round(info.nps / 1000)} kN/s` : '';
  const line = sanLine(search.fen, info.pv.slice(0, PV_PLIES_SHOWN));
  ui.thinking.textContent = `depth ${info.depth} · ${formatScore(search, info)}${speed}\n${line}`;
}

function renderMoveList() {
  const history = game.chess.history({ verbose: true });
  const start = new Chess(game.chess.getHeaders().FEN || DEFAULT_POSITION);
  let number = start.moveNumber();
  const items = [];
  let item = null;
  history.forEach((move, ply) => {
    if (move.color === 'w' || item === null) {
      item = document.createElement('li');
      item.value = number;
      if (move.color === 'b') item.append(Object.assign(document.createElement('span'), { className: 'move empty', textContent: '…' }));
      items.push(item);
    }
    const span = document.createElement('span');
    span.className = 'move';
    span.dataset.ply = String(ply + 1);
    span.textContent = move.san;
    item.append(span);
    if (move.color === 'b') {
      item = null;
      ++number;
    }
  });
  ui.movelist.replaceChildren(...items);
  ui.movelist.scrollTop = ui.movelist.scrollHeight;
}

function renderPgn(over) {
  const chess = game.chess;
  const today = new Date();
  const date = `${today.getFullYear()}.${String(today.getMonth() + 1).padStart(2, '0')}.${String(today.getDate()).padStart(2, '0')}`;
  chess.setHeader('Event', 'Tavrin in the browser');
  chess.setHeader('Date', date);
  chess.setHeader('White', game.player === 'w' ? 'You' : 'Tavrin');
  chess.setHeader('Black', game.player === 'b' ? 'You' : 'Tavrin');
  chess.setHeader('Result', over ? over.score : '*');
  const pgn = chess.pgn();
  ui.pgn.value = pgn;
  ui.downloadPgn.href = `data:application/x-chess-pgn;charset=utf-8,${encodeURIComponent(`${pgn}\n`)}`;
}

function renderStatus(over) {
  let state;
  let text;
  if (!game.ready) {
    state = ui.status.dataset.state === 'failed' ? 'failed' : 'loading';
    text = state === 'failed' ? ui.status.textContent : 'Loading the engine…';
  } else if (over) {
    state = 'over';
    text = over.text;
  } else if (game.promotion) {
    state = 'promotion';
    text = 'Choose the piece to promote to.';
  } else if (game.chess.turn() === game.player) {
    state = 'your-move';
    text = game.chess.inCheck() ? 'Check! Your move.' : 'Your move.';
  } else {
    state = 'thinking';
    text = 'Tavrin is thinking…';
  }
  if (game.message) text = `${game.message} ${text}`;
  ui.status.dataset.state = state;
  ui.status.textContent = text;
}

function renderMarkers() {
  board.removeMarkers(LAST_MOVE);
  const history = game.chess.history({ verbose: true });
  const last = history[history.length - 1];
  if (last) {
    board.addMarker(LAST_MOVE, last.from);
    board.addMarker(LAST_MOVE, last.to);
  }
}

// The board drops clicks while it slides pieces: data-busy says so until the
// last change asked of it is drawn.
let boardChanges = 0;
function settle(drawn) {
  const change = ++boardChanges;
  ui.board.dataset.busy = '';
  const done = () => {
    if (change === boardChanges) delete ui.board.dataset.busy;
  };
  drawn.then(done, done);
}

// Shows the game as it stands, and hands the move to the engine when it is
// the engine's turn.
function render(animated = false) {
  const over = result(game.chess);
  settle(board.setPosition(game.chess.fen(), animated));
  renderMarkers();
  renderMoveList();
  renderPgn(over);
  renderStatus(over);
  const playerMoves = game.chess.history({ verbose: true }).some((m) => m.color === game.player);
  ui.takeback.disabled = !game.ready || !playerMoves || Boolean(game.promotion);
  if (over) ui.thinking.textContent = ui.thinking.textContent === '…' ? '—' : ui.thinking.textContent;
  startEngineSearch();
}

// ---------------------------------------------------------------------------
// The buttons and settings.

function newGame(fen = DEFAULT_POSITION) {
  game.chess = new Chess(fen);
  game.message = '';
  game.promotion = null;
  ui.promotion.hidden = true;
  forgetSearch();
  engine.send('ucinewgame');
  render();
}

ui.newGame.addEventListener('click', () => newGame());

ui.takeback.addEventListener('click', () => {
  const chess = game.chess;
  // Back to the person's move before their last one: one ply while the
  // engine thinks about that move, two once it has answered.
  if (chess.history().length === 0) return;
  chess.undo();
  if (chess.turn() !== game.player && chess.history().length > 0) chess.undo();
  game.message = '';
  forgetSearch();
  render();
});

// Turns the board to the colour that `colourNow` names when its turn comes:
// the board takes one turn at a time.
let turning = Promise.resolve();
function orient(colourNow) {
  turning = turning.then(() => {
    const colour = colourNow();
    if (board.getOrientation() !== colour) return board.setOrientation(colour);
    return undefined;
  });
  settle(turning);
}

const playersColour = () => (game.player === 'w' ? COLOR.white : COLOR.black);

ui.flip.addEventListener('click', () => {
  orient(() => (board.getOrientation() === COLOR.white ? COLOR.black : COLOR.white));
});

ui.side.addEventListener('change', () => {
  game.player = ui.side.value;
  orient(playersColour);
  forgetSearch();
  render();
});

ui.search.addEventListener('change', () => sendSettings(['search']));
ui.level.addEventListener('change', () => sendSettings(['level']));
ui.book.addEventListener('change', () => sendSettings(['book']));

ui.setup.addEventListener('submit', (event) => {
  event.preventDefault();
  const fen = ui.fen.value.trim();
  try {
    new Chess(fen);
  } catch (error) {
    game.message = `That FEN does not set up a position (${error.message.replace(/^Invalid FEN: /, '')}).`;
    render();
    return;
  }
  newGame(fen);
});

ui.copyPgn.addEventListener('click', () => {
  const done = () => { ui.copyPgn.textContent = 'Copied'; setTimeout(() => { ui.copyPgn.textContent = 'Copy PGN'; }, 1500); };
  const byHand = () => { ui.pgn.select(); if (document.execCommand('copy')) done(); };
  if (navigator.clipboard && window.isSecureContext) navigator.clipboard.writeText(ui.pgn.value).then(done, byHand);
  else byHand();
});

board.enableMoveInput(onMoveInput);
game.player = ui.side.value;  // a reloaded page may keep the choice
orient(playersColour);
render();
startEngine();

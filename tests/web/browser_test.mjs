// Plays Tavrin's board page by clicks in Debian's chromium, driven by
// Playwright: 1.e4 and the engine's reply on the board and in the move list,
// a take-back, a flip, a promotion in a set-up position, a new game, a
// stalemate and a whole game to mate with the engine answering every move;
// any error in the browser's console fails it.
// With --native, the engine in the page must also search exactly as the
// native executable does: the same lines at fixed depths, node for node.
//   node browser_test.mjs --site DIR --serve SERVE_MJS [--native TAVRIN]
//                         [--screenshot PNG] [--phone-screenshot PNG]
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { once } from 'node:events';
import { Chess, DEFAULT_POSITION } from 'chess.js';
import { chromium } from 'playwright-core';

const WAIT_MS = 60000;  // generous: the machine may be busy with other work

function option(name) {
  const at = process.argv.indexOf(name);
  return at >= 0 ? process.argv[at + 1] : undefined;
}

const site = option('--site');
const serveScript = option('--serve');
const screenshot = option('--screenshot');
const phoneScreenshot = option('--phone-screenshot');
const native = option('--native');
if (!site || !serveScript) {
  console.error('usage: node browser_test.mjs --site DIR --serve SERVE_MJS [--screenshot PNG] [--phone-screenshot PNG]');
  process.exit(2);
}

function check(condition, what) {
  if (!condition) throw new Error(`failed: ${what}`);
}

function step(text) {
  console.log(`- ${text}`);
}

// The static server on a free port; resolves with its address.
async function startServer() {
  const server = spawn(process.execPath, [serveScript, site], { env: { ...process.env, PORT: '0' }, stdio: ['ignore', 'pipe', 'inherit'] });
  let output = '';
  server.stdout.setEncoding('utf8');
  const address = await new Promise((resolve, reject) => {
    server.stdout.on('data', (chunk) => {
      output += chunk;
      const found = output.match(/http:\/\/\S+\//);
      if (found) resolve(found[0]);
    });
    server.on('exit', (code) => reject(new Error(`the server ended (${code}) before it said where it serves`)));
  });
  return { server, address };
}

const profile = mkdtempSync(join(tmpdir(), 'tavrin-chromium-'));
const { server, address } = await startServer();
const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  viewport: { width: 1280, height: 860 },
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = context.pages()[0] || (await context.newPage());

// Every complaint the browser makes, from the page and from its worker.
const errors = [];
page.on('console', (message) => { if (message.type() === 'error') errors.push(`console: ${message.text()}`); });
page.on('pageerror', (error) => errors.push(`page error: ${error.message}`));
page.on('requestfailed', (request) => errors.push(`request failed: ${request.url()} ${request.failure()?.errorText}`));
page.on('response', (response) => { if (response.status() >= 400) errors.push(`HTTP ${response.status()}: ${response.url()}`); });

// ---------------------------------------------------------------------------
// What the page shows.

const status = () => page.locator('[data-testid=status]');
const testid = (id) => page.locator(`[data-testid=${id}]`);

async function waitForState(...states) {
  const selector = states.map((s) => `[data-testid=status][data-state=${s}]`).join(', ');
  await page.waitForSelector(selector, { timeout: WAIT_MS });
  return status().getAttribute('data-state');
}

async function movesShown() {
  return page.locator('[data-testid=movelist] .move:not(.empty)').allTextContents();
}

async function waitForMoveCount(count) {
  await page.waitForFunction((n) => document.querySelectorAll('[data-testid=movelist] .move:not(.empty)').length >= n,
    count, { timeout: WAIT_MS });
}

// The placement of the pieces drawn on the board, as FEN's first field.
function placementOnBoard() {
  return page.evaluate(() => {
    const board = Array.from({ length: 8 }, () => Array(8).fill(''));
    for (const piece of document.querySelectorAll('[data-testid=board] g[data-piece][data-square]')) {
      if (piece.getAttribute('visibility') === 'hidden') continue;
      const square = piece.dataset.square;
      const [colour, kind] = piece.dataset.piece;
      board[8 - Number(square[1])][square.charCodeAt(0) - 97] = colour === 'w' ? kind.toUpperCase() : kind;
    }
    return board.map((rank) => rank.map((p) => p || '1').join('').replace(/1+/g, (ones) => String(ones.length))).join('/');
  });
}

async function expectBoard(fen, what) {
  const expected = fen.split(' ')[0];
  try {
    await page.waitForFunction((want) => {
      const board = Array.from({ length: 8 }, () => Array(8).fill(''));
      for (const piece of document.querySelectorAll('[data-testid=board] g[data-piece][data-square]')) {
        if (piece.getAttribute('visibility') === 'hidden') continue;
        const square = piece.dataset.square;
        const [colour, kind] = piece.dataset.piece;
        board[8 - Number(square[1])][square.charCodeAt(0) - 97] = colour === 'w' ? kind.toUpperCase() : kind;
      }
      return board.map((rank) => rank.map((p) => p || '1').join('').replace(/1+/g, (ones) => String(ones.length))).join('/') === want;
    }, expected, { timeout: 10000 });
  } catch {
    throw new Error(`failed: the board shows ${what}: want ${expected}, see ${await placementOnBoard()}`);
  }
}

// The game the move list shows, replayed from `start` by the rules.
async function replay(start) {
  const chess = new Chess(start);
  for (const san of await movesShown()) chess.move(san);
  return chess;
}

// Clicks a square once the board takes input: while it slides pieces it
// drops clicks, as a person would see.
async function clickSquare(square) {
  await page.waitForSelector('[data-testid=board]:not([data-busy])', { timeout: WAIT_MS });
  await page.locator(`[data-testid=board] .square[data-square="${square}"]`).click();
}

async function setUp(fen) {
  await testid('fen').fill(fen);
  await testid('set-fen').click();
  await page.waitForFunction(() => document.querySelectorAll('[data-testid=movelist] li').length === 0, null, { timeout: WAIT_MS });
  await expectBoard(fen, 'the position set up');
}

// Plays the person's move by two clicks and waits for the engine's answer
// (or the end of the game); returns the game as the move list shows it.
async function playAndAwaitReply(start, from, to) {
  const before = (await movesShown()).length;
  await clickSquare(from);
  await clickSquare(to);
  await waitForMoveCount(before + 1);
  const state = await waitForState('your-move', 'over');
  if (state === 'your-move') check((await movesShown()).length === before + 2, `the engine answered ${from}${to}`);
  const chess = await replay(start);
  await expectBoard(chess.fen(), `the game after ${from}${to} and the reply`);
  return chess;
}

// The thinking and the moves of a fixed-depth session, without the times
// and speeds that differ from run to run.
const SAME_SEARCH = ['uci', 'setoption name OwnBook value false', 'position startpos moves e2e4 e7e5 g1f3',
  'go depth 6', 'setoption name Search value strong', 'position startpos moves d2d4', 'go depth 12', 'isready'];

function searchLines(lines) {
  return lines.filter((line) => /^(info depth|bestmove)/.test(line))
    .map((line) => line.replace(/ (time|nps) \d+/g, ''));
}

async function searchInWorker() {
  return page.evaluate((session) => new Promise((resolve, reject) => {
    const worker = new Worker('engine-worker.js');
    const out = [];
    worker.onerror = (event) => reject(new Error(event.message));
    worker.onmessage = (event) => {
      out.push(String(event.data));
      if (event.data === 'readyok') {
        worker.terminate();
        resolve(out);
      }
    };
    for (const line of session) worker.postMessage(line);
  }), SAME_SEARCH);
}

async function searchNatively() {
  const engine = spawn(native, [], { stdio: ['pipe', 'pipe', 'inherit'] });
  let out = '';
  engine.stdout.setEncoding('utf8');
  engine.stdout.on('data', (chunk) => { out += chunk; });
  // No "quit": heard during a search it would end the search. Lines that come
  // during a search wait for its end, and the end of input ends the session.
  engine.stdin.end(`${SAME_SEARCH.join('\n')}\n`);
  await once(engine, 'exit');
  return out.split('\n');
}

// ---------------------------------------------------------------------------
// The game.

let failed = null;
try {
  step(`open ${address}`);
  const opened = Date.now();
  await page.goto(address);
  await waitForState('your-move');
  const readyMs = Date.now() - opened;
  const wasmBytes = statSync(join(site, 'tavrin.wasm')).size;
  console.log(`  engine ready ${readyMs} ms after the page was asked for (page's own count: ${await page.getAttribute('body', 'data-engine-ready-ms')} ms); tavrin.wasm ${wasmBytes} bytes`);
  await expectBoard(DEFAULT_POSITION, 'the start position');
  await testid('movetime').selectOption('200');

  if (native) {
    step('the engine in the page searches as the native one: classic to depth 6, strong to depth 12');
    const inPage = searchLines(await searchInWorker());
    const natively = searchLines(await searchNatively());
    check(inPage.filter((l) => l.startsWith('bestmove')).length === 2, `two searches in the page: ${inPage.join(' | ')}`);
    check(JSON.stringify(inPage) === JSON.stringify(natively),
      `the same thinking and moves:\n  page:   ${inPage.join('\n          ')}\n  native: ${natively.join('\n          ')}`);
    console.log(`  ${inPage.filter((l) => l.startsWith('bestmove')).join(', ')}; ${inPage.length} lines alike`);
  }

  step('1.e4 by two clicks; the engine answers on the board and in the move list');
  let chess = await playAndAwaitReply(DEFAULT_POSITION, 'e2', 'e4');
  const shown = await movesShown();
  check(shown.length === 2 && shown[0] === 'e4', `the move list starts with e4 and the reply: ${shown}`);
  check(chess.history().length === 2, 'the reply is a legal move');

  step('take back: the start position, the person to move');
  await testid('takeback').click();
  await page.waitForFunction(() => document.querySelectorAll('[data-testid=movelist] .move').length === 0, null, { timeout: WAIT_MS });
  await expectBoard(DEFAULT_POSITION, 'the start position after the take-back');
  check((await waitForState('your-move')) === 'your-move', 'the person moves after the take-back');

  step('flip: a1 goes to the top');
  const a1 = async () => (await page.locator('[data-testid=board] .square[data-square="a1"]').boundingBox()).y;
  const a8 = async () => (await page.locator('[data-testid=board] .square[data-square="a8"]').boundingBox()).y;
  check((await a1()) > (await a8()), 'White at the bottom at first');
  await testid('flip').click();
  await page.waitForFunction(() => {
    const y = (s) => document.querySelector(`[data-testid=board] .square[data-square="${s}"]`).getBoundingClientRect().y;
    return y('a1') < y('a8');
  }, null, { timeout: 10000 });
  await testid('flip').click();
  await page.waitForFunction(() => {
    const y = (s) => document.querySelector(`[data-testid=board] .square[data-square="${s}"]`).getBoundingClientRect().y;
    return y('a1') > y('a8');
  }, null, { timeout: 10000 });

  step('a strength level, sent to the engine, leaves the game playable');
  await testid('level').selectOption('1500');

  step('promotion in a set-up position: a7-a8 asks for the piece; a knight is chosen');
  const promotionStart = '8/P6k/7p/8/8/8/7P/K7 w - - 0 1';
  await setUp(promotionStart);
  await clickSquare('a7');
  await clickSquare('a8');
  await page.waitForSelector('[data-testid=promotion]:not([hidden])', { timeout: WAIT_MS });
  check((await status().getAttribute('data-state')) === 'promotion', 'the status asks for the piece');
  await testid('promote-n').click();
  await waitForMoveCount(2);
  await waitForState('your-move');
  chess = await replay(promotionStart);
  check((await movesShown())[0] === 'a8=N', `the promotion is a knight: ${await movesShown()}`);
  await expectBoard(chess.fen(), 'the knight on a8 and the engine\'s reply');
  await testid('level').selectOption('full');

  step('new game: the start position, nothing played');
  await testid('new-game').click();
  await page.waitForFunction(() => document.querySelectorAll('[data-testid=movelist] .move').length === 0, null, { timeout: WAIT_MS });
  await expectBoard(DEFAULT_POSITION, 'the start position of the new game');
  await waitForState('your-move');

  step('a stalemate by the person\'s move is announced');
  const stalemateStart = '7k/4Q3/6K1/8/8/8/8/8 w - - 0 1';
  await setUp(stalemateStart);
  await clickSquare('e7');
  await clickSquare('f7');
  await waitForState('over');
  check(/stalemate/i.test(await status().textContent()), `the status says stalemate: ${await status().textContent()}`);

  step('a whole game by clicks, the person Black with a lone king, to mate by the engine');
  const mateStart = '8/8/8/3k4/8/8/8/R3K2R w KQ - 0 1';
  await testid('search').selectOption('strong');
  await setUp(mateStart);
  await testid('side').selectOption('b');
  await waitForMoveCount(1);
  let state = await waitForState('your-move', 'over');
  let plies = 1;
  while (state === 'your-move') {
    check(plies < 60, 'the game ends within 60 plies');
    chess = await replay(mateStart);
    check(!chess.isGameOver(), `the page announces the end of the game: ${chess.fen()} ends it, the status says "${await status().textContent()}"`);
    const move = chess.moves({ verbose: true })[0];  // the first legal move, so the game is the same each run
    chess = await playAndAwaitReply(mateStart, move.from, move.to);
    plies = chess.history().length;
    state = await status().getAttribute('data-state');
  }
  check(state === 'over', 'the game is over');
  const verdict = await status().textContent();
  check(chess.isCheckmate() && /Checkmate: White wins/.test(verdict), `mate by the engine is announced: ${verdict}`);
  check(/1-0\s*$/.test(await testid('pgn').inputValue()), 'the PGN ends with 1-0');
  console.log(`  ${chess.history().length} plies: ${chess.history().join(' ')}; "${verdict}"`);

  step('a game in progress, for the picture: the strong search without its book');
  await testid('side').selectOption('w');
  await testid('book').uncheck();
  await testid('new-game').click();
  await waitForState('your-move');
  const wanted = [['d2', 'd4'], ['g1', 'f3'], ['e2', 'e3'], ['f1', 'e2'], ['e1', 'g1']];
  for (const [from, to] of wanted) {
    chess = await replay(DEFAULT_POSITION);
    const legal = chess.moves({ verbose: true });
    const move = legal.find((m) => m.from === from && m.to === to) || legal[0];
    chess = await playAndAwaitReply(DEFAULT_POSITION, move.from, move.to);
  }
  check(/depth \d+/.test(await testid('thinking').textContent()), 'the engine\'s thinking is shown');
  await page.waitForTimeout(500);  // the last move's slide, for the picture only
  if (screenshot) await page.screenshot({ path: screenshot });

  step('on a phone: the board fits the width and the panel comes below it');
  await page.setViewportSize({ width: 390, height: 844 });
  await page.waitForFunction(() => {
    const board = document.querySelector('[data-testid=board]').getBoundingClientRect();
    const moves = document.querySelector('[data-testid=movelist]').getBoundingClientRect();
    return board.right <= window.innerWidth + 1 && board.width > 300 && moves.top > board.bottom;
  }, null, { timeout: 10000 });
  chess = await replay(DEFAULT_POSITION);
  const phoneMove = chess.moves({ verbose: true })[0];
  await playAndAwaitReply(DEFAULT_POSITION, phoneMove.from, phoneMove.to);
  await page.waitForTimeout(500);
  if (phoneScreenshot) await page.screenshot({ path: phoneScreenshot });

  check(errors.length === 0, `no error in the browser:\n  ${errors.join('\n  ')}`);
} catch (error) {
  failed = error;
  const shown = await status().textContent({ timeout: 1000 }).catch(() => '?');
  failed.message += `\n  the status line said: ${shown}`;
}

await context.close();
server.kill();
await once(server, 'exit').catch(() => {});
rmSync(profile, { recursive: true, force: true });
if (failed) {
  if (errors.length) console.error(`errors in the browser:\n  ${errors.join('\n  ')}`);
  console.error(failed.message);
  process.exit(1);
}
console.log('the page played every step in chromium, without an error');

// Builds the page into one folder that any static web server can serve: the
// bundled script and style, the page, the engine's worker, the engine
// (tavrin.js, tavrin.wasm, from the emscripten build) and the opening book.
//   node build.mjs [--engine DIR] [--book FILE] [--out DIR]
import { build } from 'esbuild';
import { copyFileSync, mkdirSync, rmSync, statSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '..');

function option(name, fallback) {
  const at = process.argv.indexOf(name);
  return at >= 0 && process.argv[at + 1] ? resolve(process.argv[at + 1]) : fallback;
}

const engineDir = option('--engine', join(root, 'build/web'));
const book = option('--book', join(root, 'book.book'));
const out = option('--out', join(root, 'build/web/site'));

rmSync(out, { recursive: true, force: true });
mkdirSync(join(out, 'assets/pieces'), { recursive: true });
mkdirSync(join(out, 'assets/extensions/markers'), { recursive: true });

await build({
  entryPoints: [join(here, 'src/app.js'), join(here, 'src/app.css')],
  outdir: out,
  bundle: true,
  minify: true,
  format: 'iife',
  target: ['es2020'],
  logLevel: 'warning',
});

const board = join(here, 'node_modules/cm-chessboard/assets');
const copies = [
  [join(here, 'src/index.html'), 'index.html'],
  [join(here, 'src/engine-worker.js'), 'engine-worker.js'],
  [join(engineDir, 'tavrin.js'), 'tavrin.js'],
  [join(engineDir, 'tavrin.wasm'), 'tavrin.wasm'],
  [book, 'book.book'],
  [join(board, 'pieces/standard.svg'), 'assets/pieces/standard.svg'],
  [join(board, 'extensions/markers/markers.svg'), 'assets/extensions/markers/markers.svg'],
];
for (const [from, to] of copies) copyFileSync(from, join(out, to));

const kb = (file) => (statSync(join(out, file)).size / 1024).toFixed(1);
console.log(`page built in ${out}: tavrin.wasm ${kb('tavrin.wasm')} KB, tavrin.js ${kb('tavrin.js')} KB, app.js ${kb('app.js')} KB`);

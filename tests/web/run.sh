#!/usr/bin/env bash
# Builds the engine in WebAssembly and the page into a scratch folder and
# plays the page in chromium: SOURCE_DIR SCRATCH_DIR [browser_test.mjs options].
# Exits 77 (skipped), saying why, when emscripten, npm or chromium is missing.
set -euo pipefail
source=$1 scratch=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "skipped: $* is not installed (scripts/ensure-tools web browser installs it)"; exit 77; }
command -v em++ >/dev/null || skip emscripten
command -v npm >/dev/null || skip npm
[ -x /usr/bin/chromium ] || skip chromium
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

mkdir -p "$scratch"
emcmake cmake -S "$source" -B "$scratch/engine" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$scratch/engine" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

# The page and the test, each with its locked packages, outside the source tree.
rm -rf "$scratch/web" "$scratch/test"
mkdir -p "$scratch/web" "$scratch/test"
cp -r "$source/web/src" "$source/web/build.mjs" "$source/web/serve.mjs" "$source/web/package.json" \
      "$source/web/package-lock.json" "$scratch/web/"
cp "$here/package.json" "$here/package-lock.json" "$here/browser_test.mjs" "$scratch/test/"
(cd "$scratch/web" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
(cd "$scratch/test" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
node "$scratch/web/build.mjs" --engine "$scratch/engine" --book "$source/book.book" --out "$scratch/site"

cd "$scratch/test"
exec node browser_test.mjs --site "$scratch/site" --serve "$scratch/web/serve.mjs" "$@"

#!/usr/bin/env bash
# Installs the client libraries into a scratch folder and plays one game of
# the engine against itself through them: ENGINE SCRATCH_DIR.
set -euo pipefail
engine=$1 scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
command -v npm >/dev/null || { echo "npm is needed for this test" >&2; exit 1; }
mkdir -p "$scratch"
cp "$here/package.json" "$here/game.js" "$scratch/"
cd "$scratch"
npm install --no-audit --no-fund --silent >/dev/null
TAVRIN_BOOK="$here/../../../book.book" node game.js "$engine"

#!/bin/sh
# Installs mdb-reader, as oracle/package-lock.json pins it, into the folder $1 (in the build
# tree), with oracle/read-jet.mjs beside it; does nothing when that lock file is already in.
set -eu
source=$(cd "$(dirname "$0")" && pwd)
target=$1
mkdir -p "$target"
cp "$source/package.json" "$source/package-lock.json" "$source/read-jet.mjs" "$target/"
cd "$target"
if cmp -s package-lock.json node_modules/.installed-lock 2>/dev/null; then
  exit 0
fi
command -v npm >/dev/null || { echo "npm is missing: ./project.sh installs it" >&2; exit 1; }
npm ci --no-audit --no-fund --loglevel=error
cp package-lock.json node_modules/.installed-lock

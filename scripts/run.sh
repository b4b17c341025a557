#!/usr/bin/env bash
# Installs what is needed, builds the configurator and starts it. Without a
# Kelvadeck attached it runs on the built-in emulated device, whose flash is
# kept in ~/.local/share/kelvadeck/emulator.mbf between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
state="${XDG_DATA_HOME:-$HOME/.local/share}/kelvadeck"
mkdir -p "$state"
if [ -x build/src/app/kelvadeck ]; then
  exec build/src/app/kelvadeck "$@"
fi
cli=build/src/cli/kelvadeck-cli
if "$cli" info >/dev/null 2>&1; then
  exec "$cli" dump "$@"
fi
exec "$cli" --emulator="$state/emulator.mbf" dump "$@"

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
gui=build/src/app/kelvadeck
cli=build/src/cli/kelvadeck-cli

# The desktop application needs a desktop session; without one the command
# line version is the way.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the" >&2
  echo "configurator's window cannot be shown. Use the command line version instead, e.g.:" >&2
  echo "  $cli info                                  (a Kelvadeck attached)" >&2
  echo "  $cli --emulator=$state/emulator.mbf dump   (the emulated device)" >&2
  echo "  $cli --help" >&2
  exit 3
fi
if [ ! -x "$gui" ]; then
  echo "run.sh: the desktop application was not built (Qt 6 missing?); see the CMake output." >&2
  exit 1
fi
if "$cli" info >/dev/null 2>&1; then
  exec "$gui" "$@"
fi
echo "run.sh: no Kelvadeck attached; starting on the emulated device (its flash is kept in $state/emulator.mbf)" >&2
exec "$gui" --emulator="$state/emulator.mbf" "$@"

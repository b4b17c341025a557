#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user would get it: lists
# its files, unpacks it into a scratch folder and runs the packaged
# kelvadeck-cli from there (help, a macro decode, the emulated device).
#
#   bash scripts/package.sh [BUILD_DIR]      (default: build-deb)
#
# The package is left in BUILD_DIR as kelvadeck_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build="${1:-build-deb}"
# PACKAGE_REUSE_BUILD=1 packages an existing build folder as it is configured
# (CI packages the build it has just tested instead of building again).
if [ -z "${PACKAGE_REUSE_BUILD:-}" ] || [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKELVADECK_BUILD_TESTS=OFF -DKELVADECK_BUILD_BENCH=OFF
fi
cmake --build "$build" -j"$(nproc)"

rm -f "$build"/kelvadeck_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/kelvadeck_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package.sh: cpack made no single kelvadeck .deb in $build" >&2
  exit 1
fi
deb="${debs[0]}"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

expected=(
  usr/bin/kelvadeck-cli
  usr/lib/udev/rules.d/60-kelvadeck.rules
  usr/share/kelvadeck/presetdata/JA/macro_sw
  usr/share/kelvadeck/presetdata/JA/macro_dial
)
# The desktop application, its menu entry, icon and help pages come when Qt 6 is there.
gui=0
if [ -x "$build/src/app/kelvadeck" ]; then
  gui=1
  expected+=(usr/bin/kelvadeck usr/share/kelvadeck/help/manual_eng/index.html
             usr/share/applications/kelvadeck.desktop
             usr/share/icons/hicolor/scalable/apps/kelvadeck.svg)
fi
for f in "${expected[@]}"; do
  if [ ! -e "$unpacked/$f" ]; then
    echo "package.sh: /$f is missing from $deb" >&2
    exit 1
  fi
done
if [ "$gui" = 1 ] && command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$unpacked/usr/share/applications/kelvadeck.desktop"
fi

cli="$unpacked/usr/bin/kelvadeck-cli"
"$cli" --help
decoded="$("$cli" macro decode 410470012C4004)"
echo "$decoded"
if ! grep -q '^interval 300' <<<"$decoded"; then
  echo "package.sh: the packaged kelvadeck-cli decoded the macro wrongly" >&2
  exit 1
fi
"$cli" --emulator info

echo "package.sh: $deb built and checked"

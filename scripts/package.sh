#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user and a Debian
# maintainer would get it: lists its files, runs lintian on it (errors and
# warnings fail; the accepted ones are overridden with their reasons in
# packaging/lintian-overrides), validates its desktop entry and AppStream
# metadata, unpacks it into a scratch folder and runs the packaged
# kelvadeck-cli from there (help, a macro decode, the emulated device).
#
#   bash scripts/package.sh [BUILD_DIR]      (default: build-deb)
#
# The package is left in BUILD_DIR as kelvadeck_<version>-<revision>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --package

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

echo "== lintian =="
lintian --fail-on error,warning --display-info --pedantic "$deb"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

expected=(
  usr/bin/kelvadeck-cli
  lib/udev/rules.d/60-kelvadeck.rules
  usr/share/kelvadeck/presetdata/JA/macro_sw
  usr/share/kelvadeck/presetdata/JA/macro_dial
  usr/share/man/man1/kelvadeck-cli.1.gz
  usr/share/bash-completion/completions/kelvadeck-cli
  usr/share/doc/kelvadeck/copyright
  usr/share/doc/kelvadeck/changelog.Debian.gz
  usr/share/doc/kelvadeck/macro-text.md
  usr/share/doc/kelvadeck/settings-json.md
  usr/share/doc/kelvadeck/model-json.md
)
# The desktop application and what comes with it, when it was built.
gui=0
if [ -x "$build/src/app/kelvadeck" ]; then
  gui=1
  expected+=(usr/bin/kelvadeck usr/share/man/man1/kelvadeck.1.gz
             usr/share/kelvadeck/help/manual_eng/index.html
             usr/share/applications/org.example.kelvadeck.desktop
             usr/share/metainfo/org.example.kelvadeck.metainfo.xml
             usr/share/icons/hicolor/scalable/apps/kelvadeck.svg
             usr/share/icons/hicolor/48x48/apps/kelvadeck.png
             usr/share/icons/hicolor/256x256/apps/kelvadeck.png)
fi
for f in "${expected[@]}"; do
  if [ ! -e "$unpacked/$f" ]; then
    echo "package.sh: /$f is missing from $deb" >&2
    exit 1
  fi
done
if [ "$gui" = 1 ]; then
  echo "== desktop entry and AppStream metadata =="
  desktop-file-validate "$unpacked/usr/share/applications/org.example.kelvadeck.desktop"
  # Offline: the screenshots are not fetched. validate-tree also checks that
  # the metadata, the desktop entry and the icons fit together.
  appstreamcli validate --no-net --pedantic "$unpacked/usr/share/metainfo/org.example.kelvadeck.metainfo.xml"
  appstreamcli validate-tree --no-net --pedantic "$unpacked"
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

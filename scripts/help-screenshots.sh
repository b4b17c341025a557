#!/usr/bin/env bash
# Takes the screenshots of the help pages (resources/help/images/*.png) again
# from a build tree. The configurator runs on the built-in emulated Kelvadeck
# with a populated device image, opens one screen at a time and saves it:
#
#   bash scripts/help-screenshots.sh [BUILD_DIR]      (default: build)
#
# The build tree needs the desktop application and the two image writers of
# the tests (a default build with Qt 6 has them). The screens are drawn on a
# virtual X server (xvfb-run) when there is one, else on Qt's offscreen
# platform, in English and with a configuration folder of their own, so that
# the settings of the user running this do not show.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
app="$build/src/app/kelvadeck"
demo_image="$build/tests/gui/kelvadeck-demo-image"
reference_image="$build/tests/bench/kelvadeck-reference-image"

for program in "$app" "$demo_image" "$reference_image"; do
  if [ ! -x "$program" ]; then
    echo "help-screenshots: $program is missing; build it first, e.g." >&2
    echo "  cmake -S . -B $build -G Ninja && cmake --build $build" >&2
    exit 1
  fi
done

have_xvfb=false
if command -v xvfb-run >/dev/null 2>&1; then
  have_xvfb=true
else
  echo "help-screenshots: xvfb-run not found; using Qt's offscreen platform (fonts may differ)" >&2
  export QT_QPA_PLATFORM=offscreen
fi

# A short, readable place for the device image: its path shows in the main
# window's status bar.
work="${TMPDIR:-/tmp}/kelvadeck-help"
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
trap 'rm -rf "$work/config" "$work/runtime" "$work"/*.mbf; rmdir "$work" 2>/dev/null || true' EXIT

export LANGUAGE=
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"

# The demo image has named dial functions and keys of every kind; the
# reference image has named macros and dial macros.
"$demo_image" "$work/demo.mbf"
"$reference_image" "$work/reference.mbf" >/dev/null

# shot FILE.png IMAGE [SCREEN [WIDTHxHEIGHT]]   (in the language of $shot_locale, into $out)
# The virtual screen is 1600x1000 unless a size is given: the window fills a
# smaller screen as it would on a small laptop.
shot() {
  local file="$1" image="$2" screen="${3:-}" size="${4:-1600x1000}"
  local runner=()
  if $have_xvfb; then runner=(xvfb-run -a -s "-screen 0 ${size}x24"); fi
  # The configurator saves the flash back when it quits: each shot starts
  # from a fresh copy.
  cp "$image" "$work/backup.mbf"
  rm -f "$out/$file"
  if ! LC_ALL="$shot_locale" LANG="$shot_locale" timeout 120 "${runner[@]}" "$app" --emulator="$work/backup.mbf" --screenshot="$out/$file" --screen="$screen" \
      >/dev/null 2>"$work/stderr.txt" || [ ! -s "$out/$file" ]; then
    echo "help-screenshots: $file was not taken:" >&2
    cat "$work/stderr.txt" >&2
    exit 1
  fi
  echo "$out/$file ($(wc -c <"$out/$file") bytes)"
}

all_shots() {
  mkdir -p "$out"
  shot main.png "$work/demo.mbf"
  shot main-small.png "$work/demo.mbf" "" 1024x700
  shot settings.png "$work/demo.mbf" settings
  shot led-colour.png "$work/demo.mbf" led
  shot button-function.png "$work/demo.mbf" switch
  shot dial-function.png "$work/demo.mbf" dial
  shot macro-editor.png "$work/reference.mbf" macro
  shot macro-step.png "$work/reference.mbf" macrostep
  shot dial-macro-editor.png "$work/reference.mbf" dialmacro
}

# The English pages' screenshots, shared by any other language without its own.
shot_locale=C.UTF-8 out="resources/help/images" all_shots
# The Japanese interface needs a Japanese font (Debian: fonts-ipafont-gothic
# or fonts-noto-cjk); without one its texts would be drawn as boxes.
if fc-list :lang=ja 2>/dev/null | grep -q .; then
  shot_locale=ja_JP.UTF-8 out="resources/help/manual_jpn/images" all_shots
else
  echo "help-screenshots: no Japanese font installed; the Japanese pages' screenshots were not taken" >&2
fi
rm -f "$work/stderr.txt"

#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test and run.
# Safe to run again: packages already present are left alone.
#
#   bash scripts/install-deps.sh [--package] [--static-analysis]
#
# --package adds what checking the Debian package takes (scripts/package.sh),
# --static-analysis the analyser (scripts/static-analysis.sh).
set -euo pipefail

packages=(
  build-essential dpkg-dev cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libhidapi-dev libudev-dev libxcb1-dev libsystemd-dev qt6-translations-l10n
  libcli11-dev nlohmann-json3-dev
  help2man          # the man pages, made from --help
  bash-completion   # the completion's test loads it
  udev              # its pkg-config file names the folder for udev rules
  xvfb xauth
  dbus-daemon       # a private session bus for the focus watchers' tests
  nodejs            # runs the GNOME Shell extension's test
  fonts-ipafont-gothic  # Japanese glyphs: the interface's tests measure real text
)
for option in "$@"; do
  case "$option" in
    --package) packages+=(lintian appstream desktop-file-utils file) ;;
    --static-analysis) packages+=(cppcheck) ;;
    *)
      echo "install-deps: unknown option $option (known: --package, --static-analysis)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Checks that the udev rule hands the user the Kelvadeck's configuration
# interface and nothing else: runs the rule's PROGRAM on report descriptors as
# sysfs shows them and matches its RESULT patterns as udev does (shell globs,
# alternatives split at "|").
#
#   bash packaging/tests/udev-rule.sh packaging/60-kelvadeck.rules
set -euo pipefail

rule_file="$1"
# The rule as one line (udev joins lines ending in a backslash).
rule="$(sed -e ':a' -e '/\\$/N; s/\\\n//; ta' "$rule_file" | grep -v '^#' | grep 'TAG+="uaccess"')"
program="$(sed -n 's/.*PROGRAM="\([^"]*\)".*/\1/p' <<<"$rule")"
result="$(sed -n 's/.*RESULT=="\([^"]*\)".*/\1/p' <<<"$rule")"
if [ -z "$program" ] || [ -z "$result" ]; then
  echo "udev-rule: no PROGRAM and RESULT in $rule_file" >&2
  exit 1
fi

sys="$(mktemp -d)"
trap 'rm -rf "$sys"' EXIT
failures=0

# check NAME EXPECTED HEX...: EXPECTED is "user" or "root".
check() {
  local name="$1" expected="$2"
  shift 2
  local devpath="/devices/$name/hidraw/hidraw0"
  mkdir -p "$sys$devpath/device"
  if [ $# -gt 0 ]; then
    local hex
    hex="$(printf '%s' "$@")"
    printf '%b' "$(sed 's/../\\x&/g' <<<"$hex")" >"$sys$devpath/device/report_descriptor"
  fi
  local command="${program//\$sys\$devpath/$sys$devpath}"
  local output got=root alternative
  # udev turns the output's whitespace into spaces and drops the last newline.
  output="$($command 2>/dev/null | tr '\n' ' ' | sed 's/ *$//')" || true
  IFS='|' read -ra alternatives <<<"$result"
  for alternative in "${alternatives[@]}"; do
    # (the right side unquoted: a pattern)
    if [[ "$output" == $alternative ]]; then got=user; fi
  done
  if [ "$got" = "$expected" ]; then
    echo "ok: $name -> $got"
  else
    echo "FAILED: $name -> $got, expected $expected (PROGRAM printed \"$output\")" >&2
    failures=$((failures + 1))
  fi
}

# The configuration interface: Usage Page 0xFF00, Usage 1, 64-byte reports.
check vendor-interface user 0600ff 0901 a101 1500 26ff00 7508 9540 0901 8102 0901 9102 c0
# The same with the usage page in its four-byte form.
check vendor-interface-long-page user 0700ff0000 0901 a101 1500 26ff00 7508 9540 0901 8102 0901 9102 c0
# A boot keyboard: Generic Desktop, Keyboard.
check keyboard root 0501 0906 a101 0507 19e0 29e7 1500 2501 7501 9508 8102 9501 7508 8101 \
  9505 7501 0508 1901 2905 9102 9501 7503 9101 9506 7508 1500 2565 0507 1900 2965 8100 c0
# A keyboard with a consumer-control collection (media keys) on one interface.
check keyboard-and-media-keys root 0501 0906 a101 8501 0507 19e0 29e7 1500 2501 7501 9508 8102 c0 \
  050c 0901 a101 8502 1500 26ff03 1900 2aff03 7510 9501 8100 c0
# A keyboard whose interface also carries the configuration collection: the
# configurator may pick it, so the user gets it.
check keyboard-and-vendor-collection user 0501 0906 a101 8501 0507 19e0 29e7 1500 2501 7501 9508 8102 c0 \
  0600ff 0901 a101 8502 7508 953f 0901 8102 0901 9102 c0
# Another vendor page is not the one the configurator talks to.
check other-vendor-page root 0601ff 0901 a101 7508 9540 0901 8102 c0
# No descriptor to read: left alone.
check no-descriptor root

if [ "$failures" -ne 0 ]; then
  echo "udev-rule: $failures case(s) failed" >&2
  exit 1
fi

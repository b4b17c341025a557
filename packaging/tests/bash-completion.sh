#!/usr/bin/env bash
# Checks the bash completion of kelvadeck-cli against the program: every
# command and option its --help lists is offered, and file arguments complete
# to files of their kind.
#
#   bash packaging/tests/bash-completion.sh COMPLETION_FILE KELVADECK_CLI
set -uo pipefail

completion="$1"
cli="$2"
bash_completion=/usr/share/bash-completion/bash_completion
if [ ! -f "$bash_completion" ]; then
  echo "bash-completion: $bash_completion not found (Debian: bash-completion)" >&2
  exit 1
fi
# shellcheck source=/dev/null
source "$bash_completion"
# shellcheck source=/dev/null
source "$completion"

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# complete_line LINE: what the completion offers at the end of LINE, one per
# line. The words are split as bash splits them (at blanks and at "=").
complete_line() {
  local line="$1"
  local -a words
  read -ra words <<<"${line//=/ = }"
  [[ $line == *' ' ]] && words+=("")
  COMP_WORDS=("${words[@]}")
  COMP_CWORD=$((${#words[@]} - 1))
  COMP_LINE="$line"
  COMP_POINT=${#line}
  COMPREPLY=()
  _kelvadeck_cli
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

# offers LINE WORD...: each WORD is among the completions of LINE.
offers() {
  local line="$1" word got
  shift
  got="$(complete_line "$line")"
  for word in "$@"; do
    grep -qxF -- "$word" <<<"$got" || fail "'$line' does not offer '$word' (it offers: $(tr '\n' ' ' <<<"$got"))"
  done
}

# offers_only LINE WORD...: the completions of LINE are exactly the WORDs.
offers_only() {
  local line="$1" got want
  shift
  got="$(complete_line "$line")"
  want="$(printf '%s\n' "$@" | sort)"
  [ "$got" = "$want" ] || fail "'$line' offers '$(tr '\n' ' ' <<<"$got")', expected '$*'"
}

# The commands and options of a --help text (CLI11's layout: "Subcommands:"
# then two-space indented names; options start with a dash).
commands_of() { awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 } on && /^$/ { on = 0 }' <<<"$1"; }
options_of() { grep -oE '(^|[ ,])--?[a-z][a-z-]*' <<<"$1" | tr -d ' ,' | sort -u; }

help="$("$cli" --help)"
macro_help="$("$cli" macro --help)"
[ -n "$(commands_of "$help")" ] || fail "no commands found in kelvadeck-cli --help"
mapfile -t commands < <(commands_of "$help")
offers "kelvadeck-cli " "${commands[@]}"
mapfile -t options < <(options_of "$(sed '/^Subcommands:/,$d' <<<"$help")")
offers "kelvadeck-cli -" "${options[@]}"
mapfile -t macro_commands < <(commands_of "$macro_help")
offers "kelvadeck-cli macro " "${macro_commands[@]}"
for command in "${commands[@]}"; do
  mapfile -t options < <(options_of "$("$cli" "$command" --help | sed '/^Subcommands:/,$d')")
  offers "kelvadeck-cli $command -" "${options[@]}"
done
for command in "${macro_commands[@]}"; do
  mapfile -t options < <(options_of "$("$cli" macro "$command" --help)")
  offers "kelvadeck-cli macro $command -" "${options[@]}"
done

# Files by kind, directories to walk into.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
mkdir folder
touch backup.mbf script.mcdf settings.json notes.txt
offers_only "kelvadeck-cli --emulator=" backup.mbf folder
offers_only "kelvadeck-cli --emulator=x.mbf restore " backup.mbf folder
offers_only "kelvadeck-cli dump --image " backup.mbf folder
offers_only "kelvadeck-cli backup " backup.mbf folder
offers_only "kelvadeck-cli macro import " script.mcdf folder
offers_only "kelvadeck-cli macro export 3 " script.mcdf folder
offers_only "kelvadeck-cli macro encode steps.txt -o " script.mcdf folder
offers_only "kelvadeck-cli import-json " folder settings.json
offers_only "kelvadeck-cli --emulator info" info
offers_only "kelvadeck-cli macro import script.mcdf 4 --mode " fire hold loop once
offers_only "kelvadeck-cli --emulator --emulator-faults bu" busy= busy-code=
offers_only "kelvadeck-cli led " ""
offers_only "kelvadeck-cli app-mode " add fallback list remove stay
offers_only "kelvadeck-cli app-mode add krita " 1 2 3

if [ "$failures" -ne 0 ]; then
  echo "bash-completion: $failures check(s) failed" >&2
  exit 1
fi
echo "bash-completion: ${#commands[@]} commands and their options offered; files complete by kind"

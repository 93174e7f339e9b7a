#!/usr/bin/env bash
# Completes command lines of tarvik-cli and tarvik as bash does when the user
# presses Tab, with Debian's bash-completion and the package's completion
# files, and checks what is offered.
#   tests/check-completion.sh COMPLETION-FOLDER
# Exits 77 (skipped) without bash-completion, except under CI (CI set).
set -uo pipefail

folder=$1
if ! source /usr/share/bash-completion/bash_completion 2>/dev/null ||
  ! declare -F _init_completion >/dev/null; then
  echo "bash-completion is not installed: scripts/install-deps.sh --test installs it."
  [ -n "${CI:-}" ] && exit 1
  echo "SKIPPED"
  exit 77
fi
source "$folder/tarvik-cli"
source "$folder/tarvik"
# Outside a completion that Tab started, compopt only complains.
compopt() { :; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch capture.lgc capture.sr

failed=0
# offers EXPECTED LINE: Tab at the end of LINE offers the words of EXPECTED,
# in any order. The line is cut into words as bash cuts it, '=' on its own.
offers() {
  local expected=$1 line=$2 function
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"${line//=/ = }"
  [[ $line == *[[:space:]] || $line == *= ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  function=$(complete -p "${COMP_WORDS[0]}" | sed 's/.*-F \([^ ]*\) .*/\1/')
  "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
  expected=$(printf '%s\n' $expected | sort | xargs)
  if [ "$got" = "$expected" ]; then
    echo "PASS '$line': $got"
  else
    echo "FAIL '$line': offers '$got', not '$expected'"
    failed=1
  fi
}

offers "lgc sr srzip vcd binary" "tarvik-cli --scan -O "
offers "sr srzip" "tarvik-cli -i capture.lgc --output-format s"
offers "vcd" "tarvik-cli -i capture.lgc --output-format=v"
offers "inpout32 win95io simulated" "tarvik-cli --scan --via "
offers "win95io" "tarvik-cli --scan -via w"
offers "simulated" "tarvik-cli --scan --via=s"
offers "--scan --samples --samplerate --show" "tarvik-cli --s"
offers "--time --trigger --triggers" "tarvik-cli --t"
# A trigger is sigrok's: lines, then a level or an edge, joined by commas.
offers "S7= S6= S5= S4= S3= D7= D6= D5= D4= D3= D2= D1= D0=" "tarvik-cli --scan -t "
offers "0 1 r f e" "tarvik-cli --scan -t D0="
offers "f,D7= f,D6= f,D5= f,D4= f,D3= f,D2= f,D1= f,D0=" "tarvik-cli --scan --trigger S6=f,D"
offers "S3,S7 S3,S6 S3,S5 S3,S4 S3,S3" "tarvik-cli -C S3,S"
offers "captureratio=" "tarvik-cli -c "
offers "capture.lgc capture.sr" "tarvik-cli -i "
offers "capture.lgc capture.sr -" "tarvik-cli -i capture.sr -o "
offers "" "tarvik-cli --scan --samplerate "
offers "--simulated-port" "tarvik --s"
offers "-platform" "tarvik -pl"
offers "offscreen" "tarvik -platform o"
offers "Fusion Windows" "tarvik -style "

exit "$failed"

#!/usr/bin/env bash
# Checks the files that integrate Ondrix into a desktop: the desktop entry and
# the AppStream data against their validators, the manual pages against mandoc
# and against each command's own usage text, the bash completion against both,
# and the shell scripts against shellcheck.
#   check-integration-files.sh SOURCE_DIR BUILD_DIR VERSION
# Exit status 0 when all holds, 77 when a checking tool is not installed.
set -euo pipefail
source_dir=$1 build_dir=$2 version=$3
resources=$source_dir/resources
bin=$build_dir/bin

for tool in desktop-file-validate appstreamcli mandoc shellcheck; do
  command -v "$tool" >/dev/null || {
    echo "SKIP: $tool is not installed (scripts/setup test installs it)"
    exit 77
  }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Validators. desktop-file-validate prints hints and warnings with status 0.
messages=$(desktop-file-validate "$resources/desktop/ondrix.desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$messages" ] || fail "desktop-file-validate: $messages"
appstreamcli validate --no-net --pedantic "$resources"/desktop/*.metainfo.xml >/dev/null ||
  fail "appstreamcli validate: $(appstreamcli validate --no-net --pedantic "$resources"/desktop/*.metainfo.xml)"
grep -q "<release version=\"$version\"" "$resources"/desktop/*.metainfo.xml ||
  fail "the AppStream data names no release $version (the project's version)"
mandoc -T lint -W warning "$resources"/man/*.1 || fail "mandoc -T lint found warnings"
# The shell scripts among the scripts (some are Python).
mapfile -t scripts < <(grep -lE '^#!.*/(env )?(ba)?sh' "$source_dir"/scripts/* 2>/dev/null)
shellcheck "${scripts[@]}" "$source_dir"/.ci/run "$resources"/tests/*.sh "$resources"/completion/ondrix.bash ||
  fail "shellcheck found problems"

# The words of one kind in a text, one a line, sorted.
words() { grep -oE -- "$1" | sort -u; }
# Compares two word lists; $3 names what is compared.
same() {
  local missing extra
  missing=$(comm -23 <(echo "$1") <(echo "$2") | tr '\n' ' ')
  extra=$(comm -13 <(echo "$1") <(echo "$2") | tr '\n' ' ')
  [ -z "$missing$extra" ] || fail "$3: only in the first: ${missing:-none}; only in the second: ${extra:-none}"
}
# Options that a manual page lists with .Fl (".Fl -freq" is --freq).
page_options() { sed -n 's/.*Fl \(-[a-z][a-z-]*\).*/-\1/p' "$resources/man/$1.1" | sort -u; }
# What the completion offers after COMMAND and a partial word.
completes() {
  bash -c 'source "$1"; COMP_LINE=$2; COMP_POINT=${#2}; read -r -a COMP_WORDS <<<"$2"; _ondrix; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$resources/completion/ondrix.bash" "$1" | sort -u
}

# The tools: --help, manual page and completion list the same options.
for tool in ondrix-tone ondrix-graph ondrix-calc; do
  [ -x "$bin/$tool" ] || {
    fail "$bin/$tool is not built"
    continue
  }
  help=$("$bin/$tool" --help | words '--[a-z][a-z-]*')
  same "$help" "$(page_options "$tool")" "$tool --help against its manual page"
done
for tool in ondrix-tone ondrix-graph; do
  same "$("$bin/$tool" --help | words '--[a-z][a-z-]*')" "$(completes "$tool --")" "$tool --help against its completion"
done
if [ -x "$bin/ondrix-atom" ]; then
  help=$("$bin/ondrix-atom" --help | sed -n 's/.*ondrix-atom \([a-z]*\) .*/\1/p' | sort -u)
  page=$(sed -n 's/^\.It Cm \([a-z]*\) Ar.*/\1/p' "$resources/man/ondrix-atom.1" | sort -u)
  same "$help" "$page" "ondrix-atom --help against its manual page"
  same "$(printf '%s\n' "$help" --help | sort -u)" "$(completes "ondrix-atom ")" "ondrix-atom commands against the completion"
else
  fail "$bin/ondrix-atom is not built"
fi

# The program: the switches of its usage text are in the manual page and the
# completion; the page adds only /? itself, /a and /b, which the usage text
# never named, and /loop, which came after it.
page=$(grep -E '^\.(It|Op) Cm /' "$resources/man/ondrix.1" | words '/[a-z?]+')
completion=$(completes "ondrix /" | sed 's/=$//' | sort -u)
same "$page" "$completion" "the manual page's switches against the completion"
if [ -x "$bin/ondrix" ]; then
  usage=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$scratch" XDG_CONFIG_HOME="$scratch" XDG_RUNTIME_DIR="$scratch" \
    timeout 60 "$bin/ondrix" '/?' </dev/null 2>/dev/null | head -n 1 | words '/[a-z?]+')
  [ -n "$usage" ] || fail "ondrix /? printed no usage line"
  same "$(printf '%s\n' "$usage" '/?' /a /b /loop | sort -u)" "$page" "ondrix /? (and /?, /a, /b, /loop) against its manual page"
else
  fail "$bin/ondrix is not built"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "desktop entry, AppStream data, manual pages, completion and scripts check out"

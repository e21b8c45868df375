#!/usr/bin/env bash
# Installs a build into a temporary prefix and runs the commands from there,
# as a user would after `cmake --install`: the program starts hidden and quits
# by /autoquit (exit status 2), the tools work beside each other, and the
# desktop entry, icons, manual pages and completion lie where desktops look.
#   installed-commands.sh BUILD_DIR
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/root/usr
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

cmake --install "$build_dir" --prefix "$prefix" >"$scratch/install.log" || {
  cat "$scratch/install.log"
  echo "FAIL: cmake --install"
  exit 1
}

for file in bin/ondrix bin/ondrix-calc bin/ondrix-tone bin/ondrix-tone-play bin/ondrix-graph bin/ondrix-atom \
  share/applications/ondrix.desktop share/metainfo/com.merrow.ondrix.metainfo.xml \
  share/icons/hicolor/scalable/apps/ondrix.svg share/doc/ondrix/copyright share/doc/ondrix/changelog.gz; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done

# The tree as a software centre reads it: metainfo, desktop entry and icon together.
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --no-net --pedantic "$scratch/root" >"$scratch/tree.log" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$scratch/tree.log")"
fi

# Each PNG is the size its folder names (width and height from the PNG header).
for png in "$prefix"/share/icons/hicolor/*x*/apps/ondrix.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}"
done
[ "$(find "$prefix"/share/icons/hicolor -name ondrix.png | wc -l)" -ge 6 ] || fail "fewer than six PNG sizes"

for page in ondrix ondrix-calc ondrix-tone ondrix-tone-play ondrix-graph ondrix-atom; do
  gzip -dc "$prefix/share/man/man1/$page.1.gz" 2>/dev/null | grep -q '^\.Sh NAME' ||
    fail "the manual page of $page is missing or unreadable"
done
for command in ondrix ondrix-calc ondrix-tone ondrix-graph ondrix-atom; do
  bash -c 'source "$1" && complete -p "$2"' _ "$prefix/share/bash-completion/completions/$command" "$command" \
    >/dev/null 2>&1 || fail "no bash completion for $command"
done

# Run the installed commands with no display, no sound server and private folders.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/run ONDRIX_ATOM_DIR=$scratch/atoms
mkdir -m 700 "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export PULSE_SERVER=unix:$scratch/no-sound-server

status=0
timeout 60 "$prefix/bin/ondrix" /hide /autoquit=0 </dev/null >"$scratch/ondrix.log" 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "ondrix /hide /autoquit=0 exited with $status, not 2: $(cat "$scratch/ondrix.log")"

sum=$("$prefix/bin/ondrix-calc" 1+1) || fail "ondrix-calc 1+1 failed"
[ "$sum" = 2 ] || fail "ondrix-calc 1+1 printed '$sum'"

"$prefix/bin/ondrix-tone" --duration 50 --out "$scratch/tone.wav" || fail "ondrix-tone --out failed"
[ "$(head -c 4 "$scratch/tone.wav" 2>/dev/null)" = RIFF ] || fail "ondrix-tone wrote no WAV file"

atom=$("$prefix/bin/ondrix-atom" add installed-test) || fail "ondrix-atom add failed"
[ "$("$prefix/bin/ondrix-atom" name "$atom")" = installed-test ] || fail "ondrix-atom name $atom"
"$prefix/bin/ondrix-atom" delete "$atom" || fail "ondrix-atom delete $atom"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed into $prefix and ran ondrix, ondrix-calc, ondrix-tone and ondrix-atom from there"

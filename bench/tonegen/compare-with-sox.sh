#!/usr/bin/env bash
# Times ondrix-tone against sox as whole processes, side by side: the longest
# image (32767 ms, 16-bit stereo, 96000 Hz) and a 100 ms tone.
#   bench/tonegen/compare-with-sox.sh [build folder]     (default: build/release)
set -euo pipefail
build=${1:-build/release}
tone=$(realpath "$build/bin/ondrix-tone")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

longest_tone="$tone --duration 32767 --stereo --out $out/tone-long.wav"
longest_sox="sox -n -r 96000 -b 16 -c 2 $out/sox-long.wav synth 32.767 sine 440"
short_tone="$tone --out $out/tone-short.wav"
short_sox="sox -n -r 96000 -b 16 -c 1 $out/sox-short.wav synth 0.1 sine 440"

if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 3 --runs 20 "$longest_tone" "$longest_sox"
  hyperfine -N --warmup 5 --runs 100 "$short_tone" "$short_sox"
else
  # Mean wall time of n runs of a command, in milliseconds.
  mean_ms() {
    local n=$1; shift
    local start end
    start=$(date +%s%N)
    for ((i = 0; i < n; i++)); do $1 >/dev/null; done
    end=$(date +%s%N)
    echo $(((end - start) / n / 1000000))
  }
  echo "longest: ondrix-tone $(mean_ms 20 "$longest_tone") ms, sox $(mean_ms 20 "$longest_sox") ms"
  echo "100 ms:  ondrix-tone $(mean_ms 100 "$short_tone") ms, sox $(mean_ms 100 "$short_sox") ms"
fi

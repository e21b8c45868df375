#!/usr/bin/env bash
# Renders the pinout and circuit pictures from their SVG sources at the sizes
# the program shows them. Run after editing a drawing and commit both:
#   resources/render-pictures.sh [path/to/ondrix-render-svg]
set -euo pipefail
cd "$(dirname "$0")"
render=${1:-../build/dev/bin/ondrix-render-svg}
if [ ! -x "$render" ]; then
  echo "build ondrix-render-svg first (cmake --build build/dev --target ondrix-render-svg)" >&2
  exit 1
fi
"$render" pinouts/PINOUT0.svg pinouts/PINOUT0.png 860 679
"$render" pinouts/PINOUT1.svg pinouts/PINOUT1.png 400 329
"$render" pinouts/PINOUT2.svg pinouts/PINOUT2.png 1010 358
"$render" circuit/amplifier.svg circuit/amplifier.jpg 1000 700

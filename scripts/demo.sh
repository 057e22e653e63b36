#!/usr/bin/env bash
# The main job: install what is missing, build the plug-in and vellox-render, and render the
# built-in demo signal through four contrasting factory presets into out/demo-<preset>.wav,
# printing each report.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=${VELLOX_BUILD_DIR:-build/release}
echo "Building the plug-in and vellox-render ($build) ..."
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target Vellox vellox-render

tool=$build/tools/vellox-render/vellox-render
mkdir -p out
for preset in INIT FATDRUM LOFIVOICE BUZZ; do
  echo
  echo "==== demo-$preset.wav ===="
  "$tool" --preset "$preset" -o "out/demo-$preset.wav"
done

echo
echo "Four renderings of the built-in demo are in out/ (32-bit float WAV, 48 kHz)."
echo "More: $tool --help"

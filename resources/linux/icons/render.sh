#!/usr/bin/env bash
# Renders the PNG sizes of the icon from its SVG (needs rsvg-convert,
# librsvg2-bin). The PNGs are kept in the repository, so the build needs
# no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
id=io.github.sorvik.Sorvik
for s in 16 24 32 48 64 128 256; do
  mkdir -p hicolor/${s}x${s}/apps
  rsvg-convert -w $s -h $s $id.svg -o hicolor/${s}x${s}/apps/$id.png
done

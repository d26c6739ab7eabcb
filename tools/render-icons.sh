#!/bin/sh
# SPDX-License-Identifier: MIT
# Renders the application icon (dist/icons/quorvane.svg) into the PNG sizes of
# the hicolor theme under dist/icons/hicolor/. The PNGs are committed, so the
# build needs no SVG renderer; run this after changing the drawing.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ID=example.quorvane.Quorvane
command -v rsvg-convert >/dev/null 2>&1 || { echo "render-icons: rsvg-convert (librsvg2-bin) not found" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
    out="$ROOT/dist/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$out"
    rsvg-convert -w "$size" -h "$size" "$ROOT/dist/icons/quorvane.svg" -o "$out/$ID.png"
done

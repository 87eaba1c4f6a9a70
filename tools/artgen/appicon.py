#!/usr/bin/env python3
"""The application icon: a plate of salmon nigiri riding the belt, on a red lacquer tile.

    appicon.py --out DIR [--rsvg rsvg-convert]
        Writes DIR/pelmora.svg and DIR/pelmora-N.png for N = 48, 64, 128 and 256. Shapes are
        large and outlines heavy, so the plate still reads at 48 pixels in a menu.
"""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import food  # noqa: E402
from svg import (GOLD, OUT, STEEL_DARK, STEEL_LIGHT, Rand, at, doc, path, rect,  # noqa: E402
                 shadow)

SIZES = (48, 64, 128, 256)


def belt(y, h):
    """A steel band across the tile, with the seams of its plates."""
    out = rect(-4, y, 264, h, fill="url(#steelShine)", stroke=OUT, sw=6)
    for x in range(18, 256, 44):
        out += path(f"M{x},{y + 4} L{x - 10},{y + h - 4}", stroke=STEEL_DARK, sw=4)
    out += path(f"M0,{y + 7} L256,{y + 7}", stroke=STEEL_LIGHT, sw=3, opacity=0.9)
    return out


def icon():
    tile = (rect(8, 8, 240, 240, fill="url(#lacquer)", stroke=OUT, sw=8, rx=44)
            + rect(20, 20, 216, 216, stroke=GOLD, sw=5, rx=34, opacity=0.85))
    # The belt is clipped to the tile so its ends follow the rounded corners.
    clip = '<clipPath id="tile"><rect x="12" y="12" width="232" height="232" rx="40"/></clipPath>'
    plate = food.rice_line(["riso", "salmone"], Rand(1))
    body = (tile + clip
            + f'<g clip-path="url(#tile)">{belt(150, 62)}</g>'
            + shadow(130, 196, 96, 16, 0.45)
            + at(124, 126, at(-62, -78, plate), scale=1.72))
    return doc(256, 256, body)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--rsvg", default="rsvg-convert")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    svg_path = os.path.join(args.out, "pelmora.svg")
    with open(svg_path, "w", encoding="utf-8") as fh:
        fh.write(icon())
    for n in SIZES:
        png = os.path.join(args.out, f"pelmora-{n}.png")
        subprocess.run([args.rsvg, "-w", str(n), "-h", str(n), "-o", png + ".tmp", svg_path], check=True)
        os.replace(png + ".tmp", png)


if __name__ == "__main__":
    main()

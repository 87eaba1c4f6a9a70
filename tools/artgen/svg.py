"""Small SVG toolkit shared by every picture of the game: palette, shapes, soft shadows."""

from math import cos, sin, radians, pi

# One palette for the whole game: warm wood, red lacquer, steel, rice and sea.
OUT = "#3b2a20"          # outline
OUT_SOFT = "#6b4a36"
WOOD_LIGHT = "#f0d3a0"
WOOD = "#e2b877"
WOOD_DARK = "#c48c4c"
WOOD_GRAIN = "#cf9c5c"
RED = "#c8372d"
RED_DARK = "#8e2320"
RED_LIGHT = "#e5584a"
STEEL_LIGHT = "#dfe4e8"
STEEL = "#c3cbd1"
STEEL_DARK = "#8d979f"
CREAM = "#fff6e4"
PAPER = "#fbf3de"
RICE = "#fdfaf2"
RICE_SHADE = "#e6dcc8"
NORI = "#2c3a2a"
NORI_LIGHT = "#43573f"
GOLD = "#f2b632"
GOLD_DARK = "#c98a12"
GOLD_LIGHT = "#ffd970"
INDIGO = "#2f4f86"
INDIGO_LIGHT = "#5b7fbf"
GREEN = "#6fae45"
GREEN_DARK = "#3f7a2a"
SKIN = "#f6cfa6"
SKIN_SHADE = "#e3aa7e"
SHADOW = "#5a3418"
WHITE = "#ffffff"

DEFS = """
<filter id="soft" x="-30%" y="-30%" width="160%" height="160%"><feGaussianBlur stdDeviation="2.2"/></filter>
<filter id="softer" x="-30%" y="-30%" width="160%" height="160%"><feGaussianBlur stdDeviation="5"/></filter>
<filter id="blur12" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="12"/></filter>
<radialGradient id="lanternGlow" cx="50%" cy="50%" r="50%">
  <stop offset="0" stop-color="#ffd27a" stop-opacity="0.75"/>
  <stop offset="1" stop-color="#ffb347" stop-opacity="0"/>
</radialGradient>
<radialGradient id="warmVignette" cx="50%" cy="45%" r="75%">
  <stop offset="0.55" stop-color="#000" stop-opacity="0"/>
  <stop offset="1" stop-color="#2a1204" stop-opacity="0.35"/>
</radialGradient>
<linearGradient id="gloss" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#fff" stop-opacity="0.55"/>
  <stop offset="1" stop-color="#fff" stop-opacity="0"/>
</linearGradient>
<linearGradient id="steelShine" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#eef2f5"/>
  <stop offset="1" stop-color="#b9c2c9"/>
</linearGradient>
<linearGradient id="dusk" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#3a2f5c"/>
  <stop offset="0.55" stop-color="#c0587a"/>
  <stop offset="1" stop-color="#f7a65e"/>
</linearGradient>
<linearGradient id="night" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#1c2140"/>
  <stop offset="1" stop-color="#3d3a66"/>
</linearGradient>
<linearGradient id="lacquer" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#9e2a24"/>
  <stop offset="0.5" stop-color="#7c1d1a"/>
  <stop offset="1" stop-color="#5c1412"/>
</linearGradient>
<linearGradient id="goldShine" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#ffe08a"/>
  <stop offset="1" stop-color="#e09a1a"/>
</linearGradient>
"""


def f(v):
    """Compact number text for coordinates."""
    if isinstance(v, int):
        return str(v)
    s = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def doc(w, h, body, vb=None):
    vb = vb or (0, 0, w, h)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="{" ".join(f(x) for x in vb)}"><defs>{DEFS}</defs>{body}</svg>\n')


def _style(fill=None, stroke=None, sw=None, opacity=None, extra=""):
    s = f' fill="{fill or "none"}"'
    if stroke:
        s += f' stroke="{stroke}" stroke-width="{f(sw if sw is not None else 2)}" stroke-linejoin="round" stroke-linecap="round"'
    if opacity is not None:
        s += f' opacity="{f(opacity)}"'
    return s + extra


def path(d, fill=None, stroke=None, sw=None, opacity=None, extra=""):
    return f'<path d="{d}"{_style(fill, stroke, sw, opacity, extra)}/>'


def ellipse(cx, cy, rx, ry, fill=None, stroke=None, sw=None, opacity=None, extra=""):
    return f'<ellipse cx="{f(cx)}" cy="{f(cy)}" rx="{f(rx)}" ry="{f(ry)}"{_style(fill, stroke, sw, opacity, extra)}/>'


def circle(cx, cy, r, fill=None, stroke=None, sw=None, opacity=None, extra=""):
    return f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}"{_style(fill, stroke, sw, opacity, extra)}/>'


def rect(x, y, w, h, fill=None, stroke=None, sw=None, rx=0, opacity=None, extra=""):
    return (f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{f(h)}" rx="{f(rx)}"'
            f'{_style(fill, stroke, sw, opacity, extra)}/>')


def line(x1, y1, x2, y2, stroke, sw=2, opacity=None):
    return (f'<line x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" y2="{f(y2)}"'
            f'{_style(None, stroke, sw, opacity)}/>')


def poly(points, fill=None, stroke=None, sw=None, opacity=None, closed=True):
    d = "M" + " L".join(f"{f(x)},{f(y)}" for x, y in points) + (" Z" if closed else "")
    return path(d, fill, stroke, sw, opacity)


def g(body, transform=None, opacity=None, extra=""):
    t = f' transform="{transform}"' if transform else ""
    o = f' opacity="{f(opacity)}"' if opacity is not None else ""
    return f"<g{t}{o}{extra}>{body}</g>"


def at(x, y, body, scale=None, rotate=None):
    t = f"translate({f(x)},{f(y)})"
    if rotate:
        t += f" rotate({f(rotate)})"
    if scale is not None:
        t += f" scale({f(scale)})" if not isinstance(scale, tuple) else f" scale({f(scale[0])},{f(scale[1])})"
    return g(body, t)


def shadow(cx, cy, rx, ry, opacity=0.28, filt="soft"):
    return ellipse(cx, cy, rx, ry, fill=SHADOW, opacity=opacity, extra=f' filter="url(#{filt})"')


def text(x, y, s, size, fill, weight="bold", anchor="middle", family="Liberation Sans",
         stroke=None, sw=None, extra=""):
    st = ""
    if stroke:
        st = f' stroke="{stroke}" stroke-width="{f(sw)}" stroke-linejoin="round" paint-order="stroke"'
    return (f'<text x="{f(x)}" y="{f(y)}" font-family="{family}" font-size="{f(size)}" '
            f'font-weight="{weight}" text-anchor="{anchor}" fill="{fill}"{st}{extra}>{s}</text>')


def rounded_blob(cx, cy, rx, ry, wobble=0.0, n=12, phase=0.0):
    """A closed smooth blob around an ellipse; wobble gives organic edges."""
    pts = []
    for i in range(n):
        a = 2 * pi * i / n + phase
        k = 1 + wobble * sin(3 * a + phase * 2.3) * 0.5 + wobble * cos(5 * a) * 0.3
        pts.append((cx + rx * k * cos(a), cy + ry * k * sin(a)))
    return smooth_closed(pts)


def smooth_closed(pts):
    """Catmull-Rom through the points, as a closed cubic path."""
    n = len(pts)
    d = f"M{f(pts[0][0])},{f(pts[0][1])}"
    for i in range(n):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[(i + 1) % n], pts[(i + 2) % n]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        d += f" C{f(c1[0])},{f(c1[1])} {f(c2[0])},{f(c2[1])} {f(p2[0])},{f(p2[1])}"
    return d + " Z"


def smooth_open(pts):
    d = f"M{f(pts[0][0])},{f(pts[0][1])}"
    n = len(pts)
    for i in range(n - 1):
        p0 = pts[i - 1] if i > 0 else pts[i]
        p1, p2 = pts[i], pts[i + 1]
        p3 = pts[i + 2] if i + 2 < n else pts[i + 1]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        d += f" C{f(c1[0])},{f(c1[1])} {f(c2[0])},{f(c2[1])} {f(p2[0])},{f(p2[1])}"
    return d


def polar(cx, cy, r, deg):
    return cx + r * cos(radians(deg)), cy + r * sin(radians(deg))


class Rand:
    """Tiny deterministic generator so every build draws the same grains and seeds."""

    def __init__(self, seed):
        self.s = (int(seed) * 2654435761 + 12345) & 0xFFFFFFFF or 1

    def next(self):
        x = self.s
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.s = x & 0xFFFFFFFF
        return self.s / 4294967296.0

    def uniform(self, a, b):
        return a + (b - a) * self.next()


def seed_of(name):
    h = 7
    for ch in name:
        h = (h * 31 + ord(ch)) & 0xFFFFFFFF
    return h

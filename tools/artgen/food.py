"""Sushi drawn from ingredient layers: the tiles, every preparation on the table and every plate.

A preparation is drawn from its picks, in order, so the pictures follow the recipe file:
rice first builds nigiri or gunkan on a porcelain plate, nori first builds a roll on the
bamboo mat, a fish first builds sashimi on a wooden board. A node that finishes a roll shows
the rolled, cut plate of its kind.
"""

from svg import *

FISH_TOPPINGS = ("salmone", "tonno", "ricciola", "gambero", "polpo", "capesante", "anguilla", "tamago")
GUNKAN_FILLINGS = ("ikura", "tobiko", "tonno", "granchio", "salmone", "cipollotto")

# Main colour of each ingredient when it shows as a strip, a filling or a dot.
COLOR = {
    "riso": RICE, "alga": NORI, "wasabi": "#8cc63f", "sesamo": "#f3e3bd",
    "salmone": "#f7864f", "tonno": "#c92f3f", "ricciola": "#f4d3c0", "gambero": "#fff0e6",
    "polpo": "#9a2f6e", "capesante": "#f5e6cf", "anguilla": "#8a4b23", "tamago": "#ffd23f",
    "granchio": "#f1ece4", "ikura": "#ff7b1c", "tobiko": "#d8232e", "cetriolo": "#5fae3e",
    "avocado": "#b5d660", "cipollotto": "#6cc04a", "maionese": "#ffb060", "zenzero": "#f7b9bf",
}
ACCENT = {
    "salmone": "#ffd8c2", "tonno": "#e8596a", "ricciola": "#e7927c", "gambero": "#f2603c",
    "polpo": "#f7ece9", "capesante": "#ead4b2", "anguilla": "#b36a32", "tamago": "#e9b61f",
    "granchio": "#e2473a", "cetriolo": "#dff3b8", "avocado": "#5f8f2e", "ikura": "#ffd39a",
    "tobiko": "#ff8a8a", "maionese": "#ffd9a6", "zenzero": "#fde3e5",
}


# ---------------------------------------------------------------- small pieces

def grains(r, cx, cy, rx, ry, n=9, color=RICE_SHADE, sw=1.1):
    out = ""
    for _ in range(n):
        a = r.uniform(0, 6.283)
        d = r.next() ** 0.5
        x, y = cx + rx * d * cos(a), cy + ry * d * sin(a)
        ang = r.uniform(-60, 60)
        out += at(x, y, path("M-2,0 Q0,-1.4 2,0", stroke=color, sw=sw), rotate=ang)
    return out


def bead(x, y, rad, color, hi="#ffe2b8", sw=1.0):
    return (circle(x, y, rad, fill=color, stroke=OUT, sw=sw)
            + circle(x - rad * 0.35, y - rad * 0.35, rad * 0.32, fill=hi, opacity=0.9))


def seeds(r, cx, cy, rx, ry, n, color="#f6e7c4", dark=False):
    out = ""
    for _ in range(n):
        a = r.uniform(0, 6.283)
        d = r.next() ** 0.5
        x, y = cx + rx * d * cos(a), cy + ry * d * sin(a)
        c = "#3a2a1e" if (dark and r.next() < 0.3) else color
        out += at(x, y, ellipse(0, 0, 1.5, 0.8, fill=c, stroke="#8a6a3a", sw=0.4), rotate=r.uniform(0, 180))
    return out


def rings(r, cx, cy, rx, ry, n, rad=2.4):
    out = ""
    for _ in range(n):
        a = r.uniform(0, 6.283)
        d = r.next() ** 0.5
        x, y = cx + rx * d * cos(a), cy + ry * d * sin(a)
        out += (circle(x, y, rad, fill="#d8f0b0", stroke=GREEN_DARK, sw=1.1)
                + circle(x, y, rad * 0.4, fill="#9ed36a"))
    return out


def drizzle(x0, y0, w, amp, color="#ff9a3c", sw=2.2, n=4):
    pts = []
    for i in range(n * 2 + 1):
        pts.append((x0 + w * i / (n * 2), y0 + (amp if i % 2 else -amp)))
    return (path(smooth_open(pts), stroke="#c96a1c", sw=sw + 1.4)
            + path(smooth_open(pts), stroke=color, sw=sw))


def wasabi_dab(x, y, s=1.0):
    return at(x, y, path("M-7,2 C-8,-3 -3,-6 0,-6 C4,-7 8,-3 7,1 C6,4 -6,5 -7,2 Z", fill="#8cc63f", stroke=OUT, sw=1.2)
              + path("M-3,-3 C-1,-4 2,-4 3,-3", stroke="#c9ec8a", sw=1.2), scale=s)


def ginger_pile(x, y, s=1.0):
    out = ""
    for i, (dx, dy, rot) in enumerate([(-6, 2, -20), (5, 3, 25), (0, -2, 0), (-3, -5, -35), (5, -4, 40)]):
        out += at(dx, dy, path("M-7,0 C-6,-5 6,-5 7,0 C5,3 -5,3 -7,0 Z", fill="#f7b9bf" if i % 2 else "#f9cdd1",
                               stroke="#b9656e", sw=1.0), rotate=rot)
    return at(x, y, out, scale=s)


# ---------------------------------------------------------------- plates and bases

def porcelain_plate(cx=62, cy=82):
    return (shadow(cx + 3, cy + 13, 54, 14, 0.30)
            + ellipse(cx, cy + 6, 50, 20, fill="#d9d4c8", stroke=OUT, sw=2.2)
            + ellipse(cx, cy, 57, 25, fill="#fbfaf5", stroke=OUT, sw=2.4)
            + ellipse(cx, cy, 51.5, 21.5, stroke=INDIGO, sw=3.2)
            + ellipse(cx, cy, 51.5, 21.5, stroke="#fbfaf5", sw=1.0, extra=' stroke-dasharray="3 5"')
            + ellipse(cx, cy + 1, 41, 16, fill="#f1eee6"))


def slate_plate(cx=62, cy=84):
    d = (f"M{cx-58},{cy-6} C{cx-58},{cy-18} {cx-50},{cy-22} {cx-40},{cy-22} L{cx+44},{cy-22} "
         f"C{cx+54},{cy-22} {cx+58},{cy-16} {cx+58},{cy-6} L{cx+56},{cy+14} C{cx+55},{cy+20} {cx+50},{cy+22} {cx+42},{cy+22} "
         f"L{cx-42},{cy+22} C{cx-50},{cy+22} {cx-56},{cy+20} {cx-57},{cy+14} Z")
    return (shadow(cx + 3, cy + 20, 56, 10, 0.32)
            + at(0, 5, path(d, fill="#23262b", stroke=OUT, sw=2.2))
            + path(d, fill="#3d4249", stroke=OUT, sw=2.4)
            + path(f"M{cx-48},{cy-17} L{cx+40},{cy-17}", stroke="#5a616b", sw=2))


def wooden_board(cx=62, cy=80):
    top = f"M{cx-56},{cy-18} L{cx+52},{cy-24} L{cx+58},{cy+16} L{cx-50},{cy+22} Z"
    out = shadow(cx + 3, cy + 24, 56, 9, 0.32)
    for fx in (-40, 36):  # the two feet of the geta board
        out += rect(cx + fx - 6, cy + 8, 12, 18, fill=WOOD_DARK, stroke=OUT, sw=2)
    out += path(top, fill=WOOD_LIGHT, stroke=OUT, sw=2.4)
    out += path(f"M{cx-50},{cy+22} L{cx+58},{cy+16} L{cx+58},{cy+21} L{cx-50},{cy+27} Z", fill=WOOD_DARK, stroke=OUT, sw=2)
    for i, k in enumerate((-10, 0, 9)):
        out += path(f"M{cx-50},{cy+k} C{cx-20},{cy+k-4} {cx+10},{cy+k+2} {cx+50},{cy+k-5}", stroke=WOOD_GRAIN, sw=1.2)
    return out


def bamboo_mat():
    pts = [(18, 40), (110, 40), (120, 114), (8, 114)]
    out = shadow(66, 116, 56, 8, 0.3)
    out += poly(pts, fill="#d9c27a", stroke=OUT, sw=2.4)
    for i in range(1, 12):
        y = 40 + i * 74 / 12
        t = (y - 40) / 74
        out += line(18 - 10 * t + 1, y, 110 + 10 * t - 1, y, "#b39a52", 1.4)
    out += line(14, 40, 4, 114, "#8a7440", 0)  # keeps the outline order stable
    return out


def mat_nori():
    return poly([(26, 46), (102, 46), (110, 108), (18, 108)], fill=NORI, stroke=OUT, sw=2)


def mat_rice(r):
    d = "M30,58 C40,55 88,55 98,58 L104,104 C80,107 48,107 24,104 Z"
    return path(d, fill=RICE, stroke=OUT, sw=1.6) + grains(r, 64, 81, 34, 20, 26)


MAT_STRIP_Y = [80, 72, 88, 64, 96]


def mat_strip(ing, k, r):
    """A filling laid across the rice, the k-th one from the middle."""
    y = MAT_STRIP_Y[k % len(MAT_STRIP_Y)]
    t = (y - 58) / 46
    x0, x1 = 30 - 6 * t + 2, 98 + 6 * t - 2
    c, a = COLOR[ing], ACCENT.get(ing, "#fff")
    if ing == "sesamo":
        return seeds(r, 64, 82, 34, 20, 40)
    if ing in ("ikura", "tobiko"):
        out = ""
        n = 14 if ing == "ikura" else 26
        for i in range(n):
            x = x0 + (x1 - x0) * (i + 0.5) / n
            out += bead(x, y + r.uniform(-1.5, 1.5), 2.6 if ing == "ikura" else 1.6, c, sw=0.7)
        return out
    if ing == "maionese":
        return drizzle(x0 + 2, y, x1 - x0 - 4, 2.5, n=6)
    if ing == "cipollotto":
        return rings(r, (x0 + x1) / 2, y, (x1 - x0) / 2 - 3, 3, 12, 2.0)
    out = rect(x0, y - 4, x1 - x0, 8, fill=c, stroke=OUT, sw=1.4, rx=3)
    if ing in ("salmone", "tonno", "granchio", "gambero"):
        for i in range(6):
            xx = x0 + 6 + i * (x1 - x0 - 8) / 6
            out += line(xx, y - 3, xx + 4, y + 3, a, 1.4)
    elif ing in ("cetriolo", "avocado"):
        out += line(x0 + 3, y - 1.5, x1 - 3, y - 1.5, a, 1.6)
    elif ing == "tamago":
        out += line(x0 + 3, y, x1 - 3, y, a, 1.4)
    return out


# ---------------------------------------------------------------- nigiri and gunkan

RICE_BODY = "M-20,4 C-22,-6 -14,-11 0,-11 C14,-11 22,-6 20,4 C18,10 -18,10 -20,4 Z"


def rice_piece(r):
    return (ellipse(0, 8, 19, 3.5, fill=SHADOW, opacity=0.25, extra=' filter="url(#soft)"')
            + path(RICE_BODY, fill=RICE, stroke=OUT, sw=2)
            + path("M-16,4 C-12,7 12,7 16,4", stroke=RICE_SHADE, sw=2)
            + grains(r, 0, -2, 14, 6, 8))


SLICE = "M-25,-1 C-25,-13 -11,-17 1,-16 C15,-15 26,-11 25,-1 C22,3 13,-1 0,-2 C-12,-3 -20,4 -25,-1 Z"


def topping(ing, r):
    c, a = COLOR[ing], ACCENT.get(ing, "#fff")
    if ing == "gambero":
        body = "M-22,-1 C-22,-12 -8,-16 4,-15 C14,-14 20,-10 21,-3 C16,0 8,-3 -2,-3 C-12,-3 -18,3 -22,-1 Z"
        tail = "M20,-8 L30,-17 L31,-6 L29,2 Z"
        out = path(tail, fill="#e8432c", stroke=OUT, sw=1.6) + path(body, fill=c, stroke=OUT, sw=1.8)
        for x in (-13, -5, 3, 11):
            out += path(f"M{x},-14 C{x+2},-10 {x+2},-6 {x},-3", stroke=a, sw=2.4)
        return out
    if ing == "capesante":
        return (ellipse(0, -9, 15, 7, fill=c, stroke=OUT, sw=1.8)
                + ellipse(0, -6, 15, 5, fill="#e9d2b0", opacity=0.6)
                + ellipse(0, -11, 12, 4.5, fill="#fbf1e2")
                + path("M-6,-14 C-5,-10 -5,-7 -6,-4 M0,-15 L0,-4 M6,-14 C5,-10 5,-7 6,-4", stroke="#e2c9a2", sw=1))
    if ing == "tamago":
        return (path("M-23,-4 L-21,-16 L21,-16 L23,-4 Z", fill="#ffe067", stroke=OUT, sw=1.8)
                + path("M-23,-4 L23,-4 L23,2 L-23,2 Z", fill=c, stroke=OUT, sw=1.8)
                + line(-19, -11, 19, -11, "#f0c13a", 1.4)
                + path("M-21,-16 L21,-16", stroke="#c8862a", sw=2))
    if ing == "polpo":
        out = path(SLICE, fill="#f8efec", stroke=OUT, sw=1.8)
        out += path("M-25,-1 C-25,-13 -11,-17 1,-16 C15,-15 26,-11 25,-1 C24,-6 14,-11 0,-11 C-12,-11 -22,-7 -25,-1 Z",
                    fill=c, stroke=OUT, sw=1.4)
        for x in (-16, -6, 5, 15):
            out += circle(x, -12.5 + abs(x) * 0.08, 1.6, fill="#f2c6d3", stroke="#7c2a48", sw=0.6)
        return out
    out = path(SLICE, fill=c, stroke=OUT, sw=1.8)
    if ing == "salmone":
        for x in (-16, -8, 0, 8, 16):
            out += path(f"M{x-3},-14 C{x+1},-11 {x+3},-7 {x+2},-2", stroke=a, sw=1.7)
    elif ing == "tonno":
        out += path("M-18,-9 C-8,-13 8,-13 20,-8", stroke=a, sw=2.4, opacity=0.8)
    elif ing == "ricciola":
        out += path("M-24,-2 C-24,-12 -12,-16 0,-15 C12,-14 22,-11 24,-3", stroke=a, sw=3)
    elif ing == "anguilla":
        for x in (-14, -4, 6, 16):
            out += path(f"M{x-2},-15 L{x+2},-3", stroke="#5c2f14", sw=2)
        out += path("M-18,-11 C-8,-15 8,-15 18,-11", stroke="#d99a5a", sw=1.6, opacity=0.8)
    out += path("M-18,-12 C-8,-15 6,-15 14,-13", stroke="#fff", sw=1.4, opacity=0.45)
    return out


def nigiri_garnish(ing, r, base_y=-15):
    if ing == "ikura":
        return "".join(bead(x, base_y - 1 + abs(x) * 0.1, 4.2, COLOR["ikura"], sw=1.0) for x in (-9, 0, 9))
    if ing == "tobiko":
        out = ellipse(0, base_y + 1, 10, 3.5, fill=COLOR["tobiko"], stroke=OUT, sw=1)
        for i in range(14):
            out += circle(r.uniform(-9, 9), base_y + r.uniform(-2, 3), 1.2, fill=ACCENT["tobiko"])
        return out
    if ing == "sesamo":
        return seeds(r, 0, -10, 18, 4, 12, dark=True)
    if ing == "alga":
        return path("M-6,-17 L6,-17 L6,3 L-6,3 Z", fill=NORI, stroke=OUT, sw=1.6) + line(-3, -15, -3, 1, NORI_LIGHT, 1)
    if ing == "cipollotto":
        return rings(r, 0, -13, 10, 2.5, 5, 2.2)
    if ing == "maionese":
        return drizzle(-14, -13, 28, 1.8, n=3, sw=1.8)
    if ing == "wasabi":
        return wasabi_dab(0, -15, 0.6)
    if ing == "zenzero":
        return ginger_pile(0, -16, 0.5)
    if ing in COLOR:
        return ellipse(0, -15, 8, 3, fill=COLOR[ing], stroke=OUT, sw=1)
    return ""


def gunkan_wall():
    return (path("M-19,-10 L-19,7 C-19,12 19,12 19,7 L19,-10 Z", fill=NORI, stroke=OUT, sw=2)
            + path("M-13,-7 L-13,8 M-5,-6 L-5,10", stroke=NORI_LIGHT, sw=1.2)
            + ellipse(0, -10, 19, 6, fill=NORI, stroke=OUT, sw=2)
            + ellipse(0, -10, 16, 4.5, fill=RICE))


def gunkan_filling(ing, r, first):
    y = -12
    if ing in ("ikura", "tobiko"):
        out = ""
        rad = 3.2 if ing == "ikura" else 1.7
        rows = [(-11, 0), (-4, 0), (3, 0), (10, 0), (-7, -4), (0, -4.5), (7, -4), (-3, -8), (4, -8)] if ing == "ikura" else \
            [(x, yy) for yy in (0, -3, -6) for x in range(-12 + int(-yy), 13 + int(yy), 3)]
        if not first:
            rows = rows[-4:]
        for x, yy in rows:
            out += bead(x, y + yy, rad, COLOR[ing], sw=0.8 if ing == "ikura" else 0.5)
        return out
    if ing == "tonno":
        return (path(rounded_blob(0, y - 3, 14, 6, 0.18, 14, 0.4), fill="#e0707c", stroke=OUT, sw=1.6)
                + grains(r, 0, y - 3, 10, 4, 10, color="#b23a4a", sw=1.2))
    if ing == "granchio":
        out = path(rounded_blob(0, y - 3, 14, 6, 0.2, 14, 1.1), fill=COLOR["granchio"], stroke=OUT, sw=1.6)
        for _ in range(6):
            x = r.uniform(-10, 10)
            out += path(f"M{x-3},{y-4+r.uniform(-2,2)} l6,{r.uniform(-1.5,1.5)}", stroke="#e2473a", sw=1.6)
        return out
    if ing == "salmone":
        return path(rounded_blob(0, y - 3, 14, 6, 0.2, 14, 2.0), fill=COLOR["salmone"], stroke=OUT, sw=1.6)
    if ing == "cipollotto":
        return rings(r, 0, y - 5, 10, 3, 6, 2.3)
    if ing == "maionese":
        return drizzle(-11, y - 5, 22, 2, n=3, sw=2)
    return nigiri_garnish(ing, r, y)


def rice_line(picks, r):
    """Nigiri or gunkan on the porcelain plate, built pick by pick after the rice."""
    rest = picks[1:]
    gunkan = bool(rest) and rest[0] == "alga"
    layers = []
    topped = False
    for i, ing in enumerate(rest):
        if gunkan and i == 0:
            layers.append(("wall", ing))
        elif ing == "wasabi" and not topped:
            layers.append(("dab", ing))
        elif gunkan:
            layers.append(("fill", ing, not topped))
            topped = True
        elif not topped and ing in FISH_TOPPINGS:
            layers.append(("top", ing))
            topped = True
        else:
            layers.append(("garnish", ing))

    def piece(seed):
        rr = Rand(seed)
        out = rice_piece(rr)
        for L in layers:
            if L[0] == "wall":
                out += gunkan_wall()
            elif L[0] == "dab":
                out += wasabi_dab(2, -10, 0.7)
            elif L[0] == "top":
                out += topping(L[1], rr)
            elif L[0] == "fill":
                out += gunkan_filling(L[1], rr, L[2])
            else:
                out += nigiri_garnish(L[1], rr, -16 if topped else -10)
        return out

    return (porcelain_plate()
            + at(44, 68, piece(r.next() * 1e6 // 1), scale=1.32, rotate=-8)
            + at(81, 84, piece(r.next() * 1e6 // 1), scale=1.32, rotate=-8))


# ---------------------------------------------------------------- sashimi

SASHIMI_SPOTS = [(30, 78), (60, 74), (90, 70)]


def sashimi_group(ing, r):
    c, a = COLOR[ing], ACCENT.get(ing, "#fff")
    out = ""
    for k in range(3):
        sl = path("M-13,4 C-14,-5 -8,-10 0,-10 C9,-10 14,-5 13,4 C8,6 -8,6 -13,4 Z", fill=c, stroke=OUT, sw=1.6)
        if ing == "salmone":
            sl += "".join(path(f"M{x-2},-9 C{x+1},-5 {x+2},0 {x+1},4", stroke=a, sw=1.4) for x in (-7, 0, 7))
        elif ing == "tonno":
            sl += path("M-9,-3 C-3,-7 4,-7 10,-3", stroke=a, sw=2)
        elif ing == "ricciola":
            sl += path("M-13,4 C-14,-5 -8,-10 0,-10 C9,-10 14,-5 13,4", stroke=a, sw=2.6)
        else:
            sl += ellipse(0, -2, 7, 2, fill=a, opacity=0.6)
        out += at(-10 + k * 9, 1 - k * 1.5, sl, rotate=-18 + k * 8)
    return out


def sashimi_line(picks, r):
    out = wooden_board()
    fish = [p for p in picks if p not in ("zenzero", "wasabi")]
    spots = {1: [(58, 74)], 2: [(42, 76), (80, 68)]}.get(len(fish), SASHIMI_SPOTS)
    garn_spots = [(98, 86), (24, 84)] if len(fish) < 3 else [(86, 90), (44, 92)]
    gi = 0
    fi = 0
    order = []
    for p in picks:
        if p in ("zenzero", "wasabi"):
            order.append((p, garn_spots[gi % 2]))
            gi += 1
        else:
            order.append((p, spots[min(fi, len(spots) - 1)]))
            fi += 1
    # far things first so nearer slices overlap them
    for p, (x, y) in sorted(order, key=lambda o: o[1][1]):
        if p == "zenzero":
            out += ginger_pile(x, y, 0.95)
        elif p == "wasabi":
            out += wasabi_dab(x, y, 1.1)
        else:
            out += at(x, y, sashimi_group(p, r), scale=1.45 if len(fish) < 3 else 1.2)
    return out


# ---------------------------------------------------------------- rolls

def fillings_of(picks):
    return [p for p in picks if p not in ("alga", "riso", "sesamo", "maionese", "cipollotto")]


def roll_slice(kind, fill, rad, r, seed=1):
    """One cut piece of a roll, standing on the plate, seen from above and in front."""
    rr = Rand(seed)
    ry = rad * 0.72
    h = rad * 0.55
    out = ellipse(0, h + 2, rad, ry * 0.6, fill=SHADOW, opacity=0.3, extra=' filter="url(#soft)"')
    if kind == "uramaki":
        side = path(f"M{-rad},0 L{-rad},{h} A{rad},{ry} 0 0 0 {rad},{h} L{rad},0 Z", fill="#efe7d6", stroke=OUT, sw=1.8)
        out += side + seeds(rr, 0, h * 0.8, rad * 0.85, ry * 0.3, 6, dark=True)
        out += ellipse(0, 0, rad, ry, fill=RICE, stroke=OUT, sw=1.8)
        out += seeds(rr, 0, 0, rad * 0.92, ry * 0.9, int(rad * 1.6), dark=True)
        inner = rad * 0.62
        out += ellipse(0, 0, inner, inner * 0.72, fill=NORI, stroke=OUT, sw=1)
        out += ellipse(0, 0, inner - 2.2, (inner - 2.2) * 0.72, fill=RICE)
        core = inner - 4
    else:
        out += path(f"M{-rad},0 L{-rad},{h} A{rad},{ry} 0 0 0 {rad},{h} L{rad},0 Z", fill=NORI, stroke=OUT, sw=1.8)
        out += path(f"M{-rad+3},{h*0.4} L{-rad+3},{h+1}", stroke=NORI_LIGHT, sw=1.2)
        out += ellipse(0, 0, rad, ry, fill=NORI, stroke=OUT, sw=1.8)
        out += ellipse(0, 0, rad - 2.6, ry - 2.2, fill=RICE)
        out += grains(rr, 0, 0, rad * 0.75, ry * 0.7, int(rad), sw=0.9)
        core = rad * (0.42 if kind == "maki" else 0.58)
    cry = core * 0.72
    n = len(fill)
    if n == 1:
        out += ellipse(0, 0, core, cry, fill=COLOR[fill[0]], stroke=OUT, sw=1.2)
        if fill[0] == "cetriolo":
            out += ellipse(0, -0.5, core * 0.55, cry * 0.5, fill=ACCENT["cetriolo"])
        elif fill[0] in ACCENT:
            out += ellipse(-core * 0.2, -cry * 0.3, core * 0.35, cry * 0.25, fill=ACCENT[fill[0]], opacity=0.7)
    else:
        for i, ing in enumerate(fill):
            a0 = -90 + 360 * i / n
            x, y = polar(0, 0, core * 0.45, a0)
            y *= 0.72
            w = core * (0.95 if n == 2 else 0.75)
            out += at(x, y, rect(-w / 2, -w * 0.36, w, w * 0.72, fill=COLOR[ing], stroke=OUT, sw=1, rx=1.5))
    return out


def roll_plate(kind, picks, r):
    fill = fillings_of(picks) or ["riso"]
    out = slate_plate()
    if kind == "futomaki":
        spots, rad = [(40, 78), (86, 82)], 24
    elif kind == "uramaki":
        spots, rad = [(30, 80), (62, 72), (96, 80)], 18
    else:
        spots, rad = [(31, 80), (63, 72), (95, 80)], 17
    spots = sorted(spots, key=lambda s: s[1])
    for i, (x, y) in enumerate(spots):
        out += at(x, y - 6, roll_slice(kind, fill, rad, r, seed=i + 3))
    if "maionese" in picks:
        out += drizzle(22, 64, 84, 2.5, n=8, sw=2.4)
    if "cipollotto" in picks:
        out += rings(r, 64, 62, 34, 5, 8, 2.0)
    if kind == "uramaki" and "tobiko" in picks:
        out += seeds(r, 64, 66, 30, 6, 12, color="#ff6a3a")
    return out


def temaki_plate(picks, r):
    fill = fillings_of(picks)
    out = slate_plate()
    # a hand roll lying across the plate: tip down-left, open mouth up-right
    cone = "M16,106 C30,92 50,70 60,56 C70,44 98,48 104,68 C92,78 42,98 16,106 Z"
    out += path(cone, fill=NORI, stroke=OUT, sw=2.4)
    out += path("M26,100 C44,82 56,70 68,60 M40,98 C56,86 70,76 84,66", stroke=NORI_LIGHT, sw=1.6)
    mx, my = 82, 62
    out += at(mx, my, ellipse(0, 0, 23, 11, fill=RICE, stroke=OUT, sw=2), rotate=-28)
    out += grains(r, mx, my, 15, 6, 10)
    for i, ing in enumerate(fill):
        ang = -35 + i * 26 - 13 * (len(fill) - 1)
        x, y = polar(mx - 2, my - 2, 6, ang - 90)
        c, a = COLOR[ing], ACCENT.get(ing, "#fff")
        stick = path("M-6,2 L-5,-20 C-4,-27 4,-27 5,-20 L6,2 Z", fill=c, stroke=OUT, sw=1.8)
        if ing == "salmone":
            stick += "".join(path(f"M-4,{yy} L4,{yy-4}", stroke=a, sw=1.8) for yy in (-16, -9, -2))
        elif ing == "avocado":
            stick += path("M-5,0 L-4,-21 C-3,-25 0,-25 1,-24", stroke=a, sw=2.4)
        elif ing in a and ing in ACCENT:
            stick += line(0, -20, 0, 0, a, 1.6)
        out += at(x, y, stick, rotate=ang, scale=0.85)
    return out


def form_of(kind):
    for pre in ("nigiri", "gunkan", "futomaki", "uramaki", "temaki", "sashimi", "maki"):
        if kind.startswith(pre):
            return pre
    return "maki"


def preparation(picks, kind=None):
    """The preparation after these picks; kind is the plate a finished node makes, if any."""
    r = Rand(seed_of("/".join(picks)))
    first = picks[0]
    if first == "riso":
        body = rice_line(picks, r)
    elif first == "alga" and kind:
        form = form_of(kind)
        body = temaki_plate(picks, r) if form == "temaki" else roll_plate(form, picks, r)
    elif first == "alga":
        body = bamboo_mat() + mat_nori()
        k = 0
        for ing in picks[1:]:
            if ing == "riso":
                body += mat_rice(r)
            else:
                body += mat_strip(ing, k, r)
                if ing != "sesamo":
                    k += 1
    else:
        body = sashimi_line(picks, r)
    # Seen a little more from above than drawn, so the food reads at 64 pixels; lifted into the
    # upper part of the square, because on the belt the price tag covers the lower right.
    return g(body, "translate(64,58) scale(1.06,1.38) translate(-62,-72)")


# ---------------------------------------------------------------- ingredient tiles (64 x 64)

def icon(ing):
    r = Rand(seed_of(ing))
    c, a = COLOR.get(ing, "#ccc"), ACCENT.get(ing, "#fff")
    sh = shadow(31, 50, 22, 5, 0.28)
    if ing == "riso":
        return (sh + path("M10,30 C10,48 20,54 31,54 C42,54 52,48 52,30 Z", fill=RED, stroke=OUT, sw=2)
                + path("M14,42 C22,48 40,48 48,42", stroke=RED_DARK, sw=2)
                + path(rounded_blob(31, 28, 21, 10, 0.12, 12, 0.3), fill=RICE, stroke=OUT, sw=2)
                + grains(r, 31, 27, 16, 7, 16) + path("M10,30 L52,30", stroke=OUT, sw=2))
    if ing == "alga":
        return (sh + at(31, 30, rect(-19, -19, 38, 38, fill=NORI, stroke=OUT, sw=2, rx=2)
                        + path("M-13,-19 L-13,19 M-2,-19 L-2,19 M9,-19 L9,19", stroke=NORI_LIGHT, sw=1.4), rotate=-8)
                + at(36, 25, rect(-17, -17, 34, 34, fill="#354733", stroke=OUT, sw=2, rx=2)
                     + path("M-11,-17 L-11,17 M0,-17 L0,17 M11,-17 L11,17", stroke=NORI_LIGHT, sw=1.4), rotate=6))
    if ing == "wasabi":
        return (sh + path("M8,40 C14,26 38,20 56,24 C48,34 30,48 8,40 Z", fill="#7fb13c", stroke=OUT, sw=2)
                + path("M12,38 C26,34 40,28 52,25", stroke="#4c7d22", sw=1.4)
                + wasabi_dab(30, 30, 1.7))
    if ing == "sesamo":
        return (sh + ellipse(31, 38, 21, 12, fill="#2d2d33", stroke=OUT, sw=2)
                + ellipse(31, 34, 21, 10, fill="#44444c", stroke=OUT, sw=2)
                + seeds(r, 31, 33, 16, 6, 34, dark=True))
    if ing in ("salmone", "tonno", "ricciola"):
        block = "M10,26 L44,18 L54,30 L54,42 L20,50 L10,38 Z"
        out = sh + path(block, fill=c, stroke=OUT, sw=2)
        out += path("M10,26 L44,18 L54,30 L20,38 Z", fill=ACCENT[ing] if ing == "ricciola" else c, stroke=OUT, sw=1.6)
        out += path("M20,38 L20,50", stroke=OUT, sw=1.6)
        if ing == "salmone":
            for k in range(5):
                out += path(f"M{16+k*7},{36-k*2} C{20+k*7},{32-k*2} {24+k*7},{27-k*2} {24+k*7},{22-k*1.6}", stroke=a, sw=1.8)
                out += path(f"M{22+k*6.5},{48-k*1.6} L{22+k*6.5},{38-k*1.6}", stroke=a, sw=1.6)
        elif ing == "tonno":
            out += path("M18,30 C28,26 38,24 48,26", stroke=a, sw=2.4)
            out += path("M26,46 C34,44 42,42 50,40", stroke="#a5212f", sw=2)
        else:
            out += path("M14,27 C26,24 36,21 44,20", stroke="#f9e8dc", sw=2)
            out += path("M22,48 C32,46 42,43 52,41", stroke="#d9806a", sw=3)
        return out
    if ing == "gambero":
        body = ("M14,40 C8,28 16,14 30,12 C42,10 52,18 52,28 C46,24 38,22 32,24 C26,26 24,34 28,42 Z")
        out = sh + path("M28,42 L20,54 L32,50 L36,54 L34,42 Z", fill="#e8432c", stroke=OUT, sw=1.8)
        out += path(body, fill=c, stroke=OUT, sw=2)
        for k, (x1, y1, x2, y2) in enumerate([(20, 18, 28, 24), (30, 13, 32, 23), (40, 14, 38, 23), (47, 19, 43, 25), (14, 28, 25, 30), (14, 36, 25, 36)]):
            out += line(x1, y1, x2, y2, a, 2.2)
        out += circle(46, 22, 1.6, fill=OUT)
        return out
    if ing == "polpo":
        out = sh
        for k, (x, y, rot) in enumerate([(20, 30, -25), (34, 26, 10), (44, 36, 40)]):
            t = path("M-5,14 C-7,0 -4,-12 4,-14 C10,-14 10,-8 6,-6 C2,-4 2,4 5,14 Z", fill=c, stroke=OUT, sw=2)
            t += "".join(circle(1 + (yy + 14) * 0.05, yy, 1.6, fill="#f7d8e2", stroke="#7c2a48", sw=0.6) for yy in (-6, -1, 4, 9))
            out += at(x, y, t, rotate=rot)
        return out
    if ing == "capesante":
        shell = ""
        for k in range(-3, 4):
            shell += path(f"M31,44 L{31+k*7},{18+abs(k)*2}", stroke="#d98a5a", sw=1.6)
        return (sh + path("M8,36 C10,16 52,16 54,36 C48,44 14,44 8,36 Z", fill="#f7c8a0", stroke=OUT, sw=2) + shell
                + ellipse(31, 34, 14, 7, fill="#fff3e0", stroke=OUT, sw=1.8)
                + ellipse(31, 32, 10, 4, fill="#fffaf0"))
    if ing == "anguilla":
        out = sh + path("M8,28 C20,20 44,18 56,26 L54,40 C42,34 20,36 10,44 Z", fill=c, stroke=OUT, sw=2)
        for x in (18, 28, 38, 48):
            out += path(f"M{x},{24-(x-8)*0.02} L{x+3},{38-(x-8)*0.05}", stroke="#5c2f14", sw=2.4)
        out += path("M14,30 C26,24 42,23 52,27", stroke="#d99a5a", sw=2, opacity=0.8)
        return out
    if ing == "tamago":
        return (sh + path("M10,24 L40,16 L54,24 L54,40 L24,48 L10,40 Z", fill=c, stroke=OUT, sw=2)
                + path("M10,24 L40,16 L54,24 L24,32 Z", fill="#ffe88a", stroke=OUT, sw=1.6)
                + path("M24,32 L24,48", stroke=OUT, sw=1.6)
                + path("M12,30 L24,37 L54,29 M12,35 L24,42 L54,34", stroke=a, sw=1.4)
                + path("M18,24 L40,18", stroke="#c8862a", sw=1.6))
    if ing == "granchio":
        out = sh
        for k, (x, y) in enumerate([(16, 38), (28, 32), (40, 26)]):
            stick = (rect(-16, -5, 32, 10, fill=COLOR["granchio"], stroke=OUT, sw=1.8, rx=5)
                     + path("M-15,-3 C-8,-6 8,-6 15,-3 L15,-1 C8,-4 -8,-4 -15,-1 Z", fill="#e2473a"))
            out += at(x + 6, y, stick, rotate=-20)
        return out
    if ing in ("ikura", "tobiko"):
        out = sh + ellipse(31, 40, 22, 10, fill="#2f4f86", stroke=OUT, sw=2) + ellipse(31, 36, 22, 10, fill="#4a6fae", stroke=OUT, sw=2)
        rad = 3.6 if ing == "ikura" else 2.0
        pts = []
        step = rad * 1.6
        yy = 36
        row = 0
        while yy > 20:
            w = 16 - (36 - yy) * 0.55
            x = -w
            while x <= w:
                pts.append((31 + x + (step / 2 if row % 2 else 0), yy))
                x += step
            yy -= step * 0.8
            row += 1
        for x, y in pts:
            out += bead(x, y, rad, c, sw=0.8 if ing == "ikura" else 0.5)
        return out
    if ing == "cetriolo":
        return (sh + at(28, 30, rect(-22, -7, 44, 14, fill=c, stroke=OUT, sw=2, rx=7)
                        + path("M-16,-4 L16,-4", stroke="#8fd06a", sw=1.6), rotate=-25)
                + ellipse(42, 38, 11, 11, fill=GREEN_DARK, stroke=OUT, sw=2)
                + circle(42, 38, 8.5, fill=a)
                + "".join(circle(42 + 4 * cos(k), 38 + 4 * sin(k), 1, fill="#b7d98a") for k in range(0, 6)))
    if ing == "avocado":
        return (sh + path("M31,8 C42,8 48,22 50,34 C52,46 42,54 31,54 C20,54 10,46 12,34 C14,22 20,8 31,8 Z",
                          fill="#4d7a24", stroke=OUT, sw=2)
                + path("M31,12 C40,12 45,24 46,34 C47,44 40,50 31,50 C22,50 15,44 16,34 C17,24 22,12 31,12 Z", fill=c)
                + circle(31, 36, 8.5, fill="#9a5a2a", stroke=OUT, sw=1.8)
                + circle(28.5, 33.5, 2.4, fill="#c98a4a"))
    if ing == "cipollotto":
        return (sh + at(30, 28, rect(-24, -3.5, 40, 7, fill="#e9f5dc", stroke=OUT, sw=1.8, rx=3.5)
                        + path("M14,-3 L26,-9 L27,-5 L16,1 Z M14,0 L27,2 L26,6 L15,4 Z", fill=c, stroke=OUT, sw=1.6), rotate=-15)
                + rings(r, 30, 44, 14, 4, 6, 2.6))
    if ing == "maionese":
        return (sh + rect(20, 16, 22, 34, fill="#ff9a3c", stroke=OUT, sw=2, rx=7)
                + rect(24, 20, 5, 24, fill="#ffc48a", rx=2.5)
                + path("M26,16 L28,8 L34,8 L36,16 Z", fill=RED, stroke=OUT, sw=1.8)
                + path("M30,8 L31,3", stroke=OUT, sw=2.4)
                + rect(22, 28, 18, 10, fill=CREAM, stroke=OUT, sw=1.2, rx=2)
                + path("M25,33 C28,30 31,36 34,33 C36,31 37,34 38,33", stroke=RED, sw=1.4))
    if ing == "zenzero":
        return sh + ellipse(31, 40, 20, 8, fill=WOOD, stroke=OUT, sw=2) + ginger_pile(31, 31, 1.7)
    return sh + circle(31, 30, 18, fill=c, stroke=OUT, sw=2)

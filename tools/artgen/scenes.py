"""Big pictures: the belt and counter of the game screen, the five welcome scenes, the logo."""

import math

import food
from svg import *

W, H = 800, 480


# ---------------------------------------------------------------- shared scenery

def lantern(x, y, s=1.0, color=RED, glow=True):
    out = ""
    if glow:
        out += circle(x, y + 30 * s, 70 * s, fill="url(#lanternGlow)")
    body = (line(0, -30, 0, -12, OUT, 2)
            + rect(-11, -14, 22, 7, fill="#2b2320", stroke=OUT, sw=2, rx=2)
            + path("M-20,-4 C-28,14 -28,46 -20,62 L20,62 C28,46 28,14 20,-4 Z", fill=color, stroke=OUT, sw=2.5)
            + "".join(path(f"M{-24 + 0.3*abs(k)},{k*6+28} C-8,{k*6+31} 8,{k*6+31} {24 - 0.3*abs(k)},{k*6+28}",
                           stroke=RED_DARK if color == RED else "#00000033", sw=1.3) for k in range(-4, 6))
            + path("M-10,4 C-14,18 -14,38 -10,52", stroke="#fff", sw=3, opacity=0.35)
            + rect(-13, -6, 26, 5, fill="#2b2320", rx=2)
            + rect(-13, 59, 26, 6, fill="#2b2320", stroke=OUT, sw=2, rx=2)
            + line(0, 65, 0, 76, "#2b2320", 2) + path("M-3,76 L3,76 L4,86 L-4,86 Z", fill="#2b2320"))
    return out + at(x, y, body, scale=s)


def noren(x, y, w, h, color=INDIGO, panels=3, emblem=True):
    pw = w / panels
    out = rect(x - 6, y - 8, w + 12, 8, fill="#7a5030", stroke=OUT, sw=2, rx=3)
    for i in range(panels):
        px = x + i * pw + 1.5
        sway = 2 if i % 2 else -2
        out += path(f"M{px},{y} L{px + pw - 3},{y} L{px + pw - 3 + sway},{y + h} L{px + sway},{y + h} Z",
                    fill=color, stroke=OUT, sw=2)
        out += path(f"M{px + 4},{y + h - 10} L{px + pw - 7 + sway},{y + h - 10}", stroke="#ffffff", sw=1.5, opacity=0.35)
    if emblem:
        cx, cy = x + w / 2, y + h * 0.45
        r = min(w, h) * 0.22
        out += circle(cx, cy, r, fill="#fff6e4", stroke=OUT, sw=2)
        out += fish_symbol(cx, cy, r * 0.75, color)
    return out


def fish_symbol(cx, cy, r, color):
    return at(cx, cy, path("M-10,0 C-5,-7 6,-7 10,0 C6,7 -5,7 -10,0 Z M10,0 L16,-6 L15,0 L16,6 Z", fill=color)
              + circle(-4.5, -1.2, 1.3, fill="#fff6e4"), scale=r / 12)


def wood_planks(x, y, w, h, base=WOOD, dark=WOOD_DARK, vertical=False, n=None, seed=5):
    r = Rand(seed)
    out = rect(x, y, w, h, fill=base)
    n = n or max(1, int((w if vertical else h) / 40))
    for i in range(n + 1):
        if vertical:
            xx = x + i * w / n
            out += line(xx, y, xx, y + h, dark, 2)
            for _ in range(2):
                gx = xx + r.uniform(8, w / n - 8)
                out += path(f"M{f(gx)},{y} C{f(gx + 6)},{f(y + h * 0.3)} {f(gx - 6)},{f(y + h * 0.6)} {f(gx + 2)},{y + h}",
                            stroke=dark, sw=1, opacity=0.35)
        else:
            yy = y + i * h / n
            out += line(x, yy, x + w, yy, dark, 2)
            for _ in range(2):
                gy = yy + r.uniform(6, h / n - 6)
                out += path(f"M{x},{f(gy)} C{f(x + w * 0.3)},{f(gy - 5)} {f(x + w * 0.6)},{f(gy + 5)} {x + w},{f(gy - 2)}",
                            stroke=dark, sw=1, opacity=0.35)
    return out


def shoji(x, y, w, h, lit=True):
    out = rect(x, y, w, h, fill="#fff3d6" if lit else "#e8dcc0", stroke="#6b4428", sw=5)
    for i in range(1, 4):
        out += line(x + i * w / 4, y, x + i * w / 4, y + h, "#8a5a34", 2.5)
    for j in range(1, 5):
        out += line(x, y + j * h / 5, x + w, y + j * h / 5, "#8a5a34", 2.5)
    return out


def teacup(x, y, s=1.0, steam=True):
    body = (shadow(2, 22, 17, 4, 0.3)
            + path("M-15,-6 L-12,16 C-11,21 11,21 12,16 L15,-6 Z", fill="#7b8f6a", stroke=OUT, sw=2)
            + path("M-14,2 L14,2", stroke="#5d6f4e", sw=3)
            + ellipse(0, -6, 15, 4.5, fill="#9fb38c", stroke=OUT, sw=2)
            + ellipse(0, -5.5, 12, 3, fill="#b6a24a"))
    if steam:
        body += path("M-4,-12 C-8,-18 0,-22 -4,-30 M5,-12 C1,-18 9,-22 5,-30", stroke="#fff", sw=2.5, opacity=0.7)
    return at(x, y, body, scale=s)


def soy_dish(x, y, s=1.0):
    return at(x, y, shadow(2, 6, 15, 3, 0.3) + ellipse(0, 0, 15, 6, fill="#f4f1ea", stroke=OUT, sw=2)
              + ellipse(0, 0, 11, 4, fill="#4a2410"), scale=s)


def soy_bottle(x, y, s=1.0):
    body = (shadow(2, 30, 11, 3, 0.35)
            + path("M-9,4 C-10,-6 -5,-8 -4,-12 L4,-12 C5,-8 10,-6 9,4 L9,28 C9,31 -9,31 -9,28 Z", fill="#f4f7f8", stroke=OUT, sw=2)
            + path("M-8,10 L8,10 L8,28 C8,30 -8,30 -8,28 Z", fill="#3a1a0c")
            + rect(-5, -18, 10, 7, fill=RED, stroke=OUT, sw=1.6, rx=2)
            + path("M-6,0 L-6,24", stroke="#fff", sw=2, opacity=0.5))
    return at(x, y, body, scale=s)


def chopsticks(x, y, s=1.0, rot=0):
    body = (rect(-4, 2, 10, 5, fill="#c9b59a", stroke=OUT, sw=1.5, rx=2)
            + line(-30, 0, 34, -4, "#9a5a2a", 3.2) + line(-30, 6, 34, 5, "#9a5a2a", 3.2))
    return at(x, y, body, scale=s, rotate=rot)


def maneki_neko(x, y, s=1.0):
    body = (shadow(0, 40, 22, 5, 0.35)
            + path("M-18,38 C-22,10 -16,-4 0,-4 C16,-4 22,10 18,38 Z", fill="#fffaf2", stroke=OUT, sw=2)
            + circle(0, -14, 17, fill="#fffaf2", stroke=OUT, sw=2)
            + path("M-15,-22 L-13,-36 L-4,-28 Z M15,-22 L13,-36 L4,-28 Z", fill="#fffaf2", stroke=OUT, sw=2)
            + path("M-13,-25 L-12,-32 L-7,-28 Z M13,-25 L12,-32 L7,-28 Z", fill="#f49a9a")
            + path("M-9,-15 Q-6,-18 -3,-15 M3,-15 Q6,-18 9,-15", stroke=OUT, sw=1.8)
            + path("M-3,-8 Q0,-5 3,-8", stroke=OUT, sw=1.4)
            + circle(-8, -22, 4, fill="#f2a33a", opacity=0.8)
            + path("M-13,0 C-8,4 8,4 13,0", stroke=RED, sw=3)
            + circle(0, 4, 3.5, fill=GOLD, stroke=OUT, sw=1.2)
            + path("M14,-2 C20,-10 22,-20 18,-28 C14,-30 12,-26 14,-22 C15,-16 12,-8 10,-4 Z", fill="#fffaf2", stroke=OUT, sw=2)
            + ellipse(0, 22, 9, 11, fill=GOLD, stroke=OUT, sw=1.6))
    return at(x, y, body, scale=s)


def bamboo(x, y, h, s=1.0):
    out = ""
    for k, dx in enumerate((-6, 4, 12)):
        hh = h * (1 - 0.15 * k)
        out += rect(dx - 3, -hh, 6, hh, fill="#7fb24a", stroke=OUT, sw=1.4, rx=2)
        for j in range(1, int(hh / 22) + 1):
            out += line(dx - 3, -j * 22, dx + 3, -j * 22, GREEN_DARK, 1.6)
        out += path(f"M{dx},{-hh+10} C{dx+10},{-hh+4} {dx+18},{-hh+8} {dx+22},{-hh+14} C{dx+14},{-hh+14} {dx+6},{-hh+13} {dx},{-hh+10} Z",
                    fill="#8cc653", stroke=OUT, sw=1.2)
        out += path(f"M{dx},{-hh+24} C{dx-10},{-hh+18} {dx-18},{-hh+22} {dx-22},{-hh+28} C{dx-14},{-hh+28} {dx-6},{-hh+27} {dx},{-hh+24} Z",
                    fill="#8cc653", stroke=OUT, sw=1.2)
    pot = path("M-18,0 L18,0 L14,16 L-14,16 Z", fill="#5a6b7a", stroke=OUT, sw=2)
    return at(x, y, shadow(0, 16, 20, 4, 0.3) + out + pot, scale=s)


def tea_urn(x, y, s=1.0):
    body = (shadow(0, 34, 18, 4, 0.35)
            + rect(-16, -18, 32, 52, fill="url(#steelShine)", stroke=OUT, sw=2, rx=6)
            + rect(-12, -26, 24, 10, fill=STEEL_DARK, stroke=OUT, sw=2, rx=3)
            + rect(16, 4, 10, 6, fill=STEEL_DARK, stroke=OUT, sw=1.6, rx=2)
            + circle(0, 6, 7, fill=RED, stroke=OUT, sw=1.6)
            + path("M-10,-12 L-10,28", stroke="#fff", sw=3, opacity=0.5))
    return at(x, y, body, scale=s)


def plate_stack(x, y, s=1.0, colors=(RED, INDIGO, GOLD, "#3f8f5a")):
    out = shadow(0, 6, 26, 5, 0.3)
    for i, c in enumerate(colors):
        yy = -i * 7
        out += ellipse(0, yy + 3, 22, 7, fill="#d9d4c8", stroke=OUT, sw=1.6)
        out += ellipse(0, yy, 24, 8, fill="#fbfaf5", stroke=OUT, sw=1.8)
        out += ellipse(0, yy, 19, 5.5, stroke=c, sw=2.4)
    return at(x, y, out, scale=s)


def blossom_branch(x, y, s=1.0, flip=False):
    r = Rand(31 if flip else 17)
    out = path("M0,0 C40,10 80,30 130,28 M60,20 C80,0 100,-4 120,-6 M95,29 C110,45 120,60 140,62",
               stroke="#4a2c1c", sw=5)
    for (bx, by) in ((40, 10), (70, 20), (100, 28), (128, 27), (84, 6), (118, -6), (112, 48), (138, 60), (55, 14)):
        for k in range(5):
            px, py = polar(bx, by, 5, k * 72 + r.uniform(0, 20))
            out += circle(px, py, 4.2, fill="#ffd0dc", stroke="#d98aa0", sw=0.8)
        out += circle(bx, by, 2.2, fill="#e05a7a")
    t = "scale(-1,1)" if flip else ""
    return g(g(out, t), f"translate({x},{y}) scale({s})")


def chef(x, y, s=1.0):
    body = (path("M-44,120 C-44,70 -30,52 0,52 C30,52 44,70 44,120 Z", fill="#fbfbf6", stroke=OUT, sw=2.5)
            + path("M-10,54 L0,80 L10,54", stroke=OUT, sw=2, fill="#e9e4da")
            + path("M-30,70 C-40,90 -40,104 -30,116", stroke="#d9d4c8", sw=3)
            + rect(-44, 96, 88, 10, fill=INDIGO, stroke=OUT, sw=2)
            + circle(0, 22, 30, fill=SKIN, stroke=OUT, sw=2.5)
            + path("M-31,12 C-30,-12 30,-12 31,12 C20,4 -20,4 -31,12 Z", fill="#2a211c", stroke=OUT, sw=2)
            + rect(-32, 2, 64, 11, fill="#fff", stroke=OUT, sw=2, rx=5)
            + path("M-30,7 L30,7", stroke=RED, sw=3)
            + path("M26,4 L40,-6 L38,10 Z", fill="#fff", stroke=OUT, sw=1.8)
            + _smile_face(0, 26)
            + circle(-31, 26, 5, fill=SKIN, stroke=OUT, sw=2) + circle(31, 26, 5, fill=SKIN, stroke=OUT, sw=2))
    return at(x, y, body, scale=s)


def _smile_face(cx, cy):
    return (path(f"M{cx-14},{cy-2} Q{cx-10},{cy-7} {cx-6},{cy-2} M{cx+6},{cy-2} Q{cx+10},{cy-7} {cx+14},{cy-2}", stroke=OUT, sw=2.4)
            + path(f"M{cx-8},{cy+10} Q{cx},{cy+18} {cx+8},{cy+10} Z", fill="#9a2f2f", stroke=OUT, sw=2)
            + ellipse(cx - 18, cy + 8, 4, 2.5, fill="#f39a9a", opacity=0.8)
            + ellipse(cx + 18, cy + 8, 4, 2.5, fill="#f39a9a", opacity=0.8)
            + path(f"M{cx-10},{cy-12} L{cx-4},{cy-11} M{cx+4},{cy-11} L{cx+10},{cy-12}", stroke="#2a211c", sw=2.4))


def belt_band(pts, width=80, seam_every=16, rails=True):
    """A conveyor band along a dense centreline: red rails and steel slats with seams."""
    d = "M" + " L".join(f"{f(x)},{f(y)}" for x, y in pts) + " Z"
    out = path(d, stroke=SHADOW, sw=width + 26, opacity=0.25, extra=' filter="url(#soft)"')
    if rails:
        out += path(d, stroke=OUT, sw=width + 22)
        out += path(d, stroke=RED_DARK, sw=width + 18)
        out += path(d, stroke=RED, sw=width + 12)
        out += path(d, stroke=OUT, sw=width + 2)
    out += path(d, stroke=STEEL, sw=width)
    out += path(d, stroke=STEEL_LIGHT, sw=width - 16)
    # seams across the band
    acc = 0.0
    seams = ""
    n = len(pts)
    for i in range(n):
        x0, y0 = pts[i]
        x1, y1 = pts[(i + 1) % n]
        seg = math.hypot(x1 - x0, y1 - y0)
        if seg == 0:
            continue
        while acc <= seg:
            t = acc / seg
            px, py = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            nx, ny = -(y1 - y0) / seg, (x1 - x0) / seg
            hw = width / 2 - 1
            seams += f"M{f(px - nx * hw)},{f(py - ny * hw)} L{f(px + nx * hw)},{f(py + ny * hw)} "
            acc += seam_every
        acc -= seg
    out += path(seams, stroke=STEEL_DARK, sw=1.6, opacity=0.8)
    return out


def dense_path(path_text, shift=(0, 0)):
    """The belt path sampled finely with the game's curve formula."""
    from data import bezier
    out = []
    p0 = (0, 0)
    off = (0, 0)
    for ln in path_text.split("\r\n"):
        toks = ln.split(" ")
        if toks[0] == "#":
            off = tuple(int(v) for v in toks[1].split(","))
        elif len(toks) == 1:
            if toks[0]:
                p0 = tuple(int(v) for v in toks[0].split(","))
        else:
            c = [tuple(int(v) for v in t.split(",")) for t in toks[:3]]
            for i in range(0, 200, 4):
                t = i / 200
                out.append((bezier(p0[0], c[0][0], c[1][0], c[2][0], t) + off[0] + shift[0],
                            bezier(p0[1], c[0][1], c[1][1], c[2][1], t) + off[1] + shift[1]))
            p0 = c[2]
    return out


# ---------------------------------------------------------------- the game screen

def belt_scene(path_text, layout):
    # plates ride 34 px left of and 42 px above their path point, drawn 64 x 64: their centre
    # is 2 px left and 10 px above it, so the band's centre line is the path moved by (-2, -10)
    pts = dense_path(path_text, (-2 - layout["belt"][0], -10 - layout["belt"][1]))
    out = rect(0, 0, W, H, fill="#7a4a2c")
    out += wood_planks(0, 0, W, 340, base=WOOD_LIGHT, dark="#d8b07a", n=9, seed=11)
    out += rect(0, 0, W, H, fill="url(#warmVignette)")
    # the lower counter where the panel and the cutting board lie
    out += rect(0, 334, W, 146, fill="#9a6238")
    out += wood_planks(0, 340, W, 140, base="#b77a46", dark="#8a5430", n=3, seed=3)
    out += rect(0, 334, W, 8, fill="#6b3e22")
    # lanterns at the two sides
    out += lantern(18, 96, 0.9) + lantern(782, 96, 0.9) + lantern(18, 236, 0.7) + lantern(782, 236, 0.7)
    # the island inside the loop
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    cx, cy = (min(xs) + max(xs)) / 2, (min(ys) + max(ys)) / 2
    out += rect(cx - 250, cy - 40, 500, 80, fill="#d39a5e", rx=34)
    out += belt_band(pts)
    out += rect(cx - 226, cy - 22, 452, 44, fill="#e9c68e", stroke=OUT, sw=2, rx=20)
    out += rect(cx - 220, cy - 18, 440, 6, fill="#fff", rx=3, opacity=0.25)
    out += tea_urn(cx - 176, cy - 4, 0.55) + bamboo(cx - 120, cy + 14, 50, 0.55) + plate_stack(cx - 62, cy + 10, 0.65)
    out += maneki_neko(cx, cy - 2, 0.52)
    out += soy_bottle(cx + 58, cy - 4, 0.6) + soy_bottle(cx + 78, cy - 2, 0.6)
    out += plate_stack(cx + 130, cy + 10, 0.65, (GOLD, RED, "#3f8f5a")) + tea_urn(cx + 184, cy - 4, 0.55)
    # the cutting board under the preparation table
    tx, ty = layout["table"]
    bx, by, bw, bh = tx - 22, ty + 14, 172, 118
    out += shadow(bx + bw / 2 + 4, by + bh + 4, bw / 2 + 4, 8, 0.45)
    out += rect(bx, by + 8, bw, bh, fill="#b98a52", stroke=OUT, sw=2.5, rx=10)
    out += rect(bx, by, bw, bh, fill="#f3dcae", stroke=OUT, sw=2.5, rx=10)
    out += rect(bx + 8, by + 6, bw - 16, 5, fill="#fff", rx=2.5, opacity=0.4)
    r = Rand(9)
    for i in range(5):
        yy = by + 20 + i * 20
        out += path(f"M{bx+10},{yy} C{bx+60},{yy-4+r.uniform(-2,2)} {bx+110},{yy+4} {bx+bw-10},{yy-1}", stroke="#ddbb82", sw=1.3)
    # things around the board
    out += chopsticks(470, 404, 1.0, -12) + soy_dish(478, 448, 1.1)
    out += teacup(756, 410, 1.0) + soy_dish(752, 458, 0.9)
    out += rect(0, H - 4, W, 4, fill="#5a3418")
    return out


# ---------------------------------------------------------------- welcome scenes

def _plate_at(picks, kind, x, y, s):
    return g(food.preparation(picks, kind), f"translate({x},{y}) scale({s}) translate(-64,-64)")


# Where the screens put their titles, texts, fields and buttons: from the top edge down to the
# strip (y 400) and from x 40 to 760. The scenes keep that band calm (wall, paper screens,
# curtains) and stand their lanterns, plates, characters and the cat in the top corners
# (x < 50 or x > 750, y 40 to 140, clear of the flags) and along the bottom (y > 400).


def hanging_lanterns(color=RED, y=44, s=0.62):
    return (line(28, 0, 28, y - 20 * s, OUT, 2) + line(772, 0, 772, y - 20 * s, OUT, 2)
            + lantern(28, y, s, color, glow=False) + lantern(772, y, s, color, glow=False))


def low_counter(top=404, base="#c98d56", dark="#9a6238"):
    out = rect(0, top - 8, W, 10, fill="#5a3418")
    out += wood_planks(0, top, W, H - top, base=base, dark=dark, n=2, seed=9)
    return out


def scene_counter(recipes):
    out = rect(0, 0, W, H, fill="#f3e2c4")
    out += wood_planks(0, 0, W, 30, base="#8a5a34", dark="#6b4428", n=1)
    # a row of paper screens across the whole back wall
    for i in range(5):
        out += shoji(8 + i * 158, 44, 152, 340, lit=True)
    out += noren(230, 30, 340, 70, INDIGO, 5, emblem=False)
    out += hanging_lanterns()
    out += low_counter()
    out += chef(70, 420, 0.55)
    out += _plate_at(recipes.picks_of("nigiri_salmone"), "nigiri_salmone", 610, 446, 0.55)
    out += _plate_at(recipes.picks_of("maki_tonno"), "maki_tonno", 680, 448, 0.55)
    out += teacup(750, 440, 1.0) + soy_dish(190, 454, 1.0)
    return out


def scene_entrance(recipes):
    out = rect(0, 0, W, H, fill="url(#dusk)")
    out += circle(90, 60, 26, fill="#ffe2a0", opacity=0.8)
    # the shop front: eaves, then one wide curtain over the whole doorway
    out += path("M0,34 L800,34 L800,52 L0,52 Z", fill="#3b3f4f", stroke=OUT, sw=3)
    out += wood_planks(0, 52, W, 348, base="#8a5a34", dark="#6b4428", vertical=True, n=12)
    out += noren(60, 62, 680, 330, INDIGO, 6, emblem=False)
    out += hanging_lanterns(RED, 70)
    out += rect(0, 396, W, 84, fill="#5a4a3a")
    for i in range(9):
        out += rect(i * 92 - 10, 410 + (i % 2) * 14, 80, 26, fill="#7a6a5a", stroke=OUT, sw=1.5, rx=8)
    out += blossom_branch(-10, 420, 0.8) + blossom_branch(810, 430, 0.8, flip=True)
    out += maneki_neko(700, 430, 0.8)
    return out


def scene_board(recipes):
    out = rect(0, 0, W, H, fill="#9a6238")
    out += wood_planks(0, 0, W, H, base="#b77a46", dark="#8a5430", n=6, seed=21)
    # a large clean cutting board behind everything the screens write
    out += shadow(400, 396, 380, 20, 0.35, "softer")
    out += rect(44, 26, 712, 372, fill="#d9ad6c", stroke=OUT, sw=3, rx=18)
    out += rect(44, 18, 712, 372, fill="#f3dcae", stroke=OUT, sw=3, rx=18)
    r = Rand(12)
    for i in range(8):
        y = 60 + i * 42 + r.uniform(-6, 6)
        out += path(f"M70,{f(y)} C300,{f(y - 6)} 500,{f(y + 6)} 730,{f(y - 2)}", stroke="#e6c994", sw=1.4)
    # in the bottom corners, clear of the buttons stacked down the middle: a plate, the salmon and a cup
    out += _plate_at(recipes.picks_of("nigiri_tonno"), "nigiri_tonno", 80, 448, 0.7)
    out += at(620, 404, food.icon("salmone"), scale=1.1)
    out += teacup(750, 446, 1.1)
    return out


def scene_plates(recipes):
    out = rect(0, 0, W, H, fill="#c98d56")
    out += wood_planks(0, 0, W, 400, base=WOOD_LIGHT, dark="#d8b07a", n=8, seed=33)
    # a plain cloth hung over the wall behind the menus
    out += rect(50, 20, 700, 360, fill="#fff3da", stroke="#b98a52", sw=3, rx=6)
    for i in range(1, 7):
        out += line(50 + i * 100, 24, 50 + i * 100, 376, "#efdcb8", 2)
    out += hanging_lanterns(GOLD, 60)
    # the belt runs along the bottom, with its plates at the two ends
    y = 440
    out += rect(0, y - 44, W, 88, fill=RED, stroke=OUT, sw=2)
    out += rect(0, y - 34, W, 68, fill=STEEL_LIGHT, stroke=OUT, sw=2)
    for x in range(0, W, 18):
        out += line(x, y - 33, x, y + 33, STEEL_DARK, 1.5)
    for k, x in (("nigiri_oyako", 60), ("gunkan_negitoro", 150), ("futomaki", 650), ("nigiri_anguilla", 740)):
        out += _plate_at(recipes.picks_of(k), k, x, y, 0.62)
    return out


def scene_night(recipes):
    out = rect(0, 0, W, H, fill="#6b4428")
    out += wood_planks(0, 0, W, H, base="#7a4e2e", dark="#5a3820", vertical=True, n=10, seed=41)
    # a bamboo blind lowered over the window for the night
    out += rect(46, 24, 708, 366, fill="#e6cf9a", stroke="#3b2a20", sw=6, rx=4)
    for j in range(0, 360, 8):
        out += line(50, 28 + j, 750, 28 + j, "#cbb07a", 1.2)
    for x in (180, 400, 620):
        out += line(x, 24, x, 390, "#8a5a34", 2.5)
    out += hanging_lanterns(GOLD, 60)
    out += rect(0, 396, W, 84, fill="#b77a46")
    out += wood_planks(0, 400, W, 80, base="#c98d56", dark="#9a6238", n=2, seed=9)
    out += rect(0, 392, W, 10, fill="#5a3418")
    out += maneki_neko(70, 440, 0.9)
    out += teacup(170, 450, 1.2) + teacup(640, 450, 1.2)
    out += _plate_at(recipes.picks_of("sashimi_salmone"), "sashimi_salmone", 730, 446, 0.6)
    return out


def welcome(n, recipes):
    scene = [scene_counter, scene_entrance, scene_board, scene_plates, scene_night][n - 1](recipes)
    return scene + rect(0, 0, W, H, fill="url(#warmVignette)")


# ---------------------------------------------------------------- logo and overlays

def title_logo(recipes):
    cx, cy = 400, 210
    out = circle(cx, cy - 10, 150, fill="#fff3da", opacity=0.85, extra=' filter="url(#softer)"')
    out += circle(cx, cy - 10, 118, fill=RED, stroke=OUT, sw=4)
    out += circle(cx, cy - 10, 104, stroke="#ffd36b", sw=3, opacity=0.8)
    out += _plate_at(recipes.picks_of("nigiri_salmone"), "nigiri_salmone", cx, cy - 58, 1.45)
    word = "Pelmora"
    out += text(cx + 5, cy + 85, word, 112, OUT, family="Liberation Sans", stroke=OUT, sw=22, extra=' font-style="italic" letter-spacing="2"')
    out += text(cx, cy + 80, word, 112, "#fff6e4", family="Liberation Sans", stroke=OUT, sw=12, extra=' font-style="italic" letter-spacing="2"')
    out += text(cx, cy + 80, word, 112, "#fff6e4", family="Liberation Sans", extra=' font-style="italic" letter-spacing="2"')
    # chopsticks crossing above the word
    out += line(cx + 70, cy - 120, cx + 200, cy - 10, OUT, 10) + line(cx + 70, cy - 120, cx + 200, cy - 10, "#b5773a", 6)
    out += line(cx + 92, cy - 126, cx + 214, cy - 24, OUT, 10) + line(cx + 92, cy - 126, cx + 214, cy - 24, "#b5773a", 6)
    # a wave under the word
    waves = ""
    for i in range(-5, 6):
        x = cx + i * 40
        waves += path(f"M{x-20},{cy+118} A20,20 0 0 1 {x+20},{cy+118}", stroke=INDIGO, sw=5)
        waves += path(f"M{x-11},{cy+118} A11,11 0 0 1 {x+11},{cy+118}", stroke=INDIGO_LIGHT, sw=3)
    out += waves
    return out


def light_overlay():
    out = rect(0, 0, W, H, fill="#fff8ea", opacity=0.74)
    for row in range(0, 14):
        for col in range(-1, 22):
            x = col * 40 + (20 if row % 2 else 0)
            y = row * 38 + 20
            out += path(f"M{x-18},{y} A18,18 0 0 1 {x+18},{y}", stroke="#d9b98a", sw=1.5, opacity=0.18)
    return out

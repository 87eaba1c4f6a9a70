"""The customers: the worried face of a waiting order and four customers enjoying a plate.

look = -1, 0, 1: the face turns towards the viewer's left, the front or the right. The game
shows the picture on the side of the item away from the middle of the screen, so a customer
on the left ("_d" pictures) turns right, towards the plate.
"""

from svg import *


def _eyes_open(cx, cy, look, gap=7, r=2.4, worried=False):
    out = ""
    for s in (-1, 1):
        x = cx + s * gap
        out += ellipse(x, cy, r + 1.3, r + 1.8, fill="#fff", stroke=OUT, sw=1.2)
        out += circle(x + look * 1.4, cy + (0.6 if worried else 0.3), r * 0.85, fill=OUT)
        out += circle(x + look * 1.4 - 0.6, cy - 0.5, 0.7, fill="#fff")
    return out


def _eyes_happy(cx, cy, gap=7):
    return "".join(path(f"M{cx+s*gap-3.5},{cy+1} Q{cx+s*gap},{cy-3.5} {cx+s*gap+3.5},{cy+1}", stroke=OUT, sw=2)
                   for s in (-1, 1))


def worried_face(look, w=40, h=40):
    cx, cy = 20 + look * 1.5, 21
    fx = look * 2.5
    out = shadow(20, 37, 13, 3, 0.35)
    out += circle(20, 21, 16, fill=SKIN, stroke=OUT, sw=2)
    out += path("M5,16 C6,6 14,3 20,3 C27,3 34,6 35,16 C30,12 26,10 20,10 C14,10 9,12 5,16 Z", fill="#3b2a20")
    out += _eyes_open(cx + fx, cy, look, 6, 2.2, worried=True)
    for s in (-1, 1):  # brows raised at the middle: worry
        x = cx + fx + s * 6
        out += path(f"M{x-s*4},{cy-5} L{x+s*3},{cy-8.5}", stroke=OUT, sw=2)
    out += path(f"M{cx+fx-5},{cy+9} q2.5,-2.5 5,0 q2.5,2.5 5,0", stroke=OUT, sw=1.8)
    # a drop of sweat on the side facing away from the look
    sx = 20 - look * 13 if look else 33
    out += path(f"M{sx},{9} C{sx+3},{14} {sx+3},{17} {sx},{17} C{sx-3},{17} {sx-3},{14} {sx},{9} Z",
                fill="#8fd3ff", stroke="#2f6f9f", sw=1.2)
    # a red alarm mark
    out += circle(33 if look <= 0 else 7, 6, 5.5, fill=RED, stroke=OUT, sw=1.4)
    out += path(f"M{33 if look <= 0 else 7},3 L{33 if look <= 0 else 7},6.5", stroke="#fff", sw=2)
    out += circle(33 if look <= 0 else 7, 8.7, 0.9, fill="#fff")
    return out


CUSTOMERS = {
    1: dict(hair="#2a211c", shirt="#f4f4f0", tie="#2f4f86", glasses=True, kind="salaryman"),
    2: dict(hair="#6b3a22", shirt="#f08aa0", kind="bun"),
    3: dict(hair="#d8d4cc", shirt="#4f7a4a", kind="elder"),
    4: dict(hair="#3a2a1e", shirt="#4aa0d8", cap="#f28a2e", kind="kid"),
}


def customer(k, look, w=48, h=48):
    c = CUSTOMERS[k]
    fx = look * 4
    hx, hy = 24 + fx * 0.4, 20
    out = shadow(24, 45, 18, 3, 0.35)
    # shoulders
    out += path("M6,48 C6,36 14,32 24,32 C34,32 42,36 42,48 Z", fill=c["shirt"], stroke=OUT, sw=2)
    if c["kind"] == "salaryman":
        out += path("M19,33 L24,40 L29,33", stroke=OUT, sw=1.4, fill="#fff")
        out += path("M22.5,36 L25.5,36 L26.5,46 L24,48 L21.5,46 Z", fill=c["tie"], stroke=OUT, sw=1.2)
        out += path("M6,48 C6,38 12,34 18,33 L20,48 Z M42,48 C42,38 36,34 30,33 L28,48 Z", fill="#3b4252", stroke=OUT, sw=1.6)
    elif c["kind"] == "elder":
        out += path("M17,33 L24,44 L31,33", stroke="#e9e4d2", sw=3)
    elif c["kind"] == "kid":
        out += path("M8,42 L40,42 M7,46 L41,46", stroke="#fff", sw=2)
    # head
    out += circle(hx, hy, 13.5, fill=SKIN, stroke=OUT, sw=2)
    out += circle(hx - 13 + (look < 0) * 1, hy + 2, 3, fill=SKIN, stroke=OUT, sw=1.6) if look >= 0 else ""
    out += circle(hx + 13, hy + 2, 3, fill=SKIN, stroke=OUT, sw=1.6) if look <= 0 else ""
    if c["kind"] == "salaryman":
        out += path(f"M{hx-14},{hy-1} C{hx-14},{hy-15} {hx+14},{hy-17} {hx+14},{hy-2} C{hx+8},{hy-9} {hx-2},{hy-10} {hx-14},{hy-1} Z",
                    fill=c["hair"], stroke=OUT, sw=1.6)
    elif c["kind"] == "bun":
        out += circle(hx - fx * 0.6, hy - 15, 6.5, fill=c["hair"], stroke=OUT, sw=1.6)
        out += line(hx - fx * 0.6 - 8, hy - 19, hx - fx * 0.6 + 8, hy - 12, RED, 2)
        out += path(f"M{hx-14},{hy+3} C{hx-16},{hy-16} {hx+16},{hy-16} {hx+14},{hy+3} C{hx+10},{hy-6} {hx-10},{hy-6} {hx-14},{hy+3} Z",
                    fill=c["hair"], stroke=OUT, sw=1.6)
    elif c["kind"] == "elder":
        out += path(f"M{hx-13.5},{hy+1} C{hx-15},{hy-6} {hx-11},{hy-8} {hx-9},{hy-6} L{hx-10},{hy+3} Z", fill=c["hair"], stroke=OUT, sw=1.2)
        out += path(f"M{hx+13.5},{hy+1} C{hx+15},{hy-6} {hx+11},{hy-8} {hx+9},{hy-6} L{hx+10},{hy+3} Z", fill=c["hair"], stroke=OUT, sw=1.2)
        out += path(f"M{hx-6},{hy-11} C{hx-2},{hy-13} {hx+3},{hy-13} {hx+6},{hy-11}", stroke="#fff", sw=1.5, opacity=0.7)
    else:
        out += path(f"M{hx-14},{hy-2} C{hx-14},{hy-17} {hx+14},{hy-17} {hx+14},{hy-2} Z", fill=c["cap"], stroke=OUT, sw=1.6)
        bx = hx + (8 if look >= 0 else -8)
        out += path(f"M{bx-9},{hy-3} L{bx+9},{hy-3} L{bx+7},{hy+1} L{bx-7},{hy+1} Z", fill="#d06a16", stroke=OUT, sw=1.4)
    ex, ey = hx + fx * 0.8, hy + 1
    out += _eyes_happy(ex, ey, 5.5)
    if c.get("glasses"):
        for s in (-1, 1):
            out += circle(ex + s * 5.5, ey, 4.3, stroke=OUT, sw=1.4)
        out += line(ex - 1.3, ey, ex + 1.3, ey, OUT, 1.4)
    if c["kind"] == "elder":
        out += path(f"M{ex-6},{ey+6} C{ex-3},{ey+4} {ex+3},{ey+4} {ex+6},{ey+6}", stroke="#bdb7aa", sw=2.6)
    for s in (-1, 1):
        out += ellipse(ex + s * 9, ey + 5, 2.6, 1.6, fill="#f39a9a", opacity=0.8)
    # chewing mouth, full and happy
    out += path(f"M{ex-4},{ey+8} Q{ex},{ey+13} {ex+4},{ey+8} Z", fill="#9a2f2f", stroke=OUT, sw=1.4)
    # a hand low at the side lifts a piece of nigiri to the mouth with chopsticks
    side = look if look else 1
    hxx, hyy = ex + side * 15, ey + 24
    mx, my = ex + side * 2, ey + 10
    out += line(hxx, hyy, mx + side * 4, my - 1, "#b5773a", 1.7)
    out += line(hxx + side * 2, hyy - 1, mx + side * 5, my + 2, "#b5773a", 1.7)
    out += at(mx + side * 3, my, ellipse(0, 1.5, 5, 2.6, fill=RICE, stroke=OUT, sw=1)
              + path("M-5.5,0 C-5,-3.5 5,-3.5 5.5,0 C3,1 -3,1 -5.5,0 Z", fill="#f7864f", stroke=OUT, sw=1), rotate=side * -15)
    out += circle(hxx, hyy + 1, 4.2, fill=SKIN, stroke=OUT, sw=1.6)
    # little stars of delight
    for (sx, sy, sc) in ((4 if side > 0 else 44, 8, 1.0), (8 if side > 0 else 40, 2, 0.6)):
        pts = [polar(sx, sy, 3.2 * sc if i % 2 == 0 else 1.2 * sc, -90 + i * 45) for i in range(8)]
        out += poly(pts, fill=GOLD_LIGHT, stroke=GOLD_DARK, sw=0.8)
    return out

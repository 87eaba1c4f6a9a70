"""A still of the game screen put together from the staged pictures with the game's layout rules.

Used by the contact sheet: it shows at a glance whether belt, panel, table and score strip
sit where they should and whether the plates read at their size on the belt.
"""

import os
import subprocess

import data


def game_screen(src, stage_dir, out_png, convert="convert"):
    layout = data.load_layout(src)
    recipes = data.load_recipes(src)
    ingredients = data.load_ingredients(src)
    A = lambda name: os.path.join(stage_dir, "assets", name)  # noqa: E731
    bx, by = layout["belt"]
    cmd = [convert, "-size", "800x480", "xc:black",
           A("tavoli/" + layout["belt_picture"]), "-geometry", f"+{bx}+{by}", "-composite"]

    def put(img, x, y, w=None, h=None):
        nonlocal cmd
        cmd += ["(", img]
        if w:
            cmd += ["-resize", f"{w}x{h}!"]
        cmd += [")", "-geometry", f"+{int(x)}+{int(y)}", "-composite"]

    def tag(x, y, yen):
        nonlocal cmd
        cmd += ["-fill", "#C2BA97", "-draw", f"roundrectangle {x},{y} {x+45},{y+20} 2,2",
                "-fill", "#F2EAB7", "-draw", f"roundrectangle {x+1},{y+1} {x+44},{y+19} 2,2",
                "-fill", "black", "-font", "Liberation-Sans-Bold", "-pointsize", "11",
                "-annotate", f"+{x+9}+{y+15}", f"{yen} ¥"]

    # items on the belt: every other slot an order, the rest plates
    slots = data.slot_points(layout["path"])
    kinds = recipes.unique_kinds()
    for i, (sx, sy) in enumerate(slots):
        if i % 3 == 2:
            continue
        kind = kinds[(i * 7) % len(kinds)]
        x, y = bx + sx - 34, by + sy - 42
        put(A(("ordini/" if i % 2 == 0 else "piatti/") + kind + ".png"), x, y, 64, 64)
        tag(int(x) + 19, int(y) + 44, 250 + 50 * (i % 5))
        if i == 4:
            put(A("personaggi/slot_in_scadenza_c.png"), x, y - 32 + 20)
        if i == 9:
            put(A("personaggi/cliente_2_c.png"), x, y + 24)
    # ingredient panel, page 0
    px, py = layout["ingredients"]
    put(A("ingredienti/sfondo.png"), px - 4, py - 4, 420, 148)
    put(A("ingredienti/scorri_dx.png"), px + 412 - 24, py + 4)
    for k, ing in enumerate(ingredients[:10]):
        c, r = divmod(k, 2)
        x, y = px + c * 72 + 24 + 4, py + r * 72
        put(A("ingredienti/riquadro.png"), x, y)
        put(A(f"ingredienti/{ing.id}.png"), x + 2, y + 2)
        if k in (0, 2):
            put(A(f"ingredienti/selezionato{1 if k == 0 else 2}.png"), x + 2, y + 2)
        elif k in (1, 3, 5, 6, 9):
            put(A("ingredienti/disattivato.png"), x, y)
            continue
        cmd += ["-fill", "#F2EAB7", "-draw", f"roundrectangle {x+29},{y+52} {x+64},{y+62} 2,2",
                "-fill", "black", "-font", "Liberation-Sans-Bold", "-pointsize", "8",
                "-annotate", f"+{x+33}+{y+60}", f"+ {ing.yen} ¥"]
    # the table shows the rice with wasabi
    tx, ty = layout["table"]
    node = recipes.root.children[0].children[0]
    put(A(f"preparazioni/{node.id:03d}.png"), tx, ty)
    # score strip
    sx, sy = layout["score"]
    put(A("score.png"), sx, sy, 800, 80)
    put(A("punti_esperienza.png"), sx + 8, sy + 8)
    put(A("chef1.png"), sx + 8 + 136 - 3 * 26 - 4, sy + 8 + 64 - 30 - 4)
    put(A("chef0.png"), sx + 8 + 136 - 2 * 26 - 4, sy + 8 + 64 - 30 - 4)
    put(A("yen.png"), sx + 748, sy + 4)
    put(A("ordini.png"), sx + 375, sy + 4)
    put(A("music/on.png"), sx + 337, sy + 2)
    put(A("quit.png"), sx + 337, sy + 42)
    cmd += ["-fill", "white", "-stroke", "#FF6080", "-strokewidth", "2", "-font", "Liberation-Sans-Bold",
            "-pointsize", "58", "-annotate", f"+{sx+154}+{sy+62}", "128",
            "-gravity", "NorthEast", "-annotate", f"+{800-744}+{sy+6}", "2350", "-gravity", "NorthWest",
            "-stroke", "black", "-strokewidth", "1", "-pointsize", "20", "-annotate", f"+{sx+395}+{sy+44}", "9",
            out_png]
    subprocess.run(cmd, check=True)

#!/usr/bin/env python3
"""Draws the About dialog's picture, about.png (165 x 322 pixels, 24-bit colour), next to
this script: a wand working its magic over a stack of colour-coded report pages."""
import math
import os

from png_file import png_bytes

WIDTH, HEIGHT = 165, 322
SAMPLES = 3  # per pixel and direction, for smooth edges


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def sky(x, y):
    return mix((8, 10, 38), (70, 24, 92), y / HEIGHT)


def star_points(cx, cy, outer, inner, points=5, turn=-math.pi / 2):
    result = []
    for i in range(points * 2):
        radius = outer if i % 2 == 0 else inner
        angle = turn + i * math.pi / points
        result.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return result


def inside_polygon(x, y, polygon):
    inside = False
    j = len(polygon) - 1
    for i, (xi, yi) in enumerate(polygon):
        xj, yj = polygon[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def rotated(x, y, cx, cy, degrees):
    """The point (x, y) seen from a frame centred on (cx, cy) and turned by `degrees`."""
    a = math.radians(-degrees)
    dx, dy = x - cx, y - cy
    return dx * math.cos(a) - dy * math.sin(a), dx * math.sin(a) + dy * math.cos(a)


def distance_to_segment(x, y, x0, y0, x1, y1):
    vx, vy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy)))
    return math.hypot(x - x0 - t * vx, y - y0 - t * vy)


def lcg(seed):
    while True:
        seed = (seed * 1103515245 + 12345) % 2 ** 31
        yield seed / 2 ** 31


def make_stars():
    numbers = lcg(1997)
    stars = []
    for _ in range(70):
        x, y = next(numbers) * WIDTH, next(numbers) * HEIGHT * 0.62
        stars.append((x, y, 0.4 + next(numbers) * 0.9, 0.45 + next(numbers) * 0.55))
    return stars


STARS = make_stars()
MOON = ((122, 46, 19), (131, 39, 17))
WAND = (34, 204, 108, 122)
WAND_STAR = star_points(112, 116, 17, 7)
SPARKLES = [star_points(112 + 56 * math.cos(t) - 56, 116 + 60 * math.sin(t), r, r * 0.35, 4, 0)
            for t, r in ((0.35, 7), (0.75, 5), (1.1, 6), (1.45, 4))]

# Report pages: centre, size, turn in degrees, and their lines as (row, indent, length, colour).
BLUE, RED, GREEN, GREY = (0, 0, 200), (200, 0, 0), (0, 140, 0), (120, 120, 120)
PAGE_LINES = [(0, 0, 62, BLUE), (1, 0, 40, BLUE), (3, 0, 30, RED), (4, 6, 58, GREY),
              (5, 6, 50, GREY), (7, 0, 36, RED), (8, 6, 56, GREY), (9, 6, 44, GREEN),
              (10, 6, 52, GREEN), (12, 0, 28, RED), (13, 6, 60, GREY), (14, 6, 38, GREY)]
PAGES = [((86, 258, 92, 110, -9), False), ((80, 252, 92, 110, 5), False),
         ((82, 252, 92, 110, -2), True)]


def page_colour(x, y, page, lines):
    cx, cy, w, h, turn = page
    px, py = rotated(x, y, cx, cy, turn)
    if abs(px) > w / 2 or abs(py) > h / 2:
        return None
    if abs(px) > w / 2 - 1 or abs(py) > h / 2 - 1:
        return (60, 60, 60)
    if lines:
        left, top = px + w / 2 - 10, py + h / 2 - 12
        for row, indent, length, colour in PAGE_LINES:
            if 0 <= top - row * 6.5 < 3 and indent <= left < indent + length:
                return colour
    return (250, 250, 244)


def colour_at(x, y):
    colour = sky(x, y)
    for sx, sy, size, light in STARS:
        d = abs(x - sx) + abs(y - sy)
        if d < size * 2.2 and min(abs(x - sx), abs(y - sy)) < size * 0.5:
            colour = mix(colour, (255, 255, 230), light)
    (mx, my, mr), (cx, cy, cr) = MOON
    if math.hypot(x - mx, y - my) < mr and math.hypot(x - cx, y - cy) > cr:
        colour = (250, 236, 170)
    glow = math.hypot(x - 112, y - 116)
    if glow < 40:
        colour = mix(colour, (255, 230, 120), (1 - glow / 40) ** 2 * 0.6)
    for page, lines in PAGES:
        paper = page_colour(x, y, page, lines)
        if paper is not None:
            colour = paper
    for sparkle in SPARKLES:
        if inside_polygon(x, y, sparkle):
            colour = (255, 250, 200)
    if distance_to_segment(x, y, *WAND) < 3.2:
        along = (x - WAND[0]) / (WAND[2] - WAND[0])
        colour = (245, 245, 245) if along > 0.82 or along < 0.12 else (20, 20, 20)
    if inside_polygon(x, y, WAND_STAR):
        colour = (255, 214, 40)
    return colour


def render():
    rows = []
    for j in range(HEIGHT):
        row = bytearray()
        for i in range(WIDTH):
            total = [0.0, 0.0, 0.0]
            for sj in range(SAMPLES):
                for si in range(SAMPLES):
                    c = colour_at(i + (si + 0.5) / SAMPLES, j + (sj + 0.5) / SAMPLES)
                    for k in range(3):
                        total[k] += c[k]
            row += bytes(int(round(v / SAMPLES ** 2)) for v in total)
        rows.append(bytes(row))
    return rows


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "about.png")
    with open(path, "wb") as file:
        file.write(png_bytes(WIDTH, HEIGHT, render(), alpha=False))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files (16, 32 and 48 pixels, 32-bit).

    tools/make_icons.py [OUTPUT_DIR]      default: resources/icons beside this script's parent

Standard library only. Every image is drawn from the same vector description at its own size,
sampled 4 x 4 times per pixel for smooth edges, and stored as a 32-bit BGRA DIB with an AND
mask, the form every Windows version since XP and Wine read. The output is deterministic, so
the committed files change only when the drawing does.

    boxsweep.ico   2001  program icon: a message box and the pointer that answers it
    inactive.ico   2002  tray, inactive: the box greyed out under a red "no" sign
    active.ico     2003  tray, active: the box with a green check mark
    spare.ico      2004  not loaded by the program: the box with an orange sweep arc
"""

import math
import os
import struct
import sys

SIZES = (16, 32, 48)
SUPERSAMPLE = 4


# ---- Shapes: functions of a point in the unit square (0..1, y downwards) -> inside? --------


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_outer, r_inner):
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return r_inner * r_inner <= d <= r_outer * r_outer

    return inside


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def polyline(points, width):
    """A stroke of the given width with round joins and caps."""
    half = width / 2

    def inside(x, y):
        return any(
            _segment_distance(x, y, *points[i], *points[i + 1]) <= half for i in range(len(points) - 1)
        )

    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        for i in range(len(points)):
            (ax, ay), (bx, by) = points[i], points[i - 1]
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                hit = not hit
        return hit

    return inside


def arc(cx, cy, r, start_deg, end_deg, width):
    """A stroked circular arc, angles in degrees, clockwise on screen from the +x axis."""
    steps = 24
    points = []
    for i in range(steps + 1):
        a = math.radians(start_deg + (end_deg - start_deg) * i / steps)
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polyline(points, width)


# ---- Colours ---------------------------------------------------------------------------------


def rgb(hex_text, alpha=255):
    v = int(hex_text, 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, alpha)


OUTLINE = rgb("37474f")
TITLE = rgb("1e63b8")
TITLE_LIGHT = rgb("5b9be6")
BODY = rgb("f7f9fb")
BUTTON = rgb("cfd8dc")
BUTTON_EDGE = rgb("78909c")
TEXT_LINE = rgb("90a4ae")
GREEN = rgb("2e9d3a")
GREEN_DARK = rgb("1b5e20")
RED = rgb("d32f2f")
ORANGE = rgb("f57c00")
WHITE = rgb("ffffff")
BLACK = rgb("111111")


def grey(colour):
    r, g, b, a = colour
    v = int(0.3 * r + 0.59 * g + 0.11 * b)
    v = 120 + v * 110 // 255  # squeeze towards a light grey so the box reads as "off"
    return (v, v, v, a)


# ---- The drawings: lists of (shape, colour), painted in order ------------------------------


def message_box(size, greyed=False):
    """A small dialog box: frame, title bar, two text lines and a button."""
    detail = size >= 32
    paint = grey if greyed else (lambda c: c)
    layers = [
        (rounded_rect(0.03, 0.10, 0.97, 0.90, 0.07), paint(OUTLINE)),
        (rounded_rect(0.08, 0.15, 0.92, 0.85, 0.04), paint(BODY)),
        (rect(0.08, 0.15, 0.92, 0.33), paint(TITLE)),
    ]
    if detail:
        layers.append((rect(0.10, 0.17, 0.90, 0.22), paint(TITLE_LIGHT)))
        layers.append((rect(0.16, 0.43, 0.78, 0.48), paint(TEXT_LINE)))
        layers.append((rect(0.16, 0.53, 0.60, 0.58), paint(TEXT_LINE)))
        layers.append((rounded_rect(0.34, 0.64, 0.66, 0.79, 0.03), paint(BUTTON_EDGE)))
        layers.append((rounded_rect(0.36, 0.66, 0.64, 0.77, 0.02), paint(BUTTON)))
    else:
        layers.append((rect(0.18, 0.45, 0.70, 0.52), paint(TEXT_LINE)))
        layers.append((rect(0.32, 0.62, 0.68, 0.76), paint(BUTTON_EDGE)))
    return layers


def at_least(width, pixels, size):
    """A stroke width in unit-square terms, but never thinner than the given pixels."""
    return max(width, pixels / size)


def program_icon(size):
    # A classic arrow pointer on a 12 x 19 grid, tip at the button.
    grid = [(0, 0), (0, 16), (4, 12.2), (6.8, 18), (9.4, 16.8), (6.7, 11.2), (11.3, 11.2)]
    unit, tip_x, tip_y = (0.030, 0.44, 0.38) if size < 32 else (0.026, 0.50, 0.46)
    arrow = [(tip_x + x * unit, tip_y + y * unit) for x, y in grid]
    return message_box(size) + [
        (polyline(arrow + arrow[:1], at_least(0.06, 1.6, size)), BLACK),
        (polygon(arrow), WHITE),
    ]


def active_icon(size):
    tick = [(0.34, 0.64), (0.53, 0.83), (0.86, 0.42)]
    return message_box(size) + [
        (polyline(tick, at_least(0.27, 4.5, size)), WHITE),
        (polyline(tick, at_least(0.19, 3.2, size)), GREEN_DARK),
        (polyline(tick, at_least(0.12, 2.0, size)), GREEN),
    ]


def inactive_icon(size):
    cx, cy, r = (0.64, 0.64, 0.34) if size < 32 else (0.68, 0.68, 0.30)
    bar = at_least(0.10, 1.8, size)
    ring_width = at_least(0.09, 1.8, size)
    slant = (r - ring_width) * 0.75
    return message_box(size, greyed=True) + [
        (circle(cx, cy, r + 0.03), WHITE),
        (ring(cx, cy, r, r - ring_width), RED),
        (polyline([(cx - slant, cy - slant), (cx + slant, cy + slant)], bar), RED),
    ]


def spare_icon(size):
    return message_box(size) + [
        (arc(0.50, 0.50, 0.36, 15, 120, at_least(0.21, 3.6, size)), WHITE),
        (arc(0.50, 0.50, 0.36, 15, 120, at_least(0.12, 2.0, size)), ORANGE),
        (polygon([(0.74, 0.40), (0.94, 0.60), (0.70, 0.66)]), ORANGE),
    ]


ICONS = {
    "boxsweep.ico": program_icon,
    "inactive.ico": inactive_icon,
    "active.ico": active_icon,
    "spare.ico": spare_icon,
}


# ---- Rendering and the ICO format ------------------------------------------------------------


def render(layers, size):
    """Returns size*size RGBA tuples, top row first, composited over transparency."""
    n = SUPERSAMPLE
    pixels = []
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    colour = [0.0, 0.0, 0.0, 0.0]
                    for inside, (r, g, b, a) in layers:
                        if inside(x, y):
                            fa = a / 255
                            colour = [r * fa + colour[0] * (1 - fa), g * fa + colour[1] * (1 - fa),
                                      b * fa + colour[2] * (1 - fa), fa + colour[3] * (1 - fa)]
                    for i in range(4):
                        acc[i] += colour[i]
            samples = n * n
            alpha = acc[3] / samples
            if alpha <= 0:
                pixels.append((0, 0, 0, 0))
                continue
            pixels.append(tuple(int(round(acc[i] / samples / alpha)) for i in range(3))
                          + (int(round(alpha * 255)),))
    return pixels


def dib(pixels, size):
    """BITMAPINFOHEADER, bottom-up BGRA rows, then the 1-bit AND mask (set = transparent)."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour_rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for row in range(size - 1, -1, -1):
        line = pixels[row * size:(row + 1) * size]
        colour_rows.append(b"".join(struct.pack("BBBB", b, g, r, a) for r, g, b, a in line))
        bits = bytearray(mask_stride)
        for col, (_, _, _, a) in enumerate(line):
            if a == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask_rows.append(bytes(bits))
    return header + b"".join(colour_rows) + b"".join(mask_rows)


def ico(images):
    """images: list of (size, dib bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + entries + b"".join(data for _, data in images)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "icons")
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in ICONS.items():
        images = [(size, dib(render(draw(size), size), size)) for size in SIZES]
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(ico(images))


if __name__ == "__main__":
    main()

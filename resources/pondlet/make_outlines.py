#!/usr/bin/env python3
"""Draws the drop target's fish at its three sizes and the outline that
shapes its window, from one description of the fish, so the two always
agree: fish_<size>.bmp (24-bit) and fish_<size>.obrys (16-bit little-endian
width, height, point count, then the points). The outline is the fish's
edge walked at even steps with exactly the point count of its size; the
picture paints every pixel whose centre lies inside that polygon.
Run by make_fish.sh (`make images`); the results are committed."""
import math
import struct
import sys

# name, picture width and height, outline points
SIZES = [("small", 68, 54, 83), ("medium", 131, 102, 170), ("large", 265, 208, 310)]


def edge():
    """The fish's edge in unit coordinates (x 0..1 from tail to nose, y 0..1
    from top to bottom), clockwise from the nose, densely sampled."""
    pts = []

    def body(t, top):
        # A teardrop from the nose (x 0.98) to the tail joint (x 0.26).
        x = 0.98 - 0.72 * t
        half = 0.34 * math.sin(math.pi * t**0.7) ** 0.9 + 0.075
        return (x, 0.5 - half if top else 0.5 + half)

    steps = 400
    for i in range(steps + 1):  # upper edge, nose to tail joint
        pts.append(body(i / steps, True))
    # The dorsal fin rides on the upper edge.
    fin = []
    for x, y in pts:
        bump = 0.0
        if 0.45 < x < 0.75:
            bump = 0.09 * math.sin(math.pi * (x - 0.45) / 0.30) ** 2
        fin.append((x, y - bump))
    pts = fin
    # The tail: up to the top lobe, in to the notch, down to the lower lobe.
    joint_top, joint_bottom = pts[-1], body(1.0, False)
    for x, y in ((0.14, 0.26), (0.02, 0.08), (0.06, 0.30), (0.15, 0.50),
                 (0.06, 0.70), (0.02, 0.92), (0.14, 0.74)):
        pts.append((x, y))
    pts.append(joint_bottom)
    for i in range(steps, -1, -1):  # lower edge, tail joint to nose
        pts.append(body(i / steps, False))
    del joint_top
    return pts


def resample(pts, n):
    """n points at even steps along the closed polyline `pts`."""
    closed = pts + [pts[0]]
    lengths = [math.dist(closed[i], closed[i + 1]) for i in range(len(pts))]
    total = sum(lengths)
    out, walked, seg = [], 0.0, 0
    for k in range(n):
        target = total * k / n
        while walked + lengths[seg] < target:
            walked += lengths[seg]
            seg += 1
        f = (target - walked) / lengths[seg] if lengths[seg] else 0.0
        a, b = closed[seg], closed[seg + 1]
        out.append((a[0] + (b[0] - a[0]) * f, a[1] + (b[1] - a[1]) * f))
    return out


def inside(poly, x, y):
    """Winding-number test, as the window's region fills the polygon."""
    wn = 0
    for i in range(len(poly)):
        (x0, y0), (x1, y1) = poly[i], poly[(i + 1) % len(poly)]
        cross = (x1 - x0) * (y - y0) - (x - x0) * (y1 - y0)
        if y0 <= y < y1 and cross > 0:
            wn += 1
        elif y1 <= y < y0 and cross < 0:
            wn -= 1
    return wn != 0


def colour(u, v, w, h):
    """The fish's paint at unit point (u, v)."""
    eye_x, eye_y, eye_r = 0.84, 0.42, 0.055
    d = math.hypot((u - eye_x) * w, (v - eye_y) * h) / (eye_r * w)
    if d < 0.45:
        return (10, 10, 30)
    if d < 1.0:
        return (250, 250, 250)
    if abs(u - 0.72 - 0.04 * math.cos((v - 0.5) * 6)) < 0.012 and 0.25 < v < 0.75:
        return (200, 90, 0)  # gill
    if u < 0.26:
        return (240, 120, 20)  # tail
    stripe = math.sin(u * 26) > 0.55
    base = (255, 150, 30) if not stripe else (255, 200, 80)
    shade = 0.75 + 0.25 * (1 - abs(v - 0.45) * 2)
    return tuple(min(255, int(c * shade)) for c in base)


def write_bmp(path, w, h, pixel):
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        data += line + b"\0" * (row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def main():
    shape = edge()
    for name, w, h, n in SIZES:
        unit = resample(shape, n)
        points = [(round(x * (w - 1)), round(y * (h - 1))) for x, y in unit]
        with open(f"fish_{name}.obrys", "wb") as f:
            f.write(struct.pack("<HHH", w, h, n))
            for x, y in points:
                f.write(struct.pack("<HH", x, y))
        poly = [(x + 0.0, y + 0.0) for x, y in points]

        def pixel(x, y):
            if not inside(poly, x + 0.5, y + 0.5):
                return (255, 0, 255)  # never shown: outside the region
            return colour(x / (w - 1), y / (h - 1), w, h)

        write_bmp(f"fish_{name}.bmp", w, h, pixel)


if __name__ == "__main__":
    sys.exit(main())

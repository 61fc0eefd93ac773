#!/usr/bin/python3
"""Draws the wizard's images and writes them as palette PNG files.

128.png and 128-16.png: the application icon at 32x32 and 16x16, in the 16
colours of a classic display, with a transparent background: a LAN modem with
an arrow pointing up, the upgrade.
143.png: the wizard's side picture, 126x252, in a 256-colour palette: a
network at the top, the modem in the middle, cables to computers below.

Only the standard library is used. Run it from anywhere; it writes beside
itself: /usr/bin/python3 res/images/make_images.py
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 colours of a classic display, then the transparent entry.
CLASSIC = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = 16


class Canvas:
    """A picture of palette indices with the few drawing operations needed."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, points, colour):
        """Fills a polygon: pixel centres inside it (even-odd rule)."""
        ys = [p[1] for p in points]
        for y in range(min(ys), max(ys) + 1):
            cy = y + 0.5
            crossings = []
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay <= cy < by) or (by <= cy < ay):
                    crossings.append(ax + (cy - ay) * (bx - ax) / (by - ay))
            crossings.sort()
            for left, right in zip(crossings[::2], crossings[1::2]):
                for x in range(int(round(left)), int(round(right))):
                    self.put(x, y, colour)

    def outline(self, points, colour):
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            self.line(ax, ay, bx, by, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r:
                    self.put(x, y, colour)


def write_png(path, canvas, palette, transparent=None):
    """Writes an 8-bit palette PNG; `transparent` is the index shown as see-through."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in canvas.pixels)
    parts = [
        b"\x89PNG\r\n\x1a\n",
        chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 3, 0, 0, 0)),
        chunk(b"PLTE", b"".join(bytes(c) for c in palette)),
    ]
    if transparent is not None:
        parts.append(chunk(b"tRNS", bytes([255] * transparent + [0])))
    parts.append(chunk(b"IDAT", zlib.compress(raw, 9)))
    parts.append(chunk(b"IEND", b""))
    with open(path, "wb") as out:
        out.write(b"".join(parts))


def draw_modem(c, x, y, w, h, depth, leds):
    """A box seen from the front and a little above: front face at (x, y),
    w by h, with its top and right faces `depth` deep; `leds` are
    (offset, colour) along the front panel."""
    top = [(x, y), (x + depth, y - depth), (x + w + depth, y - depth), (x + w, y)]
    side = [(x + w, y), (x + w + depth, y - depth), (x + w + depth, y + h - depth), (x + w, y + h)]
    c.polygon(top, WHITE)
    c.polygon(side, GRAY)
    c.rect(x, y, x + w, y + h, SILVER)
    c.outline(top, BLACK)
    c.outline(side, BLACK)
    c.outline([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], BLACK)
    led_y = y + h // 2
    for offset, colour in leds:
        c.put(x + offset, led_y, colour)
        if h >= 8:
            c.put(x + offset + 1, led_y, colour)
            c.put(x + offset, led_y - 1, colour)
            c.put(x + offset + 1, led_y - 1, colour)


def draw_up_arrow(c, cx, top, half_head, head_height, half_shaft, bottom):
    """An arrow pointing up: its tip at (cx, top)."""
    head = [(cx, top), (cx + half_head + 1, top + head_height), (cx - half_head, top + head_height)]
    shaft = [(cx - half_shaft, top + head_height), (cx + half_shaft + 1, top + head_height),
             (cx + half_shaft + 1, bottom + 1), (cx - half_shaft, bottom + 1)]
    c.polygon(head, LIME)
    c.polygon(shaft, LIME)
    c.line(cx, top, cx - half_head, top + head_height, GREEN)
    c.line(cx, top, cx + half_head, top + head_height, GREEN)
    c.line(cx - half_head, top + head_height, cx - half_shaft, top + head_height, GREEN)
    c.line(cx + half_head, top + head_height, cx + half_shaft, top + head_height, GREEN)
    c.line(cx - half_shaft, top + head_height, cx - half_shaft, bottom, GREEN)
    c.line(cx + half_shaft, top + head_height, cx + half_shaft, bottom, GREEN)
    c.line(cx - half_shaft, bottom, cx + half_shaft, bottom, GREEN)


def icon_32():
    c = Canvas(32, 32, CLEAR)
    draw_modem(c, 1, 19, 24, 9, 5, [(4, LIME), (8, LIME), (12, YELLOW), (16, RED)])
    c.line(4, 26, 21, 26, GRAY)  # the front panel's lower edge
    draw_up_arrow(c, 22, 0, 6, 6, 2, 12)
    return c


def icon_16():
    c = Canvas(16, 16, CLEAR)
    draw_modem(c, 0, 10, 11, 5, 3, [(2, LIME), (4, LIME), (6, YELLOW), (8, RED)])
    draw_up_arrow(c, 11, 0, 4, 4, 1, 7)
    return c


def side_palette():
    """A 256-colour palette: a night-to-sea gradient for the sky, then greys
    and the few bright colours of the drawing."""
    palette = []
    steps = 96
    top, bottom = (0x08, 0x10, 0x48), (0x10, 0x90, 0xA0)
    for i in range(steps):
        t = i / (steps - 1)
        palette.append(tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom)))
    palette += CLASSIC
    palette += [(0xE8, 0xF8, 0xFF), (0x60, 0xD0, 0xF0), (0x30, 0x70, 0x90), (0xF0, 0xC0, 0x40)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette


SKY = 0
CLASSIC_BASE = 96
GLOW, WIRE, WIRE_SHADOW, AMBER = 112, 113, 114, 115


def side_picture():
    width, height = 126, 252
    c = Canvas(width, height, SKY)
    for y in range(height):
        band = y * 96 // height  # banded, as a 256-colour picture is
        for x in range(width):
            c.pixels[y][x] = SKY + band

    def classic(colour):
        return CLASSIC_BASE + colour

    # The network: nodes and the links between them.
    nodes = [(20, 22), (62, 14), (104, 26), (38, 52), (86, 58), (16, 86), (63, 90), (108, 92)]
    links = [(0, 1), (1, 2), (0, 3), (1, 3), (1, 4), (2, 4), (3, 4), (3, 5), (3, 6),
             (4, 6), (4, 7), (5, 6), (6, 7)]
    for a, b in links:
        (ax, ay), (bx, by) = nodes[a], nodes[b]
        c.line(ax + 1, ay + 1, bx + 1, by + 1, WIRE_SHADOW)
        c.line(ax, ay, bx, by, WIRE)
    for x, y in nodes:
        c.disc(x, y, 4, WIRE_SHADOW)
        c.disc(x, y, 3, WIRE)
        c.disc(x - 1, y - 1, 1, GLOW)

    # The link from the network down to the modem, with data going up.
    c.line(63, 94, 63, 140, WIRE)
    c.line(64, 94, 64, 140, WIRE_SHADOW)
    for y in range(104, 138, 12):
        c.polygon([(63, y), (68, y + 5), (58, y + 5)], AMBER)

    # The modem.
    x, y, w, h, depth = 14, 156, 86, 22, 12
    top = [(x, y), (x + depth, y - depth), (x + w + depth, y - depth), (x + w, y)]
    side = [(x + w, y), (x + w + depth, y - depth), (x + w + depth, y + h - depth), (x + w, y + h)]
    c.polygon(top, classic(WHITE))
    c.polygon(side, classic(GRAY))
    c.rect(x, y, x + w, y + h, classic(SILVER))
    c.outline(top, classic(BLACK))
    c.outline(side, classic(BLACK))
    c.outline([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], classic(BLACK))
    c.line(x + 3, y + h - 4, x + w - 3, y + h - 4, classic(GRAY))
    for i, colour in enumerate([LIME, LIME, LIME, YELLOW, RED]):
        lx = x + 8 + i * 10
        c.rect(lx, y + 7, lx + 3, y + 9, classic(colour))
        c.put(lx, y + 7, classic(WHITE))
    c.rect(x + 62, y + 6, x + 80, y + 11, classic(BLACK))  # the front panel's display
    c.line(x + 64, y + 8, x + 70, y + 8, classic(LIME))

    # Cables from the modem to the computers below.
    computers = [(12, 222), (52, 232), (92, 222)]
    for cx, cy in computers:
        c.line(57, y + h, cx + 10, cy - 2, WIRE)
        c.line(58, y + h, cx + 11, cy - 2, WIRE_SHADOW)
    for cx, cy in computers:
        c.rect(cx, cy, cx + 20, cy + 13, classic(SILVER))
        c.outline([(cx, cy), (cx + 20, cy), (cx + 20, cy + 13), (cx, cy + 13)], classic(BLACK))
        c.rect(cx + 2, cy + 2, cx + 18, cy + 10, classic(NAVY))
        c.line(cx + 4, cy + 4, cx + 10, cy + 4, classic(AQUA))
        c.rect(cx + 6, cy + 14, cx + 14, cy + 15, classic(GRAY))
    return c, side_palette()


def main():
    write_png(os.path.join(HERE, "128.png"), icon_32(), CLASSIC + [(0, 0, 0)], transparent=CLEAR)
    write_png(os.path.join(HERE, "128-16.png"), icon_16(), CLASSIC + [(0, 0, 0)], transparent=CLEAR)
    picture, palette = side_picture()
    write_png(os.path.join(HERE, "143.png"), picture, palette)


if __name__ == "__main__":
    main()

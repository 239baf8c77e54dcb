"""Tells drawn Chinese text from missing-glyph boxes in a screenshot.

A font that lacks a character draws it as a hollow rectangle (or nothing at all). Real
Chinese glyphs are strokes of many shapes, so a caption's ink is judged by its connected
pieces: when a good share of them are bare rectangle outlines, or there is no ink, the
caption did not render.
"""


class Image:
    """An RGB image as read from a binary PPM."""

    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels  # bytes, 3 per pixel, row by row

    @classmethod
    def from_ppm(cls, data):
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise ValueError("not an 8-bit binary PPM")
        width, height = int(fields[1]), int(fields[2])
        pos += 1  # the single whitespace after the header
        return cls(width, height, data[pos:pos + width * height * 3])

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]

    def crop(self, x, y, w, h):
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        if x1 <= x0 or y1 <= y0:
            return Image(0, 0, b"")
        rows = [self.pixels[(r * self.width + x0) * 3:(r * self.width + x1) * 3]
                for r in range(y0, y1)]
        return Image(x1 - x0, y1 - y0, b"".join(rows))


def ink_mask(image, threshold=80):
    """Pixels that differ clearly from the most common colour (the background)."""
    counts = {}
    px = image.pixels
    for i in range(0, len(px), 3):
        key = px[i:i + 3]
        counts[key] = counts.get(key, 0) + 1
    if not counts:
        return []
    bg = max(counts, key=counts.get)
    mask = []
    for y in range(image.height):
        row = []
        base = y * image.width * 3
        for x in range(image.width):
            i = base + x * 3
            d = max(abs(px[i] - bg[0]), abs(px[i + 1] - bg[1]), abs(px[i + 2] - bg[2]))
            row.append(d >= threshold)
        mask.append(row)
    return mask


def components(mask):
    """Bounding boxes and pixel sets of the 8-connected pieces of ink."""
    h = len(mask)
    w = len(mask[0]) if h else 0
    seen = [[False] * w for _ in range(h)]
    found = []
    for y in range(h):
        for x in range(w):
            if not mask[y][x] or seen[y][x]:
                continue
            stack = [(x, y)]
            seen[y][x] = True
            pts = []
            while stack:
                cx, cy = stack.pop()
                pts.append((cx, cy))
                for dy in (-1, 0, 1):
                    for dx in (-1, 0, 1):
                        nx, ny = cx + dx, cy + dy
                        if 0 <= nx < w and 0 <= ny < h and mask[ny][nx] and not seen[ny][nx]:
                            seen[ny][nx] = True
                            stack.append((nx, ny))
            xs = [p[0] for p in pts]
            ys = [p[1] for p in pts]
            found.append((min(xs), min(ys), max(xs), max(ys), set(pts)))
    return found


def boxes_in(comp):
    """How many missing-glyph boxes a piece of ink is: 0 for anything else.

    A box is a frame of straight lines; boxes side by side share their edges and form a
    ladder, whose last box may be cut off where the label ends. So: the top and bottom
    edges inked along (nearly) their whole length, every column in between either a
    vertical edge or inked only at top and bottom, and each pair of neighbouring vertical
    edges closing one box.
    """
    x0, y0, x1, y1, pts = comp
    w, h = x1 - x0 + 1, y1 - y0 + 1
    if w < 4 or h < 6:
        return 0

    def band_coverage(positions, near):
        return sum(1 for p in positions if any(near(p, d) in pts for d in (0, 1))) / len(positions)

    cols = range(x0, x1 + 1)
    if min(band_coverage(cols, lambda x, d: (x, y0 + d)),
           band_coverage(cols, lambda x, d: (x, y1 - d))) < 0.9:
        return 0
    edges = 0
    in_edge = False
    for x in cols:
        inner = sum(1 for y in range(y0 + 2, y1 - 1) if (x, y) in pts)
        if inner and inner < 0.85 * (h - 4):
            return 0
        if inner and not in_edge:
            edges += 1
        in_edge = bool(inner)
    return max(0, edges - 1)


def whole_pieces(mask):
    """Pieces of ink big enough to judge and not cut by the edge of the picture."""
    h = len(mask)
    w = len(mask[0]) if h else 0
    return [c for c in components(mask)
            if (c[2] - c[0] + 1) * (c[3] - c[1] + 1) >= 12
            and c[0] > 0 and c[1] > 0 and c[2] < w - 1 and c[3] < h - 1]


def verdict(image):
    """None when the image holds drawn glyphs, else why it looks like missing ones."""
    mask = ink_mask(image)
    if not any(any(row) for row in mask):
        return "no text drawn"
    pieces = whole_pieces(mask)
    if not pieces:
        return "no whole glyph in sight"
    boxes = sum(boxes_in(c) for c in pieces)
    others = sum(1 for c in pieces if not boxes_in(c))
    # A stray square character (口) is no failure; a caption of boxes is, even among Latin.
    if boxes >= 2 and 3 * boxes >= others:
        return "%d empty boxes among %d shapes" % (boxes, boxes + others)
    return None


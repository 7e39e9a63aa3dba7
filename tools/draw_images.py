#!/usr/bin/env python3
"""Draws the application's own images into resources/images: network speed
grades, connection status dots, the application icon, tick arrows, the order buttons,
the chart types, the browser image and the printed statement's company logo. Usage: draw_images.py [folder]."""
import math
import pathlib
import struct
import sys
import zlib

SAMPLES = 4  # per axis, for smooth edges


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a) floats 0..1 at a point in pixel units."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = pixel(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [acc[i] / acc[3] for i in range(3)]
            else:
                rgb = [0, 0, 0]
            rows += bytes(int(round(max(0, min(1, v)) * 255)) for v in rgb + [alpha])

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    path.write_bytes(png)


def rgb(hex_text, alpha=1.0):
    v = int(hex_text, 16)
    return ((v >> 16) / 255, ((v >> 8) & 255) / 255, (v & 255) / 255, alpha)


CLEAR = (0, 0, 0, 0)
GREEN, AMBER, RED = rgb("2EAD4B"), rgb("F0A500"), rgb("D8353A")
EMPTY_BAR = rgb("8A8F98", 0.45)


def in_round_rect(x, y, x0, y0, x1, y1, radius):
    cx = min(max(x, x0 + radius), x1 - radius)
    cy = min(max(y, y0 + radius), y1 - radius)
    return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def speed_bars(filled, colour):
    """Four rising bars on 32 x 32; the first `filled` coloured."""
    def pixel(x, y):
        for i in range(4):
            x0 = 3 + i * 7
            top = 24 - i * 6
            if in_round_rect(x, y, x0, top, x0 + 5, 28, 1.5):
                return colour if i < filled else EMPTY_BAR
        return CLEAR
    return pixel


def status_dot(colour):
    rim = tuple(c * 0.7 for c in colour[:3]) + (1.0,)
    def pixel(x, y):
        d = math.hypot(x - 16, y - 16)
        if d <= 10.5:
            return colour
        if d <= 12.5:
            return rim
        return CLEAR
    return pixel


def app_icon(x, y):
    """A rounded square in deep blue with three rising candles and a green trend line."""
    size = 256
    if not in_round_rect(x, y, 8, 8, size - 8, size - 8, 48):
        return CLEAR
    candles = [(64, 150, 190), (118, 110, 160), (172, 70, 130)]
    for cx, top, bottom in candles:
        if abs(x - cx) <= 3 and top - 20 <= y <= bottom + 20:
            return rgb("D9E2EE")
        if in_round_rect(x, y, cx - 16, top, cx + 16, bottom, 4):
            return rgb("D9E2EE")
    # Trend line from lower left to upper right.
    ax, ay, bx, by = 44, 212, 212, 56
    t = max(0, min(1, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
    if math.hypot(x - (ax + t * (bx - ax)), y - (ay + t * (by - ay))) <= 7:
        return GREEN
    shade = 0.12 * (y / size)
    return (0.09 - shade / 2, 0.22 - shade, 0.42 - shade, 1.0)


def triangle(up, colour):
    """A tick arrow on 16 x 16: a triangle pointing up or down."""
    def pixel(x, y):
        t = (y - 3) / 10 if up else (13 - y) / 10
        half = 6 * t
        return colour if 0 <= t <= 1 and abs(x - 8) <= half else CLEAR
    return pixel


def order_button(colour):
    """The Place order button's face on 120 x 32: a rounded bar in the side's colour."""
    def pixel(x, y):
        return colour if in_round_rect(x, y, 0.5, 0.5, 119.5, 31.5, 6) else CLEAR
    return pixel


def near_segment(x, y, a, b, width):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= width / 2


def line_chart(x, y):
    """A chart type on 32 x 32: a rising line through four points."""
    points = [(3, 24), (11, 15), (19, 19), (29, 6)]
    on = any(near_segment(x, y, points[i], points[i + 1], 2.4) for i in range(3))
    return GREEN if on else CLEAR


BARS = [(6, 8, 26, 20, 12), (16, 4, 20, 16, 8), (26, 10, 28, 14, 24)]  # x, high, low, open, close


def ohlc_chart(x, y):
    """Three OHLC sticks: the range, the open to the left and the close to the right."""
    for cx, high, low, open_, close in BARS:
        if abs(x - cx) <= 1 and high <= y <= low:
            return GREEN
        if cx - 5 <= x <= cx and abs(y - open_) <= 1 or cx <= x <= cx + 5 and abs(y - close) <= 1:
            return GREEN
    return CLEAR


def candlestick_chart(x, y):
    """Three candles: wicks over the range, bodies between open and close, rising green, falling red."""
    for cx, high, low, open_, close in BARS:
        colour = GREEN if close < open_ else RED  # y grows downwards
        if abs(x - cx) <= 3.5 and min(open_, close) <= y <= max(open_, close):
            return colour
        if abs(x - cx) <= 0.8 and high <= y <= low:
            return colour
    return CLEAR


def browser_globe(x, y):
    """The resources list's browser image on 32 x 32: a blue globe with a meridian and parallels."""
    d = math.hypot(x - 16, y - 16)
    if d > 13:
        return CLEAR
    if d > 11.5:
        return rgb("1F5FA8")
    line = rgb("D9E8F7")
    if abs(x - 16) <= 0.9 or abs(y - 16) <= 0.9 or abs(y - 9.5) <= 0.7 or abs(y - 22.5) <= 0.7:
        return line
    if abs(math.hypot((x - 16) * 2.2, y - 16) - 12.2) <= 1.2:
        return line
    return rgb("3C8DDE")


def company_logo(x, y):
    """480 x 120, printed at half size: a mark of rising bars, three rules."""
    if in_round_rect(x, y, 8, 8, 112, 112, 16):
        for i, h in enumerate((28, 46, 64)):
            if 28 + i * 24 <= x < 44 + i * 24 and 92 - h <= y < 92:
                return rgb("9ECFE0")
        return rgb("1F5D78")
    for x1, y0, y1, colour in ((460, 34, 46, "1F5D78"), (400, 58, 66, "9ECFE0"), (340, 78, 84, "5A5A5A")):
        if 132 <= x < x1 and y0 <= y < y1:
            return rgb(colour)
    return CLEAR


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "resources/images")
    folder.mkdir(parents=True, exist_ok=True)
    for name, filled, colour in [("Excellent", 4, GREEN), ("Good", 3, GREEN), ("Fair", 2, AMBER), ("Poor", 1, RED)]:
        write_png(folder / f"Network_Speed_{name}.png", 32, 32, speed_bars(filled, colour))
    for name, colour in [("online", GREEN), ("away", AMBER), ("offline", RED)]:
        write_png(folder / f"network-status-{name}.png", 32, 32, status_dot(colour))
    write_png(folder / "AppIcon.png", 256, 256, app_icon)
    write_png(folder / "banner_green_arrow.png", 16, 16, triangle(True, rgb("009900")))
    write_png(folder / "banner_red_arrow.png", 16, 16, triangle(False, rgb("E60026")))
    write_png(folder / "buy_button_img.png", 120, 32, order_button(rgb("1F6FD1")))
    write_png(folder / "sell_button_img.png", 120, 32, order_button(rgb("D8353A")))
    write_png(folder / "linechart.png", 32, 32, line_chart)
    write_png(folder / "ohlcchart.png", 32, 32, ohlc_chart)
    write_png(folder / "candlestickchart.png", 32, 32, candlestick_chart)
    write_png(folder / "browser_img.png", 32, 32, browser_globe)
    write_png(folder / "Company_Logo.png", 480, 120, company_logo)


if __name__ == "__main__":
    main()

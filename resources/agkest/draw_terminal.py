#!/usr/bin/env python3
"""Draws the generator's picture of the hand-held terminal and its key images.

Writes bitmaps 500-551 of agkest.rc as 24-bit BMP files:
  500        the whole terminal (200 x 459) with every key released
  501-523    keys 1-23 released, cut from that picture at their origins
  524-546    keys 1-23 pressed, cut from the same picture drawn with every key pressed
  547-551    cursor block, highlight bar, blank clock background, alpha indicator on and off
  agkest.ico the program icon

The keys are drawn in the picture first and cut out afterwards, so that a key image always
matches the picture around it. Keys whose bitmaps overlap (the cursor cluster) keep their
visible faces apart, so drawing one never damages its neighbour.

Needs ImageMagick's `convert` and the DejaVu fonts. Usage: draw_terminal.py OUTPUT_DIR
"""
import os
import subprocess
import sys
import tempfile

WIDTH, HEIGHT = 200, 459

BODY = "#2B3038"
BODY_EDGE = "#474F5A"
BODY_SHADE = "#1E2228"
BEZEL = "#15181C"
LCD = "#B7C59A"
LCD_DARK = "#26301A"

# Key code -> (origin x, origin y, width, height, visible face inside the bitmap
# as (left, top, right, bottom), kind, main label, small label).
KEYS = {}

KEYPAD_LABELS = {
    1: ("1", "SP"), 2: ("2", "ABC"), 3: ("3", "DEF"),
    4: ("4", "GHI"), 5: ("5", "JKL"), 6: ("6", "MNO"),
    7: ("7", "PQRS"), 8: ("8", "TUV"), 9: ("9", "WXYZ"),
    10: ("-", "+ $"), 11: ("0", "/ *"), 12: (".", "% #"),
}
for row, y in enumerate((295, 322, 349, 376, 403)):
    for column, x in enumerate((38, 79, 120)):
        code = row * 3 + column + 1
        if code <= 12:
            main, small = KEYPAD_LABELS[code]
            KEYS[code] = (x, y, 41, 23, (4, 1, 37, 21), "digit", main, small)
KEYS[13] = (38, 403, 41, 23, (8, 1, 37, 21), "function", "ALPHA", "")
KEYS[14] = (79, 403, 41, 23, (8, 1, 33, 21), "power", "", "")
KEYS[15] = (120, 403, 41, 23, (4, 1, 31, 21), "function", "FN", "")
KEYS[16] = (43, 197, 28, 37, (1, 1, 27, 36), "enter", "ENT", "")
KEYS[17] = (129, 197, 28, 37, (1, 1, 27, 36), "enter", "ENT", "")
KEYS[18] = (47, 239, 34, 32, (2, 2, 33, 23), "cursor", "left", "")
KEYS[20] = (118, 239, 34, 32, (1, 2, 33, 23), "cursor", "right", "")
KEYS[19] = (83, 241, 33, 24, (2, 1, 32, 23), "cursor", "up", "")
KEYS[22] = (83, 265, 33, 24, (2, 1, 32, 23), "cursor", "down", "")
KEYS[21] = (47, 263, 34, 32, (2, 8, 31, 29), "escape", "ESC", "")
KEYS[23] = (118, 263, 34, 32, (3, 8, 33, 29), "escape", "BS", "")

FACE = {
    "digit": ("#E4E7EA", "#9EA4AA", "#15181C"),
    "function": ("#5C83AE", "#34506F", "#FFFFFF"),
    "power": ("#C8372D", "#7A1E18", "#FFFFFF"),
    "enter": ("#3F9A57", "#23603A", "#FFFFFF"),
    "cursor": ("#A8B1BB", "#5E6670", "#15181C"),
    "escape": ("#D98A2B", "#8A5415", "#15181C"),
}


def arrow(direction, cx, cy, size):
    s = size
    points = {
        "up": [(cx, cy - s), (cx - s, cy + s * 0.6), (cx + s, cy + s * 0.6)],
        "down": [(cx, cy + s), (cx - s, cy - s * 0.6), (cx + s, cy - s * 0.6)],
        "left": [(cx - s, cy), (cx + s * 0.6, cy - s), (cx + s * 0.6, cy + s)],
        "right": [(cx + s, cy), (cx - s * 0.6, cy - s), (cx - s * 0.6, cy + s)],
    }[direction]
    return "polygon " + " ".join(f"{x:.1f},{y:.1f}" for x, y in points)


def draw_key(code, pressed):
    x, y, _w, _h, (l, t, r, b), kind, main, small = KEYS[code]
    face, shadow, ink = FACE[kind]
    left, top, right, bottom = x + l, y + t, x + r, y + b
    cmds = [f"fill '{BODY_SHADE}' roundrectangle {left - 1},{top - 1} {right + 1},{bottom + 1} 4,4"]
    if pressed:
        # The face sinks: no side wall below it, darker, one pixel lower.
        top += 1
        face = shade(face, 0.78)
        cmds.append(f"fill '{face}' roundrectangle {left},{top} {right},{bottom} 3,3")
    else:
        cmds.append(f"fill '{shadow}' roundrectangle {left},{top} {right},{bottom} 3,3")
        cmds.append(f"fill '{face}' roundrectangle {left},{top} {right},{bottom - 2} 3,3")
        cmds.append(f"fill '{shade(face, 1.12)}' line {left + 3},{top + 1} {right - 3},{top + 1}")
        bottom -= 2
    cx = (left + right) / 2
    cy = (top + bottom) / 2
    cmds.append(f"fill '{ink}' stroke none text-anchor middle")
    if kind == "digit":
        cmds.append(f"font 'DejaVu-Sans-Bold' font-size 12 text {left + 10},{cy + 4.5} '{main}'")
        cmds.append(f"font 'DejaVu-Sans-Condensed-Bold' font-size {7 if len(small) < 4 else 6} text {left + 24},{cy + 3} '{small}'")
    elif kind == "power":
        # The power symbol: an open ring with a bar through its gap.
        cmds.append(f"fill none stroke '{ink}' stroke-width 1.6 "
                    f"arc {cx - 5},{cy - 5} {cx + 5},{cy + 5} -60,240 "
                    f"line {cx},{cy - 7} {cx},{cy - 1} stroke none fill '{ink}'")
    elif kind == "cursor":
        cmds.append(arrow(main, cx, cy, 5))
    elif kind == "enter":
        cmds.append(f"font 'DejaVu-Sans-Condensed-Bold' font-size 8 text {cx},{cy - 3} '{main}'")
        cmds.append(f"fill none stroke '{ink}' stroke-width 1.5 "
                    f"polyline {cx + 5},{cy + 2} {cx + 5},{cy + 8} {cx - 4},{cy + 8} "
                    f"stroke none fill '{ink}' "
                    f"polygon {cx - 7},{cy + 8} {cx - 3},{cy + 5} {cx - 3},{cy + 11}")
    else:
        size = 8 if len(main) > 3 else 9
        cmds.append(f"font 'DejaVu-Sans-Condensed-Bold' font-size {size} text {cx},{cy + 3.5} '{main}'")
    return " ".join(cmds)


def shade(colour, factor):
    value = int(colour[1:], 16)
    channels = [(value >> s) & 0xFF for s in (16, 8, 0)]
    channels = [max(0, min(255, int(c * factor))) for c in channels]
    return "#" + "".join(f"{c:02X}" for c in channels)


def draw_body():
    return " ".join([
        # Case with a lighter rim, a scanner window at the top and a grip below.
        f"fill '{BODY_SHADE}' roundrectangle 1,1 198,457 22,22",
        f"fill '{BODY_EDGE}' roundrectangle 3,2 196,454 20,20",
        f"fill '{BODY}' roundrectangle 6,5 193,451 18,18",
        "fill '#7A0E12' roundrectangle 60,5 139,11 3,3",
        "fill '#C0262C' rectangle 66,6 133,8",
        # Display bezel and glass.
        f"fill '{BEZEL}' roundrectangle 22,18 177,136 8,8",
        f"fill '#3A4048' roundrectangle 25,21 174,133 6,6",
        f"fill '{BEZEL}' roundrectangle 29,26 170,127 3,3",
        f"fill '{LCD}' rectangle 33,30 166,123",
        f"fill '{shade(LCD, 0.9)}' rectangle 33,30 166,31",
        # Maker's plate between display and keys.
        "fill '#E8EAED' font 'DejaVu-Sans-Bold' font-size 13 text-anchor middle text 100,158 'VELMOR'",
        "fill '#9AA3AD' font 'DejaVu-Sans-Condensed' font-size 8 text 100,170 'KEST  data terminal'",
        "fill '#3FD46A' circle 168,151 170,151",
        "fill '#9AA3AD' font 'DejaVu-Sans' font-size 6 text 168,163 'RX'",
        # Scan trigger between the Enter keys.
        f"fill '{BODY_SHADE}' roundrectangle 76,203 123,229 10,10",
        "fill '#C0262C' roundrectangle 78,205 121,226 9,9",
        "fill '#FFFFFF' font 'DejaVu-Sans-Condensed-Bold' font-size 8 text 100,219 'SCAN'",
        # Keypad well.
        f"fill '{BODY_SHADE}' roundrectangle 33,291 165,430 6,6",
        f"fill '{BODY}' roundrectangle 35,293 163,428 5,5",
        # Speaker grille.
        "fill '#1A1D22' " + " ".join(f"roundrectangle {x},438 {x + 2},446 1,1" for x in range(80, 121, 6)),
    ])


def render(pressed, path):
    draw = draw_body() + " " + " ".join(draw_key(code, pressed) for code in sorted(KEYS, key=draw_order))
    subprocess.run(["convert", "-size", f"{WIDTH}x{HEIGHT}", "xc:white", "-draw", draw,
                    "-alpha", "off", path], check=True)


def draw_order(code):
    # The terminal window paints keys 1-23 in code order; the picture does the same.
    return code


def bmp(args, path):
    subprocess.run(["convert", *args, "-alpha", "off", "-type", "TrueColor", f"BMP3:{path}"], check=True)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        released = os.path.join(tmp, "released.png")
        pressed = os.path.join(tmp, "pressed.png")
        render(False, released)
        render(True, pressed)
        bmp([released], os.path.join(out, "500.bmp"))
        # The program icon: the terminal standing in a square.
        subprocess.run(["convert", released, "-fuzz", "2%", "-transparent", "white", "-resize", "32x32",
                        "-background", "none", "-gravity", "center", "-extent", "32x32",
                        "(", "+clone", "-resize", "16x16", ")", os.path.join(out, "agkest.ico")], check=True)
        for code, (x, y, w, h, *_rest) in KEYS.items():
            crop = ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
            bmp([released, *crop], os.path.join(out, f"{500 + code}.bmp"))
            bmp([pressed, *crop], os.path.join(out, f"{523 + code}.bmp"))
    bmp(["-size", "6x10", f"xc:{LCD_DARK}"], os.path.join(out, "547.bmp"))
    bmp(["-size", "116x10", f"xc:{LCD_DARK}"], os.path.join(out, "548.bmp"))
    bmp(["-size", "116x12", f"xc:{LCD}"], os.path.join(out, "549.bmp"))
    letter_a = ["  ###  ", " #   # ", " #   # ", " ##### ", " #   # ", " #   # ", " #   # "]
    points = " ".join(f"point {x},{y}" for y, row in enumerate(letter_a) for x, c in enumerate(row) if c == "#")
    bmp(["-size", "7x8", f"xc:{LCD_DARK}", "-fill", LCD, "-draw", points], os.path.join(out, "550.bmp"))
    bmp(["-size", "7x8", f"xc:{LCD}"], os.path.join(out, "551.bmp"))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Two things the screenshots need from the X server, through python3-xlib.

  xshot.py maximise WINDOW-ID   asks the window manager to maximise the
                                window (_NET_WM_STATE, as a desktop would)
  xshot.py grab FILE.png        writes the whole screen, frames and all
"""

import struct
import sys
import zlib

from Xlib import X, display as xdisplay
from Xlib.protocol import event as xevent


def maximise(d, wid):
    root = d.screen().root
    window = d.create_resource_object("window", wid)
    state = d.intern_atom("_NET_WM_STATE")
    horz = d.intern_atom("_NET_WM_STATE_MAXIMIZED_HORZ")
    vert = d.intern_atom("_NET_WM_STATE_MAXIMIZED_VERT")
    # 1 = add; the last word says the request comes from a normal application.
    message = xevent.ClientMessage(window=window, client_type=state, data=(32, [1, horz, vert, 1, 0]))
    root.send_event(message, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
    d.sync()


def png(path, width, height, rgb_rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rgb_rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        f.write(chunk(b"IEND", b""))


def grab(d, path):
    screen = d.screen()
    width, height = screen.width_in_pixels, screen.height_in_pixels
    if screen.root_depth != 24:
        raise SystemExit("xshot: only 24-bit screens are supported")
    rows = []
    # In bands, as one request may not carry a whole 4K screen.
    band = 64
    for top in range(0, height, band):
        h = min(band, height - top)
        image = screen.root.get_image(0, top, width, h, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        # 32 bits a pixel, blue, green, red, unused.
        rgb = bytearray(width * h * 3)
        rgb[0::3] = data[2::4]
        rgb[1::3] = data[1::4]
        rgb[2::3] = data[0::4]
        stride = width * 3
        rows.extend(bytes(rgb[i * stride:(i + 1) * stride]) for i in range(h))
    png(path, width, height, rows)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("maximise", "grab"):
        sys.exit(__doc__)
    d = xdisplay.Display()
    if sys.argv[1] == "maximise":
        maximise(d, int(sys.argv[2], 0))
    else:
        grab(d, sys.argv[2])


if __name__ == "__main__":
    main()

"""Writes PNG files from rows of pixels, for the drawing scripts of this folder."""
import struct
import zlib


def png_bytes(width, height, rows, alpha):
    """A PNG of 8-bit RGB (or RGBA when `alpha`) pixels; `rows` are the bytes of each row."""
    raw = b"".join(b"\0" + bytes(row) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

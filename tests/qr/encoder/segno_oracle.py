"""Reference symbols from segno, used as a black box by the encoder's oracle tests.

Reads one request per line from the file named first, fields separated by blanks:
  mode      "numeric", "alphanumeric" or "byte"
  charset   the Python codec that turns the text into the bytes of a byte-mode
            segment ("-" for numeric and alphanumeric mode)
  error     "L", "M", "Q" or "H"
  version   1..40, or 0 for segno's own choice
  mask      0..7, or -1 for segno's own choice
  text      the content as UTF-16BE in hex ("-" when empty)
Writes one line per request to the file named second: the version and mask segno
used, the content bytes in hex ("-" when empty), then the modules as strings of
0/1, one per row, without quiet zone.
"""
import sys

import segno


def make(fields):
    mode, charset, error, version, mask, text_hex = fields
    text = bytes.fromhex("" if text_hex == "-" else text_hex).decode("utf-16-be")
    # Bytes for byte mode, so that segno adds no ECI designator or encoding of its own.
    data = text.encode(charset) if mode == "byte" else text
    symbol = segno.make(data, version=int(version) or None, error=error, mode=mode,
                        mask=None if int(mask) < 0 else int(mask), micro=False,
                        boost_error=False)
    content = data if isinstance(data, bytes) else data.encode("ascii")
    rows = ["".join("1" if m else "0" for m in row) for row in symbol.matrix]
    return " ".join([str(symbol.version), str(symbol.mask), content.hex().upper() or "-"] + rows)


def main():
    with open(sys.argv[1], encoding="ascii") as requests, open(sys.argv[2], "w", encoding="ascii") as out:
        for line in requests:
            out.write(make(line.split()) + "\n")


if __name__ == "__main__":
    main()

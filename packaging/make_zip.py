"""Writes the portable zip: one folder, fixed entry order, every time from SOURCE_DATE_EPOCH.

Windows' own zip folders read entry names in the system's code page and other tools read UTF-8,
so each name is stored as GBK (code page 936) in the name field and as UTF-8 in an Info-ZIP
Unicode Path extra field (0x7075); no other extra fields.

usage: make_zip.py <out.zip> <folder> <epoch> <name>=<file> ...
"""

import struct
import sys
import time
import zlib


def dos_time(epoch):
    t = time.gmtime(max(epoch, 315532800))  # zip times start in 1980
    return (t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec // 2,
            (t.tm_year - 1980) << 9 | t.tm_mon << 5 | t.tm_mday)


def unicode_path(gbk, utf8):
    data = struct.pack("<BI", 1, zlib.crc32(gbk)) + utf8
    return struct.pack("<HH", 0x7075, len(data)) + data


def zip_bytes(folder, epoch, entries):
    """entries: [(name, bytes)], in the order they are stored, under folder/."""
    clock, date = dos_time(epoch)
    local, central = bytearray(), bytearray()
    for name, data in [("", None), *entries]:
        utf8 = (folder + "/" + name).encode("utf-8")
        gbk = (folder + "/" + name).encode("gbk")
        extra = unicode_path(gbk, utf8)
        if data is None:  # the folder itself
            method, packed, crc, attributes = 0, b"", 0, 0x10
        else:
            compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
            method, packed, crc = 8, compressor.compress(data) + compressor.flush(), zlib.crc32(data)
            attributes = 0x20  # FILE_ATTRIBUTE_ARCHIVE
        size = 0 if data is None else len(data)
        common = struct.pack("<HHHHHIIIHH", 20, 0, method, clock, date, crc, len(packed), size,
                             len(gbk), len(extra))
        central += (struct.pack("<IH", 0x02014B50, 20) + common +
                    struct.pack("<HHHII", 0, 0, 0, attributes, len(local)) + gbk + extra)
        local += struct.pack("<I", 0x04034B50) + common + gbk + extra + packed
    count = len(entries) + 1
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), len(local), 0)
    return bytes(local + central + end)


def main(out, folder, epoch, *pairs):
    entries = []
    for pair in pairs:
        name, path = pair.split("=", 1)
        with open(path, "rb") as f:
            entries.append((name, f.read()))
    with open(out, "wb") as f:
        f.write(zip_bytes(folder, int(epoch), entries))


if __name__ == "__main__":
    main(*sys.argv[1:])

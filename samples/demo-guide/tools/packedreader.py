"""A small reader of packed guide files (the three content files), used by
make_guide.py --verify to compare what the packer wrote with the layout the
generator computed. Standard library only; reads whole files (the demo guide
is small).
"""

import os
import struct

TEXT_RECORD = 65000


def bit_length(v):
    return v.bit_length()


def index_width(count):
    return bit_length(count - 1) if count >= 1 else 0


class PackedTable:
    def __init__(self, data, start, count, width):
        self.data = data
        self.start = start
        self.count = count
        self.width = width
        self.per_chunk = 520000 // width if width else max(count, 1)
        self.stride = (self.per_chunk * width + 7) // 8 if width else 0
        if count == 0 or width == 0:
            self.size = 0
        else:
            chunks = (count + self.per_chunk - 1) // self.per_chunk
            last = count - (chunks - 1) * self.per_chunk
            self.size = (chunks - 1) * self.stride + (last * width + 7) // 8

    def bits(self, i, offset, width):
        """width bits starting offset bits into entry i."""
        if width == 0:
            return 0
        chunk, k = divmod(i, self.per_chunk)
        bit = k * self.width + offset
        pos = self.start + chunk * self.stride + bit // 8
        nbytes = (bit % 8 + width + 7) // 8
        raw = int.from_bytes(self.data[pos:pos + nbytes], "big")
        shift = nbytes * 8 - bit % 8 - width
        return (raw >> shift) & ((1 << width) - 1)

    def entry(self, i):
        return self.bits(i, 0, self.width)


def decode_text(raw):
    out = []
    i = 0
    n = len(raw)
    while i < n:
        b = raw[i]
        if b < 0xC0:
            out.append(chr(b))
            i += 1
        elif b < 0xE0:
            if i + 1 >= n:
                break
            out.append(chr(((b & 0x1F) << 6) | (raw[i + 1] & 0x3F)))
            i += 2
        else:
            if i + 2 >= n:
                break
            out.append(chr(((b & 0x0F) << 12) | ((raw[i + 1] & 0x3F) << 6) | (raw[i + 2] & 0x3F)))
            i += 3
    return "".join(out)


class PackedGuide:
    def __init__(self, directory, base="Qd07-Qd07"):
        def load(suffix):
            with open(os.path.join(directory, base + suffix), "rb") as f:
                return f.read()

        data = load("-Data.pdb")
        n = struct.unpack_from(">H", data, 76)[0]
        h = 78 + 8 * n
        (tag, s1, s2, s3, self.type_count, self.kind_count, self.name_count,
         self.object_count, self.max_id, self.run_limit) = struct.unpack_from(">IHHIHHIIII", data, h)
        if tag != 4:
            raise ValueError("Data format tag %d" % tag)
        self.stamp = (s1, s2, s3)

        strings = load("-Strings.pdb")
        n = struct.unpack_from(">H", strings, 76)[0]
        sh = 78 + 8 * n
        _, t1, t2, t3, self.string_count, max_code = struct.unpack_from(">IHHIII", strings, sh)
        if (t1, t2, t3) != self.stamp:
            raise ValueError("edition stamps differ")
        codes = PackedTable(strings, sh + 20, self.string_count, bit_length(max_code))
        text_start = codes.start + codes.size
        positions = [text_start + (c >> 16) * TEXT_RECORD + (c & 0xFFFF)
                     for c in (codes.entry(i) for i in range(self.string_count))]
        positions.append(len(strings))
        self.strings = [decode_text(strings[positions[i]:positions[i + 1]])
                        for i in range(self.string_count)]

        binary = load("-Binary-PPC.pdb")
        n = struct.unpack_from(">H", binary, 76)[0]
        bh = 78 + 8 * n
        btag = struct.unpack_from(">I", binary, bh)[0]
        self.blobs = []
        if btag == 5:
            blob_count, max_blob = struct.unpack_from(">II", binary, bh + 12)
            table = PackedTable(binary, bh + 20, blob_count, bit_length(max_blob))
            start = table.start + table.size
            pos = [start + (c >> 16) * TEXT_RECORD + (c & 0xFFFF)
                   for c in (table.entry(i) for i in range(blob_count))]
            pos.append(len(binary))
            self.blobs = [binary[pos[i]:pos[i + 1]] for i in range(blob_count)]

        sbits = index_width(self.string_count)
        obits = index_width(self.object_count)
        types = PackedTable(data, h + 32, self.type_count, sbits)
        kinds = PackedTable(data, types.start + types.size, self.kind_count, sbits)
        names = PackedTable(data, kinds.start + kinds.size, self.name_count, sbits + obits)
        self.type_names = [self.strings[types.entry(i)] for i in range(self.type_count)]
        self.kind_names = [self.strings[kinds.entry(i)] for i in range(self.kind_count)]
        self.names = [(self.strings[names.bits(i, 0, sbits)], names.bits(i, sbits, obits))
                      for i in range(self.name_count)]
        self.widths = [bit_length(self.max_id), obits, index_width(self.type_count),
                       index_width(self.run_limit), index_width(self.kind_count), 32, obits]
        self.objects = PackedTable(data, names.start + names.size, self.object_count, sum(self.widths))

    def entry(self, i):
        fields = []
        offset = 0
        for w in self.widths:
            fields.append(self.objects.bits(i, offset, w))
            offset += w
        keys = ("id", "parent", "type", "run", "kind", "value", "byIdOrder")
        e = dict(zip(keys, fields))
        e["typeName"] = self.type_names[e["type"]]
        e["kindName"] = self.kind_names[e["kind"]]
        if e["kindName"] == "string":
            e["text"] = self.strings[e["value"]]
        return e

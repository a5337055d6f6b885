#!/usr/bin/env python3
"""Writes the map finder's corpus: synthetic ROM images shaped like those of 8-bit engine computers,
each with a truth file beside it that says what was planted where.

    make_finder_corpus.py OUTPUT_FOLDER [--count N]

Each image i is corpus-NN.bin with corpus-NN.truth beside it. The images are 8192, 16384 or 32768
bytes. A 4096-byte calibration area lies at the top of the image or at its bottom (with the code
above it) and holds 16x16 maps, most on 256-byte boundaries and often back to back, flagged fuel
maps (a byte b >= 128 stands for b - 192) and timing maps with a block of flagged cells (b | 0x80),
pairs of axes (8-bit, or 16-bit big-endian on older units) that several maps share and that lie away
from them, 16-byte tables, a 64-entry 16-bit airflow curve, constants and a part number. The rest
is a stream shaped like 6800-family code: weighted opcodes with their operands, favourite RAM
variables, addresses in the calibration area, repeated idioms and jump tables.

Images from LOOSE_IMAGE_COUNT on are packed as real units pack them: the axes stand right before
their maps (an 8-bit pair 32 bytes before a group of maps, or four 16-bit axes 128 bytes before
it) and the fuel maps rise evenly and steeply with rpm, so a window that starts on the axes and
runs into the map competes with the map; and the last map of an aligned group has hand-tuned idle
rows and is followed by two rows that carry its last rows on, so a window shifted into it by whole
rows competes with it too.

Only integer arithmetic and our own pseudo-random sequence (splitmix64) are used, so the same
images come out everywhere; skerrow/FinderCorpus.cpp builds the very same bytes in C++ for the unit
tests, and the quality benchmark checks that the two agree.

Truth file lines ("#" starts a comment; addresses are file offsets in hexadecimal):
    size <bytes>
    calibration <start> <end>
    code <start> <end>
    map <address> fuel|timing <rpm axis address> <load axis address>
    axis <address> 8|16 rpm|load
    table <address> <bytes>       (16-byte tables, the airflow curve, constants, the part number)
"""
import argparse
import os
import sys

MASK64 = (1 << 64) - 1
IMAGE_COUNT = 42
LOOSE_IMAGE_COUNT = 30  # images before this one keep their axes away from the maps
CAL_BYTES = 0x1000
SLOT = 16  # the calibration area is laid out in 16-byte slots


class Rng:
    """splitmix64: small, fast and easy to write the same way in C++."""

    def __init__(self, seed):
        self.state = seed & MASK64

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def between(self, lo, hi):
        return lo + self.below(hi - lo + 1)


def rising_axis(rng, count, start_lo, start_hi, end_lo, end_hi):
    """`count` strictly rising values from about start to about end, with uneven steps."""
    start = rng.between(start_lo, start_hi)
    end = rng.between(end_lo, end_hi)
    weights = [rng.between(4, 12) for _ in range(count - 1)]
    total = sum(weights)
    values = [start]
    for w in weights:
        values.append(values[-1] + max(1, w * (end - start) // total))
    return values


def scaled(axis):
    """Axis positions as 0..1000 over the axis' own span, so uneven steps show in the maps."""
    span = axis[-1] - axis[0]
    return [(a - axis[0]) * 1000 // span for a in axis]


def fuel_map(rng, rpm, load, steep=False):
    """Fuel over rpm (rows) and load (columns), rising with plateaus, with a closed-loop block of
    flagged cells at low rpm and load: a flagged byte b stands for b - 192. A `steep` map rises
    with rpm about as much as with load, by the same few units from row to row."""
    xs, ys = scaled(rpm), scaled(load)
    if steep:
        xs = [r * 1000 // 15 for r in range(16)]
    base = rng.between(2, 5)
    gain_load = rng.between(70, 95)
    gain_rpm = rng.between(45, 60) if steep else rng.between(6, 16)
    gain_both = rng.between(0, 12)
    flag_rows = rng.between(6, 10)
    flag_cols = rng.between(2, 5)
    cells = []
    for r in range(16):
        for c in range(16):
            x, y = xs[r], ys[c]
            v = base + gain_load * y * y // 1000000 + gain_rpm * x // 1000 + gain_both * x * y // 1000000
            if rng.below(12) == 0:
                v += 1  # a cell touched by hand
            v = min(v, 127)
            if r < flag_rows and c < flag_cols:
                cells.append(192 + v - rng.below(2))
            else:
                cells.append(v)
    return cells


def timing_map(rng, rpm, load):
    """Ignition advance of about 5 to 40 degrees, rising with rpm, rising or falling with load,
    with a block of knock-controlled cells (bit 7 set) at high rpm and load."""
    xs, ys = scaled(rpm), scaled(load)
    base = rng.between(8, 14)
    gain_rpm = rng.between(14, 24)
    gain_load = rng.between(4, 12)
    falls_with_load = rng.below(2) == 1
    knock_row = rng.between(7, 11)
    knock_col = rng.between(6, 10)
    cells = []
    for r in range(16):
        for c in range(16):
            x, y = xs[r], ys[c]
            v = base + gain_rpm * x // 1000
            v = v - gain_load * y // 1000 if falls_with_load else v + gain_load * y // 1000
            if rng.below(12) == 0:
                v += 1
            v = max(5, min(40, v))
            cells.append(v | 0x80 if r >= knock_row and c >= knock_col else v)
    return cells


def low_octane(rng, cells, kind):
    """The knock/low octane twin of a map: richer fuel or less advance towards high load."""
    out = []
    for i, b in enumerate(cells):
        c = i % 16
        if c < 8:
            out.append(b)
            continue
        change = (c - 6) // 3 + rng.below(2)
        if kind == "fuel":
            out.append(b if b >= 128 else min(127, b + change))
        else:
            flag, v = b & 0x80, b & 0x7F
            out.append(flag | max(5, v - change))
    return out


def words(values):
    out = []
    for v in values:
        out += [(v >> 8) & 0xFF, v & 0xFF]
    return out


def one_d_table(rng, rising):
    """A 16-byte table of the kind that sits among the maps: ramps with plateaus, humps, or (when
    `rising`) a strictly rising run that looks like an axis but is none."""
    shape = rng.below(4)
    start = rng.between(0, 120)
    if rising:
        return rising_axis(rng, 16, 20, 60, 150, 240)
    out = []
    for i in range(16):
        if shape == 0:
            v = start + i * rng.between(0, 3) // 2
        elif shape == 1:
            v = start + 100 - i * 5 + rng.below(2)
        elif shape == 2:
            v = start + 40 - (i - 8) * (i - 8) // 2
        else:
            v = start + (i // 4) * 9
        out.append(max(0, min(255, v)))
    return out


def part_number(rng):
    text = "TS" + "".join(str(rng.below(10)) for _ in range(5)) + "-"
    text += "".join(chr(65 + rng.below(26)) for _ in range(3))
    return [ord(ch) for ch in text.ljust(16)]


def constants(rng):
    out = []
    for _ in range(16):
        kind = rng.below(4)
        if kind == 0:
            out.append(rng.below(40))
        elif kind == 1:
            out.append(0xFF)
        elif kind == 2:
            out.append(0x00)
        else:
            out.append(rng.below(256))
    return out


class Layout:
    """Free 16-byte slots of the calibration area and the blocks placed in them."""

    def __init__(self, rng):
        self.rng = rng
        self.free = [True] * (CAL_BYTES // SLOT)

    def place(self, slots, page_aligned, phase=0):
        """`page_aligned` puts slot `phase` of the block on a 256-byte boundary."""
        starts = []
        for s in range(len(self.free) - slots + 1):
            if page_aligned and (s + phase) % 16 != 0:
                continue
            if all(self.free[s:s + slots]):
                starts.append(s)
        if not starts:
            # Never with the blocks make_image places; a change that overfills the area must fail
            # loudly rather than write a block where another lies.
            raise RuntimeError("the calibration area has no room for %d slots" % slots)
        s = starts[self.rng.below(len(starts))]
        for k in range(s, s + slots):
            self.free[k] = False
        return s * SLOT


# 6800-family opcodes: (opcode, operand kind, weight). Kinds: 0 none, 1 relative, 2 immediate byte,
# 3 immediate word, 4 direct, 5 indexed, 6 extended data, 7 extended store, 8 extended call/jump.
OPCODES = [
    (0x39, 0, 4), (0x3B, 0, 1), (0x4F, 0, 3), (0x5F, 0, 3), (0x08, 0, 3), (0x09, 0, 2), (0x1B, 0, 1),
    (0x36, 0, 2), (0x32, 0, 2), (0x44, 0, 2), (0x48, 0, 2), (0x16, 0, 2), (0x17, 0, 1), (0x0C, 0, 1),
    (0x0E, 0, 1), (0x0F, 0, 1), (0x3A, 0, 1), (0x3D, 0, 1),
    (0x20, 1, 4), (0x26, 1, 6), (0x27, 1, 5), (0x24, 1, 3), (0x25, 1, 3), (0x2A, 1, 2), (0x2B, 1, 2),
    (0x22, 1, 2), (0x23, 1, 2),
    (0x86, 2, 5), (0xC6, 2, 4), (0x81, 2, 4), (0xC1, 2, 3), (0x84, 2, 3), (0x8A, 2, 2), (0x8B, 2, 2),
    (0x80, 2, 2), (0xC4, 2, 2),
    (0xCE, 3, 4), (0x8C, 3, 2), (0xCC, 3, 3),
    (0x96, 4, 8), (0x97, 4, 7), (0xD6, 4, 6), (0xD7, 4, 5), (0xDC, 4, 4), (0xDD, 4, 4), (0x9B, 4, 2),
    (0x91, 4, 2), (0xDE, 4, 2), (0xDF, 4, 2), (0x13, 4, 2), (0x12, 4, 2),
    (0xA6, 5, 4), (0xE6, 5, 4), (0xA7, 5, 2), (0xE7, 5, 2), (0xEC, 5, 3), (0xED, 5, 2), (0x6F, 5, 1),
    (0xB6, 6, 6), (0xF6, 6, 5), (0xFC, 6, 4), (0xFE, 6, 2), (0xB1, 6, 1),
    (0xB7, 7, 4), (0xF7, 7, 3), (0xFD, 7, 3),
    (0xBD, 8, 7), (0x7E, 8, 3),
]
OPCODE_WEIGHT = sum(w for _, _, w in OPCODES)


def pick_opcode(rng):
    roll = rng.below(OPCODE_WEIGHT)
    for op, kind, weight in OPCODES:
        if roll < weight:
            return op, kind
        roll -= weight
    raise AssertionError("weights do not add up")


def code_stream(rng, length, code_cpu, cal_targets):
    """`length` bytes shaped like 6800-family code starting at CPU address `code_cpu`."""
    ram = [rng.between(0x40, 0xFF) for _ in range(20)]
    io = [0x1000 + rng.below(0x40) for _ in range(8)]
    routines = [code_cpu + rng.below(length) for _ in range(24)]
    out = []
    while len(out) < length:
        roll = rng.below(100)
        if roll < 5 and len(out) > 64:
            # A repeated idiom: the same few instructions again.
            n = rng.between(6, 20)
            src = rng.below(len(out) - n)
            out += out[src:src + n]
            continue
        if roll < 7:
            for _ in range(rng.between(3, 8)):
                out += words([routines[rng.below(len(routines))]])
            continue
        op, kind = pick_opcode(rng)
        out.append(op)
        if kind == 1:
            out.append((rng.below(64) - 32) & 0xFF)
        elif kind == 2:
            out.append(rng.below(256) if rng.below(4) == 0 else rng.below(32))
        elif kind == 3:
            target = cal_targets[rng.below(len(cal_targets))] if rng.below(2) == 0 else rng.below(0x800)
            out += words([target])
        elif kind == 4:
            out.append(ram[rng.below(len(ram))])
        elif kind == 5:
            out.append(rng.below(16))
        elif kind == 6:
            if rng.below(3) == 0:
                out += words([io[rng.below(len(io))]])
            else:
                out += words([cal_targets[rng.below(len(cal_targets))] + rng.below(16)])
        elif kind == 7:
            out += words([io[rng.below(len(io))] if rng.below(2) == 0 else 0x0100 + rng.below(0x300)])
        elif kind == 8:
            out += words([routines[rng.below(len(routines))]])
    return out[:length]


def make_image(index):
    """The bytes of corpus image `index` and its truth lines."""
    rng = Rng(0x5EED0000 + index)
    size = [8192, 16384, 32768][index % 3]
    cal_at_top = (index // 3) % 2 == 0
    cal = size - CAL_BYTES if cal_at_top else 0
    code = (0, size - CAL_BYTES) if cal_at_top else (CAL_BYTES, size)
    wide_axes = index % 4 == 3
    packed = index >= LOOSE_IMAGE_COUNT
    # Packed 16-bit axes stand four to a block: the fuel pair and the timing pair.
    shared_axes = index % 3 == 0 and not (packed and wide_axes)
    variant = index % 5
    kinds = ["fuel", "fuel", "timing", "timing"]
    if variant == 1:
        kinds = ["fuel", "fuel", "timing"]
    elif variant == 2:
        kinds = ["fuel", "timing"]
    elif variant == 4:
        kinds = ["fuel", "fuel", "timing", "timing", "fuel", "timing"]

    image = [0xFF] * size
    truth = ["size %d" % size, "calibration 0x%04x 0x%04x" % (cal, cal + CAL_BYTES),
             "code 0x%04x 0x%04x" % code]
    layout = Layout(rng)

    def put(address, data):
        image[address:address + len(data)] = data

    # Maps first, in one or two groups of maps back to back; now and then a group that starts on a
    # 16-byte boundary only.
    split = len(kinds) >= 3 and rng.below(2) == 1
    groups = [kinds[:2], kinds[2:]] if split else [kinds]
    axis_bytes = 32 if wide_axes else 16
    pair_count = 1 if shared_axes else 2
    # Packed: the pairs of axes that stand before each group. 8-bit pairs stand before the group of
    # their maps where the fuel and timing maps lie apart; otherwise all stand before the first group.
    own_pairs = packed and split and pair_count == 2 and not wide_axes
    pairs_before = [0] * len(groups)
    if packed:
        for g in range(len(groups)):
            pairs_before[g] = 1 if own_pairs else (pair_count if g == 0 else 0)
    map_places = []
    axis_places = []
    stretched = None  # the map followed by two rows that carry it on
    for g, group in enumerate(groups):
        aligned = rng.below(6) != 0
        lead = pairs_before[g] * 2 * axis_bytes // SLOT
        tail = 2 if packed and aligned and g == len(groups) - 1 else 0
        offset = layout.place(lead + 16 * len(group) + tail, aligned, lead)
        axis_places += [cal + offset + p * 2 * axis_bytes for p in range(pairs_before[g])]
        for j in range(len(group)):
            map_places.append(cal + offset + lead * SLOT + 256 * j)
        if tail:
            stretched = len(map_places) - 1

    # Axes: one pair for the fuel maps and one for the timing maps, or one pair that all share.
    pairs = []
    for p in range(pair_count):
        if wide_axes:
            rpm = rising_axis(rng, 16, 400, 800, 6000, 7200)
            load = rising_axis(rng, 16, 20, 60, 900, 1400)
        else:
            rpm = rising_axis(rng, 16, 12, 20, 120, 140)
            load = rising_axis(rng, 16, 10, 16, 100, 117)
        at = axis_places[p] if packed else cal + layout.place(2 * axis_bytes // SLOT, False)
        put(at, words(rpm) if wide_axes else rpm)
        put(at + axis_bytes, words(load) if wide_axes else load)
        truth.append("axis 0x%04x %d rpm" % (at, 16 if wide_axes else 8))
        truth.append("axis 0x%04x %d load" % (at + axis_bytes, 16 if wide_axes else 8))
        pairs.append((at, at + axis_bytes, rpm, load))

    last = {}
    for kind, address in zip(kinds, map_places):
        pair = pairs[0] if shared_axes or kind == "fuel" else pairs[1]
        if kind in last:
            cells = low_octane(rng, last[kind], kind)
        else:
            cells = fuel_map(rng, pair[2], pair[3], packed) if kind == "fuel" else timing_map(rng, pair[2], pair[3])
        last[kind] = cells
        put(address, cells)
        truth.append("map 0x%04x %s 0x%04x 0x%04x" % (address, kind, pair[0], pair[1]))

    if stretched is not None:
        # Idle and cranking rows tuned by hand, and two rows after the map that carry its last two on
        # (the knock flag of a timing cell stays as it is).
        address = map_places[stretched]
        for i in range(32):
            image[address + i] = max(0, min(255, image[address + i] + rng.between(-3, 3)))
        for k in (1, 2):
            for c in range(16):
                last = image[address + 240 + c]
                before = image[address + 224 + c]
                v = (last & 0x7F) + k * ((last & 0x7F) - (before & 0x7F))
                image[address + 240 + 16 * k + c] = (last & 0x80) | max(0, min(127, v))
        truth.append("table 0x%04x 32" % (address + 256))

    targets = [0x10000 - size + a for a in map_places] + [0x10000 - size + p[0] for p in pairs]
    curve_at = cal + layout.place(8, False)
    peak = rng.between(40000, 62000)
    put(curve_at, words([peak * j * j // (63 * 63) for j in range(64)]))
    truth.append("table 0x%04x 128" % curve_at)
    targets.append(0x10000 - size + curve_at)
    table_count = rng.between(3, 6)
    for t in range(table_count):
        at = cal + layout.place(1, False)
        put(at, one_d_table(rng, t == 0 and rng.below(3) == 0))
        truth.append("table 0x%04x 16" % at)
        targets.append(0x10000 - size + at)
    for _ in range(rng.between(2, 4)):
        at = cal + layout.place(1, False)
        put(at, constants(rng))
        truth.append("table 0x%04x 16" % at)
        targets.append(0x10000 - size + at)
    at = cal + layout.place(1, False)
    put(at, part_number(rng))
    truth.append("table 0x%04x 16" % at)

    stream = code_stream(rng, code[1] - code[0], 0x10000 - size + code[0], targets)
    put(code[0], stream)
    if not cal_at_top:
        # The reset and interrupt vectors end the image, pointing into the code.
        put(size - 16, words([0x10000 - size + code[0] + rng.below(code[1] - code[0]) for _ in range(8)]))
    return bytes(image), truth


def main(argv):
    parser = argparse.ArgumentParser(description="Writes the map finder's corpus of synthetic ROM images.")
    parser.add_argument("folder", help="where to write corpus-NN.bin and corpus-NN.truth")
    parser.add_argument("--count", type=int, default=IMAGE_COUNT, help="how many images (default %(default)s)")
    args = parser.parse_args(argv[1:])
    if args.count < 0:
        parser.error("--count must not be negative")
    os.makedirs(args.folder, exist_ok=True)
    for i in range(args.count):
        data, truth = make_image(i)
        name = "corpus-%02d" % i
        with open(os.path.join(args.folder, name + ".bin"), "wb") as f:
            f.write(data)
        with open(os.path.join(args.folder, name + ".truth"), "w", newline="\n") as f:
            f.write("# %s.bin: made by make_finder_corpus.py, image %d\n" % (name, i))
            f.write("\n".join(truth) + "\n")
    print("%d images written to %s" % (args.count, args.folder))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

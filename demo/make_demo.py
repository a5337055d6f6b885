#!/usr/bin/env python3
"""Writes the demo program folder: engine definitions, settings, ROM images and airflow meter curves.

Everything here is synthetic: a plausible turbo six with smooth maps, made up from formulas, so the
suite can be tried without a car. Run it from anywhere; it writes next to itself. Deterministic: the
same files every time.
"""
import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))


def path(*parts):
    p = os.path.join(HERE, *parts)
    os.makedirs(os.path.dirname(p), exist_ok=True)
    return p


def write_text(rel, text):
    with open(path(*rel.split("/")), "w", newline="") as f:
        f.write(text.replace("\n", "\r\n"))


def write_bytes(rel, data):
    with open(path(*rel.split("/")), "wb") as f:
        f.write(bytes(data))


def code_like(size, seed):
    """Bytes that look like a program: opcodes, operands, jump tables, some padding."""
    rng = random.Random(seed)
    out = bytearray()
    while len(out) < size:
        kind = rng.random()
        if kind < 0.7:
            op = rng.choice([0x86, 0x96, 0xB6, 0xCC, 0xDC, 0xFC, 0xBD, 0x7E, 0x26, 0x27, 0x20, 0x39, 0x3C, 0x38])
            out += bytes([op] + [rng.randrange(256) for _ in range(rng.choice([0, 1, 2]))])
        elif kind < 0.85:
            base = rng.randrange(0x80, 0xF0)
            for _ in range(rng.randrange(2, 8)):
                out += bytes([base, rng.randrange(256)])
        else:
            out += bytes([0xFF] * rng.randrange(1, 12))
    return out[:size]


def fuel_map(variant):
    rows = []
    for r in range(16):
        row = []
        for c in range(16):
            # Richer towards high load and revs; a hump in the mid range where the turbo spools.
            v = 8 + 3.2 * c + 1.1 * r + 6 * math.exp(-((r - 9) ** 2 + (c - 11) ** 2) / 18.0) + variant * c * 0.4
            v = int(round(v))
            if c <= 3 and r <= 9:
                # Closed-loop cells: feedback flag set, small corrections around zero.
                d = int(round((c - 2) * 1.5 + (r % 3) - 1))
                row.append((d + 192) & 0xFF if d >= 0 else 192 + d)
            else:
                row.append(max(0, min(127, v)))
        rows.append(row)
    return [b for row in rows for b in row]


def ign_map(variant):
    out = []
    for r in range(16):
        for c in range(16):
            v = 38 - 2.1 * c + 0.9 * r - variant * (c * 0.5) - 0.03 * r * c
            v = max(2, min(50, int(round(v))))
            if 6 <= c <= 12 and r >= 6:
                out.append(0x80 | v)  # knock control enabled in boost
            else:
                out.append(v)
    return out


def vq_curve(words, peak, shape):
    return [int(round(peak * (j / (words - 1)) ** shape)) for j in range(words)]


def words_to_bytes(words):
    out = []
    for w in words:
        out += [(w >> 8) & 0xFF, w & 0xFF]
    return out


def build_rom(size, base, seed):
    rom = bytearray(code_like(size, seed))
    put = lambda addr, data: rom.__setitem__(slice(addr, addr + len(data)), bytes(data))
    put(base + 0x000, fuel_map(0))
    put(base + 0x100, fuel_map(1))
    put(base + 0x200, ign_map(0))
    put(base + 0x300, ign_map(1))
    rpm = [8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 116, 128, 140]  # 400..7000 rpm
    load = [10, 20, 32, 44, 56, 68, 80, 92, 104, 116, 128, 142, 156, 170, 185, 200]
    put(base + 0x400, rpm)
    put(base + 0x410, load)
    put(base + 0x420, rpm)
    put(base + 0x430, [int(x * 0.9) for x in load])
    put(base + 0x440, [0x30, 0x00])   # K
    put(base + 0x442, [0x40])         # injector null time
    for i in range(4):                # rev limits: 7000 rpm / 12.5 = 560 = 0x0230
        put(base + 0x450 + 2 * i, [0x02, 0x30])
    for i in range(4):                # speed limits: 180 km/h / 2
        put(base + 0x458 + i, [90])
    put(base + 0x460, [20 + 6 * i for i in range(16)])            # ttpmin
    put(base + 0x470, [60 + 8 * i if i < 6 else 140 + 5 * i for i in range(16)])  # ttpmax
    put(base + 0x480, [160 + 4 * i for i in range(16)])           # aflimit
    put(base + 0x490, [30, 34, 38, 42, 46, 50, 52, 54, 55, 56, 56, 56])  # acceleration table
    put(base + 0x500, words_to_bytes(STOCK_CURVE))
    return rom


STOCK_CURVE = vq_curve(64, 60000, 2.0)

DEFINITION = """[initialisation]
injectorsize={inj}
cyl=6
cc={cc}
config={name}
airflowmeter=5
fuelstep=10
fuelchange=8
ignstep=25
ignchange=3
revtimes=12.5
revsize=2
speedtimes=2
romsize={romsize}

[address locations]
fuelhighmap=&h{b:x}
fuellowmap=&h{b1:x}
ignhighmap=&h{b2:x}
ignlowmap=&h{b3:x}
fuelrev=&h{b4:x}
fuelflow=&h{b41:x}
ignrev=&h{b42:x}
ignflow=&h{b43:x}
kval=&h{b44:x}
injnulltime=&h{b442:x}
rev1=&h{r1:x}
rev2=&h{r2:x}
rev3=&h{r3:x}
rev4=&h{r4:x}
speed1=&h{s1:x}
speed2=&h{s2:x}
speed3=&h{s3:x}
speed4=&h{s4:x}
ttpmin=&h{tmin:x}
ttpmax=&h{tmax:x}
aflimit=&h{afl:x}
accelpump=&h{acc:x}
accelsize=12
vqmap=&h{vq:x}
vqsize=128

[consult]
tpram=&h{tpram:x}
"""

# Where the ECU keeps the map's load value (TP) in its memory, read over the diagnostic line: the
# simulated ECU in virtual-board keeps the engine's TP in this byte.
TP_RAM = 0x0108


def definition(name, romsize, base, inj, cc):
    return DEFINITION.format(
        name=name, romsize=romsize, inj=inj, cc=cc, b=base, b1=base + 0x100, b2=base + 0x200, b3=base + 0x300,
        b4=base + 0x400, b41=base + 0x410, b42=base + 0x420, b43=base + 0x430, b44=base + 0x440,
        b442=base + 0x442, r1=base + 0x450, r2=base + 0x452, r3=base + 0x454, r4=base + 0x456,
        s1=base + 0x458, s2=base + 0x459, s3=base + 0x45A, s4=base + 0x45B, tmin=base + 0x460,
        tmax=base + 0x470, afl=base + 0x480, acc=base + 0x490, vq=base + 0x500, tpram=TP_RAM)


METERS = [
    # name, file, rating, words in the file
    ("Small 55mm meter", "small55.afm", 180, 64, 1.9),
    ("Small 60mm meter", "small60.afm", 210, 64, 1.95),
    ("Mid 65mm meter", "mid65.afm", 240, 128, 2.0),
    ("Mid 70mm meter", "mid70.afm", 260, 128, 2.05),
    ("Twin-throat 72mm", "twin72.afm", 280, 128, 2.0),
    ("Stock six 80mm", "stock80.afm", 300, 64, 2.0),
    ("Big 80mm hot-wire", "big80.afm", 360, 128, 2.1),
    ("Race 90mm hot-wire", "race90.afm", 450, 128, 2.2),
    ("User", "user.afm", 300, 64, 2.0),
]


def main():
    base = 0x7000
    write_text("config/default", definition("Demo turbo six 2.5", 32768, base, 370, 2500))
    write_text("config/demo32k.ini", definition("Demo turbo six 2.5", 32768, base, 370, 2500))
    write_text("config/demo16k.ini", definition("Demo turbo four 1.8 (16K ROM)", 16384, 0x3000, 270, 1800))
    write_text("config/emulator.ini", "[init]\nfilename=data\\demo.bin\nengine=default\n")
    write_bytes("data/demo.bin", build_rom(32768, base, 2026))
    write_bytes("data/demo16k.bin", build_rom(16384, 0x3000, 1800))

    afm = []
    for i, (name, fname, hp, words, shape) in enumerate(METERS):
        peak = min(65000, int(60000 * hp / 300))
        curve = STOCK_CURVE if fname == "stock80.afm" else vq_curve(words, peak, shape)
        if words == 128 and fname != "stock80.afm":
            # Long curves start with a flat idle section; the last 64 words matter for a 64-word map.
            curve = [0] * 64 + vq_curve(64, peak, shape)
        write_bytes("afm/" + fname, words_to_bytes(curve))
        afm.append(f"[{i}]\nname={name}\nfile={fname}\nhp={hp}\nsize={2 * words}\n")
    write_text("config/afm.ini", "\n".join(afm))
    with open(path("maps", ".keep"), "w") as f:
        f.write("")


if __name__ == "__main__":
    main()

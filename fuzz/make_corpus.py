#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target (fuzz/corpus/<target>/) from the demo files and the
frames the tests send. Run from anywhere; the corpus in the tree is this script's output.

The targets read their inputs with libFuzzer's FuzzedDataProvider: strings from the front (a
backslash and one more byte end each), small numbers from the back."""
import os

here = os.path.dirname(os.path.abspath(__file__))
repo = os.path.dirname(here)
root = os.path.join(here, 'corpus')


def w(target, name, data):
    os.makedirs(os.path.join(root, target), exist_ok=True)
    with open(os.path.join(root, target, name), 'wb') as f:
        f.write(data)


def s(text):
    """A string as ConsumeRandomLengthString reads it."""
    return text.replace(b'\\', b'\\\\') + b'\\x'


def rd(path):
    with open(os.path.join(repo, path), 'rb') as f:
        return f.read()


demo = rd('demo/data/demo.bin')
demo16 = rd('demo/data/demo16k.bin')
afm = rd('demo/config/afm.ini')
d32 = rd('demo/config/demo32k.ini')
d16 = rd('demo/config/demo16k.ini')
emu = rd('demo/config/emulator.ini')

# INI reader: section, key, then the section, key and value written, then the file.
w('ini_file', 'afm', s(b'3') + s(b'file') + s(b'9') + s(b'name') + s(b'User') + afm)
w('ini_file', 'definition',
  s(b'address locations') + s(b'vqmap') + s(b'initialisation') + s(b'romsize') + s(b'32768') + d32)
w('ini_file', 'emulator', s(b'emulator') + s(b'port') + s(b'emulator') + s(b'count') + s(b'2') + emu)
# Engine definitions as they are.
w('engine_definition', 'demo32k', d32)
w('engine_definition', 'demo16k', d16)
# ROM images: the image, then the ROM size in 256-byte blocks (from the back).
w('rom_image', 'demo16k', demo16 + bytes([63]))
w('rom_image', 'short', demo[:1000] + bytes([127]))
# Map files: a map of the demo with its axes, then which map.
w('map_file', 'fuelhigh', demo[0x7000:0x7100] + demo[0x7400:0x7410] + demo[0x7410:0x7420] + bytes([0]))
w('map_file', 'ignlow_long', demo[0x7300:0x7400] + demo[0x7420:0x7440] + b'\0' * 20 + bytes([3]))
# Airflow meter: VQ size, VQ map, the curve file, the list naming it; the meter numbers from the back.
for name in ('small55', 'mid65'):
    lst = afm.replace(('file=%s.afm' % name).encode(), b'file=curve.afm')
    w('airflow_meter', name, s(b'128') + s(b'&h7500') + s(rd('demo/afm/%s.afm' % name)) + lst + bytes([5, 2, 1]))
# Board bus: frames a host sends (version, chunk read, set ID, short write), then the choices.
frames = b'AV\x01' + b'A\x01R\x70\x00' + b'e\xfd\x02' + b'A\x02w\x01\x70\x00\x55'
w('board_bus', 'frames', frames * 3 + bytes([0, 1, 2, 3, 4, 5, 6, 0, 1, 2]))
w('board_bus', 'write', b'A\x01X\x70\x00' + demo[0x7000:0x7100] + bytes([0x10, 0, 6, 1, 1]))
# Link replies: reply choices from the front, the operations from the back.
w('link_replies', 'online_upload', bytes([0] * 64) + bytes([1, 2, 4, 5, 2, 0, 1, 1, 0]))
w('link_replies', 'scan_write', bytes(range(256)) + bytes([4, 0, 3, 2, 0, 9, 1]))
# Scanner: the demo images' map areas, after the moves and a typed address.
w('scanner', 'maps16k', bytes([2, 1, 4, 3]) + s(b'3000') + bytes(8) + demo16[0x2c00:0x3c00])
w('scanner', 'maps32k', bytes([5, 0x28]) + s(b'7000') + bytes(8) + demo[0x6e00:0x7600])
# Map finder: the count asked for, then a kilobyte around the demo images' maps and axes.
w('map_finder', 'maps16k', bytes([20]) + demo16[0x2e00:0x3200])
w('map_finder', 'maps32k', bytes([20]) + demo[0x6f00:0x7300])
w('map_finder', 'axes32k', bytes([4]) + demo[0x7300:0x7700])
# Diagnostic link frames: the stream bytes, then (read from the back) the piece sizes, their count,
# whether a stop is expected, and the frame length less one.
def ecu_frame(data):
    return bytes([0xFF, len(data)]) + bytes(data)


stream = b''.join(ecu_frame([0x00, 0xC0, 0x01, 0x40, 138, 0, 69, 176, 22, 0x00, 0xC4, 88, 56]) for _ in range(6))
w('consult_frames', 'clean', stream + b'\xff' + bytes([5, 3, 1, 3, 0, 12]))
w('consult_frames', 'noisy', stream[:20] + bytes([0x5A, 0xFF, 0x00]) + stream[20:] + bytes([7, 1, 1]) + b'\xcf'
  + bytes([2, 1, 12]))
w('consult_frames', 'reply', bytes([0xFF, 4, 0x21, 5, 0x34, 12]) + bytes([0, 0, 3]))

#!/usr/bin/env python3
"""Writes the XDF files the editor's XDF import is tested with (vantrell/xdf/tests/data by default, or
the folder given as the first argument).

Every file describes our demo ROM (demo/data/demo.bin: maps from 0x7000, axes from 0x7400, limits and
constants from 0x7440, the airflow meter map at 0x7500; see demo/make_demo.py), each in another way a
real definition file may use, or with something an engine definition cannot hold. Deterministic: the
same files every time.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(HERE, "..", "vantrell", "xdf", "tests", "data")

FUEL_HIGH, FUEL_LOW, IGN_HIGH, IGN_LOW = 0x7000, 0x7100, 0x7200, 0x7300
FUEL_REV, FUEL_FLOW, IGN_REV, IGN_FLOW = 0x7400, 0x7410, 0x7420, 0x7430
KVAL, NULLTIME, REV, SPEED = 0x7440, 0x7442, 0x7450, 0x7458
TTPMIN, TTPMAX, AFLIMIT, ACCEL, VQ = 0x7460, 0x7470, 0x7480, 0x7490, 0x7500

CATEGORIES = ["Fuel", "Ignition", "Limits", "Injectors", "Airflow"]


def cat(name):
    return CATEGORIES.index(name) + 1  # tables count categories from 1


class Xdf:
    def __init__(self, title, base='<BASEOFFSET offset="0" subtract="0" />', shift=0):
        self.title = title
        self.base = base
        self.shift = shift  # added to every address written, for files whose base offset takes it away
        self.parts = []
        self.next_id = 0x1000

    def uid(self):
        self.next_id += 1
        return self.next_id

    def a(self, address):
        return "0x%X" % (address + self.shift)

    def data(self, address, bits=8, rows=None, cols=None, flags=0, minor=0):
        attrs = ['mmedaddress="%s"' % self.a(address), 'mmedelementsizebits="%d"' % bits]
        if rows is not None:
            attrs.append('mmedrowcount="%d"' % rows)
        if cols is not None:
            attrs.append('mmedcolcount="%d"' % cols)
        if flags:
            attrs.append('mmedtypeflags="0x%02X"' % flags)
        attrs += ['mmedmajorstridebits="0"', 'mmedminorstridebits="%d"' % minor]
        return "<EMBEDDEDDATA %s />" % " ".join(attrs)

    def axis(self, id, address, count=16, bits=8, flags=0, units="", eq="X"):
        return ('    <XDFAXIS id="%s" uniqueid="0x0">\n      %s\n      <units>%s</units>\n'
                '      <indexcount>%d</indexcount>\n'
                '      <MATH equation="%s">\n        <VAR id="X" />\n      </MATH>\n    </XDFAXIS>\n'
                % (id, self.data(address, bits, flags=flags), units, count, eq))

    def linked_axis(self, id, link, stale_address, count=16):
        # The axis's own address is left over from an older layout; the linked table is what counts.
        return ('    <XDFAXIS id="%s" uniqueid="0x0">\n      %s\n      <indexcount>%d</indexcount>\n'
                '      <embedinfo type="3" linkobjid="0x%X" />\n      <MATH equation="X">\n'
                '        <VAR id="X" />\n      </MATH>\n    </XDFAXIS>\n'
                % (id, self.data(stale_address), count, link))

    def label_axis(self, id, labels):
        rows = "".join('      <LABEL index="%d" value="%s" />\n' % (i, v) for i, v in enumerate(labels))
        return ('    <XDFAXIS id="%s" uniqueid="0x0">\n      <indexcount>%d</indexcount>\n'
                '      <embedinfo type="1" />\n%s    </XDFAXIS>\n' % (id, len(labels), rows))

    def z(self, address, rows=16, cols=16, bits=8, flags=0, eq="X", minor=0):
        return ('    <XDFAXIS id="z">\n      %s\n      <decimalpl>0</decimalpl>\n'
                '      <MATH equation="%s">\n        <VAR id="X" />\n      </MATH>\n    </XDFAXIS>\n'
                % (self.data(address, bits, rows, cols, flags, minor), eq))

    def table(self, title, categories, x, y, z, uid=None):
        uid = uid if uid is not None else self.uid()
        mems = "".join('    <CATEGORYMEM index="%d" category="%d" />\n' % (i, cat(c))
                       for i, c in enumerate(categories))
        self.parts.append('  <XDFTABLE uniqueid="0x%X" flags="0x0">\n    <title>%s</title>\n%s%s%s%s'
                          '  </XDFTABLE>\n' % (uid, title, mems, x, y, z))
        return uid

    def curve(self, title, categories, address, count, bits=8, flags=0, eq="X", uid=None, minor=0):
        """A table of one row: an axis, a small table, a list of limits."""
        return self.table(title, categories, self.axis("x", 0, count, units=""), self.label_axis("y", ["0"]),
                          self.z(address, 1, count, bits, flags, eq, minor), uid)

    def constant(self, title, categories, address, bits=8, flags=0, eq="X"):
        mems = "".join('    <CATEGORYMEM index="%d" category="%d" />\n' % (i, cat(c))
                       for i, c in enumerate(categories))
        self.parts.append('  <XDFCONSTANT uniqueid="0x%X">\n    <title>%s</title>\n%s    %s\n'
                          '    <MATH equation="%s">\n      <VAR id="X" />\n    </MATH>\n  </XDFCONSTANT>\n'
                          % (self.uid(), title, mems, self.data(address, bits, flags=flags), eq))

    def text(self):
        cats = "".join('    <CATEGORY index="0x%X" name="%s" />\n' % (i, n) for i, n in enumerate(CATEGORIES))
        # The region is the ECU's whole address space, larger than the image on purpose.
        return ('<?xml version="1.0" encoding="UTF-8"?>\n<!-- Written by scripts/make_test_xdfs.py -->\n'
                '<XDFFORMAT version="1.60">\n  <XDFHEADER>\n    <flags>0x1</flags>\n'
                '    <deftitle>%s</deftitle>\n    <description>Test definition for the demo ROM</description>\n'
                '    %s\n    <DEFAULTS datasizeinbits="8" sigdigits="2" outputtype="1" signed="0" lsbfirst="0" />\n'
                '    <REGION type="0xFFFFFFFF" startaddress="0x0" size="0x10000" regionflags="0x0" '
                'name="Binary File" />\n%s  </XDFHEADER>\n%s</XDFFORMAT>\n'
                % (self.title, self.base, cats, "".join(self.parts)))


def rpm_axis(x, id, address, **kw):
    return x.axis(id, address, units="RPM", eq="X*50", **kw)


def load_axis(x, id, address, **kw):
    return x.axis(id, address, units="Load", eq="X", **kw)


def four_maps(x, titles=("Fuel map high octane", "Fuel map knock", "Ignition map high octane",
                         "Ignition map knock"), fuel_axes=None, ign_axes=None, maps=None):
    fuel_axes = fuel_axes or (load_axis(x, "x", FUEL_FLOW), rpm_axis(x, "y", FUEL_REV))
    ign_axes = ign_axes or (load_axis(x, "x", IGN_FLOW), rpm_axis(x, "y", IGN_REV))
    maps = maps or [x.z(a) for a in (FUEL_HIGH, FUEL_LOW, IGN_HIGH, IGN_LOW)]
    for i, (title, z) in enumerate(zip(titles, maps)):
        axes = fuel_axes if i < 2 else ign_axes
        x.table(title, ["Fuel"] if i < 2 else ["Ignition"], axes[0], axes[1], z)


def limits_and_constants(x):
    x.constant("Injector K value", ["Injectors"], KVAL, bits=16)
    x.constant("Injector latency", ["Injectors"], NULLTIME)
    x.curve("Rev limits", ["Limits"], REV, 4, bits=16, eq="X*12.5")
    for i in range(4):
        x.constant("Speed limit %d" % (i + 1), ["Limits"], SPEED + i, eq="X*2")
    x.curve("TTP min", ["Injectors"], TTPMIN, 16)
    x.curve("TTP max", ["Injectors"], TTPMAX, 16)
    x.curve("Airflow limit", ["Airflow"], AFLIMIT, 16)
    x.curve("Acceleration enrichment", ["Fuel"], ACCEL, 12)
    x.curve("VQ map", ["Airflow"], VQ, 64, bits=16)


def demo():
    """Everything the demo definition holds, the fuel maps also as feedback views (X-192)."""
    x = Xdf("Demo turbo six 2.5 (XDF)")
    four_maps(x)
    fuel_axes = (load_axis(x, "x", FUEL_FLOW), rpm_axis(x, "y", FUEL_REV))
    x.table("Fuel map high octane (feedback)", ["Fuel"], *fuel_axes, x.z(FUEL_HIGH, eq="X-192"))
    x.table("Fuel map knock (feedback)", ["Fuel"], *fuel_axes, x.z(FUEL_LOW, eq="X-192"))
    # A map of another purpose that must not be taken for a main map.
    x.table("Cold start fuel", ["Fuel"], *fuel_axes, x.z(0x6000, 8, 16))
    limits_and_constants(x)
    return x


def demo16k():
    """The 16 KB demo image: the same layout 0x4000 lower, in an XDF whose region is 64 KB."""
    x = Xdf("Demo turbo four 1.8 (XDF)", shift=-0x4000)
    four_maps(x)
    limits_and_constants(x)
    return x


def base_offset(form):
    """Addresses as the ECU sees them (the ROM from 0x8000), the base offset taking 0x8000 away."""
    base = {"attributes": '<BASEOFFSET offset="0x8000" subtract="1" />',
            "element": '<BASEOFFSET subtract="1">0x8000</BASEOFFSET>'}[form]
    x = Xdf("Demo, ECU addresses (%s)" % form, base=base, shift=0x8000)
    four_maps(x)
    limits_and_constants(x)
    return x


def linked():
    """Axes taken from tables of their own; the axes' own addresses are stale."""
    x = Xdf("Demo with linked axes")
    ids = {}
    for name, address, eq, units in (("Fuel RPM axis", FUEL_REV, "X*50", "RPM"),
                                     ("Fuel load axis", FUEL_FLOW, "X", "Load"),
                                     ("Ignition RPM axis", IGN_REV, "X*50", "RPM"),
                                     ("Ignition load axis", IGN_FLOW, "X", "Load")):
        ids[name] = x.curve(name, [], address, 16, eq=eq)
    fuel_axes = (x.linked_axis("x", ids["Fuel load axis"], 0x5000), x.linked_axis("y", ids["Fuel RPM axis"], 0x5010))
    ign_axes = (x.linked_axis("x", ids["Ignition load axis"], 0x5020),
                x.linked_axis("y", ids["Ignition RPM axis"], 0x5030))
    four_maps(x, fuel_axes=fuel_axes, ign_axes=ign_axes)
    return x


def column_major():
    """RPM on the x axis with the data stored column by column: in the ROM RPM still walks the rows."""
    x = Xdf("Demo, column-major maps")
    fuel_axes = (rpm_axis(x, "x", FUEL_REV), load_axis(x, "y", FUEL_FLOW))
    ign_axes = (rpm_axis(x, "x", IGN_REV), load_axis(x, "y", IGN_FLOW))
    four_maps(x, fuel_axes=fuel_axes, ign_axes=ign_axes,
              maps=[x.z(a, flags=0x04) for a in (FUEL_HIGH, FUEL_LOW, IGN_HIGH, IGN_LOW)])
    return x


def rpm_columns():
    """RPM on the x axis of row-major data: RPM runs along the columns in the ROM."""
    x = Xdf("Demo, RPM along the columns")
    fuel_axes = (rpm_axis(x, "x", FUEL_REV), load_axis(x, "y", FUEL_FLOW))
    ign_axes = (rpm_axis(x, "x", IGN_REV), load_axis(x, "y", IGN_FLOW))
    four_maps(x, fuel_axes=fuel_axes, ign_axes=ign_axes)
    return x


def bad_axes():
    """Fuel maps over 16-bit axes, ignition maps over axes that are labels only."""
    x = Xdf("Demo, axes the definition cannot hold")
    fuel_axes = (load_axis(x, "x", FUEL_FLOW), rpm_axis(x, "y", FUEL_REV, bits=16))
    ign_axes = (x.label_axis("x", [str(10 * i) for i in range(16)]), rpm_axis(x, "y", IGN_REV))
    four_maps(x, fuel_axes=fuel_axes, ign_axes=ign_axes)
    return x


def small_maps():
    """Fuel maps of 12 by 16 cells, one ignition map only."""
    x = Xdf("Demo, maps of other sizes")
    fuel_axes = (load_axis(x, "x", FUEL_FLOW), rpm_axis(x, "y", FUEL_REV, count=12))
    ign_axes = (load_axis(x, "x", IGN_FLOW), rpm_axis(x, "y", IGN_REV))
    x.table("Fuel map high octane", ["Fuel"], *fuel_axes, x.z(FUEL_HIGH, rows=12))
    x.table("Fuel map knock", ["Fuel"], *fuel_axes, x.z(FUEL_LOW, rows=12))
    x.table("Ignition map", ["Ignition"], *ign_axes, x.z(IGN_HIGH))
    return x


def wrong_titles():
    """Titles that name other addresses, say nothing of main or knock, or call an ignition map fuel."""
    x = Xdf("Demo, misleading titles")
    four_maps(x, titles=("Fuel map (at 0x7100)", "Fuel map (at 0x7000)", "Timing (at 0x7300)",
                         "Fuel knock map"))
    return x


def by_category():
    """Titles that say nothing of the kind: the categories tell fuel from ignition, the data main from knock."""
    x = Xdf("Demo, kinds from categories")
    four_maps(x, titles=("Table A", "Table B", "Table C", "Table D"))
    return x


def odd_constants():
    """Constants the editor would misread: byte-swapped, signed, curved or offset conversions."""
    x = Xdf("Demo, constants in other forms")
    four_maps(x)
    x.constant("Injector K value", ["Injectors"], KVAL, bits=16, flags=0x02)
    x.constant("K constant", ["Injectors"], KVAL + 0x100, bits=16)  # a second candidate, not used
    x.constant("Injector latency", ["Injectors"], NULLTIME, flags=0x01)
    x.curve("Rev limits", ["Limits"], REV, 4, bits=16, eq="X*X/4")
    for i in range(4):
        x.constant("Speed limit %d" % (i + 1), ["Limits"], SPEED + i, eq="X*2+5")
    x.curve("TTP min", ["Injectors"], TTPMIN, 16, bits=16)
    x.curve("TTP max", ["Injectors"], TTPMAX, 16, minor=16)  # every other byte
    x.curve("VQ map", ["Airflow"], VQ, 64, bits=16, flags=0x02)
    return x


FILES = {
    "demo.xdf": demo,
    "demo16k.xdf": demo16k,
    "base_attributes.xdf": lambda: base_offset("attributes"),
    "base_element.xdf": lambda: base_offset("element"),
    "linked_axes.xdf": linked,
    "column_major.xdf": column_major,
    "rpm_columns.xdf": rpm_columns,
    "bad_axes.xdf": bad_axes,
    "small_maps.xdf": small_maps,
    "wrong_titles.xdf": wrong_titles,
    "by_category.xdf": by_category,
    "odd_constants.xdf": odd_constants,
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    os.makedirs(out, exist_ok=True)
    for name, make in FILES.items():
        with open(os.path.join(out, name), "w", newline="\n") as f:
            f.write(make().text())


if __name__ == "__main__":
    main()

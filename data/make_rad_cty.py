#!/usr/bin/env python3
"""Writes rad.cty, the radar station file, from the list of US weather radar
sites (tests/data/nexrad_sites.txt).

Each site becomes one line: name, state, region "US", the three-letter
identifier, priority 1, latitude, longitude, elevation (metres), WMO number
99999 (none is known for these sites) and the RPG site number. The name is
the site's place (the text after the last "/" of the source's name), cut to
20 characters.

    python3 data/make_rad_cty.py [SOURCE [OUTPUT]]
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "tests", "data", "nexrad_sites.txt")
OUTPUT = os.path.join(HERE, "rad.cty")


def station_name(source_name):
    return source_name.rsplit("/", 1)[-1][:20]


def convert(lines):
    out = []
    for line in lines:
        if not line.strip() or line.startswith("#"):
            continue
        ident, number, lat, lon, elev, _wban, _agency, state, name = line.split()
        if len(ident) != 3 or len(state) != 2:
            raise ValueError("unexpected site line: " + line)
        out.append("%-20s %s US %-3s 1 %6.2f %7.2f %5d 99999 %3d\n"
                   % (station_name(name), state, ident, float(lat), float(lon),
                      int(elev), int(number)))
    return out


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else SOURCE
    output = sys.argv[2] if len(sys.argv) > 2 else OUTPUT
    with open(source, encoding="ascii") as f:
        lines = convert(f)
    with open(output, "w", encoding="ascii", newline="\n") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()

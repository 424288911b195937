"""Checks a netCDF converted file of dirida the way its users read it: with
netCDF4-python and xarray against the text form of the same run, and in the
quick look drawn by scripts/quicklook.py. Exits 1 after printing what failed.

Usage: cdf_clients.py records FILE.nc FILE.vek STATIONS
       cdf_clients.py quicklook FILE.nc FILE.vek STATIONS OUT.png
"""

import os
import sys

import numpy as np

NM, KT, FT = 1.852, 0.5144, 30.48
# The codes of the precipitation letters and suffixes that the bundled collective holds.
PRECIP = {"R": 1, "RW": 33, "TRW": 97}
SUFFIX = {"-": 1, "": 2, "+": 3, "++": 4, "x": 5, "xx": 6, "u": 9}
TREND = {"+": 1, "-": 2, "NC": 3, "NE": 4}
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


def text_of(row):
    return np.asarray(row, dtype="S1").tobytes().split(b"\0", 1)[0].decode("ascii")


def read_text_form(path):
    """The summary cells {(x, y): char} and the report lines of a text form.
    The summary is three column bands from east to west, each a northern and
    a southern piece, between marker lines."""
    with open(path, encoding="ascii") as f:
        lines = f.read().split("\n")
    assert lines[0] == "VEKRAD", lines[0]
    pieces = [(0, 41, 79, 119), (42, 87, 79, 119), (0, 51, 39, 78), (52, 87, 39, 78),
              (0, 41, 0, 38), (42, 87, 0, 38)]
    cells, i = {}, 2
    for (y0, y1, x0, x1), skip in zip(pieces, [2, 3, 3, 3, 3, 3]):
        i += skip
        for y in range(y0, y1 + 1):
            assert len(lines[i]) == x1 - x0 + 1, (i, lines[i])
            cells.update({(x, y): lines[i][x - x0] for x in range(x0, x1 + 1)})
            i += 1
    assert lines[i:i + 2] == ["+ 90 002", "SDXX STATIONS"], lines[i:i + 2]
    return cells, [ln.split(" ") for ln in lines[i + 2:] if ln]


def check_records(ds, lines):
    """Each text line against its report's records: the main record, then
    the "CON" records of other movements and of the maximum top. Movements of
    the configuration's kind stay in the main record."""
    n = len(ds.dimensions["report"])
    ids = [text_of(ds["id"][r]) for r in range(n)]
    kinds = [text_of(ds["rpt_type"][r]) for r in range(n)]
    v = {name: np.asarray(ds[name][:]) for name in ds.variables}
    mains = [r for r in range(n) if kinds[r] == ""]
    check([ids[r] for r in mains] == [ln[0] for ln in lines],
          "main records are not the text form's reports in order")
    check(set(kinds) <= {"", "CON"}, f"record types {set(kinds)}")
    for m, (sid, config, prec, trend, top, *moves) in zip(mains, lines):
        extra = range(m + 1, next((r for r in mains if r > m), n))
        letters = prec.rstrip("-+xu")

        def move(r, j, kind):
            return (kind, int(v["move_dir"][r][j]) // 10, round(v["move_speed"][r][j] / KT, 2))
        got = ([ids[r] for r in extra], v["opstat"][m], v["object"][m], v["trend"][m],
               (v["precip_type"][m][0][0] & 0xFF, v["intensity"][m][0][0])
               if v["ncover"][m] else None,
               [(v["nheight"][r], round(v["height"][r][0] / FT, 2), v["azimuth"][r][0],
                 round(v["range"][r][0] / NM, 2)) for r in extra if v["object"][r] == 9],
               sorted([move(m, j, config[0]) for j in range(v["nmove"][m])] +
                      [move(r, 0, {1: "A", 2: "L", 3: "C"}.get(v["object"][r], "?"))
                       for r in extra if v["object"][r] != 9]))
        want = ([sid] * len(extra), {"NE": 1, "OM": 2, "NA": 3}.get(config, 0),
                {"AREA": 1, "LINE": 2, "CELL": 3}.get(config, 0),
                next((t for k, t in TREND.items() if trend.startswith(k)), 0),
                (PRECIP.get(letters), SUFFIX.get(prec[len(letters):])) if prec != "*" else None,
                [(1, int(top[:3]), int(top[4:7]), int(top[7:]))] if top != "*" else [],
                sorted((mv[0], int(mv[1:3]), int(mv[3:5])) for mv in moves if mv != "*"))
        check(got == want, f"{sid} (record {m}): {got} != {want}")
    return len(mains)


def check_records_command(nc_path, vek_path, _stations):
    import netCDF4
    import xarray

    cells, lines = read_text_form(vek_path)
    with netCDF4.Dataset(nc_path) as ds:
        ds.set_auto_mask(False)
        check(ds.file_format == "NETCDF3_CLASSIC", f"format {ds.file_format}")
        lon, lat, mdr = (np.asarray(ds[name][:]) for name in ("lon", "lat", "mdr"))
        check(lon.shape == (120, 90) and mdr.shape == (120, 90), "grid shapes")
        # On and around the contiguous US; east along mdr_x, south along mdr_y.
        check(15 < lat.min() and lat.max() < 65, f"latitudes {lat.min()}..{lat.max()}")
        check(-140 < lon.min() and lon.max() < -50, f"longitudes {lon.min()}..{lon.max()}")
        check(bool((np.diff(lon, axis=0) > 0).all()), "longitude does not rise along mdr_x")
        check(bool((np.diff(lat, axis=1) < 0).all()), "latitude does not fall along mdr_y")
        # The summary grid cell by cell as the text form shows it.
        for (x, y), c in cells.items():
            check(mdr[x, y] == int(c) if c != " " else not 1 <= mdr[x, y] <= 6,
                  f"mdr[{x},{y}] = {mdr[x, y]}, text {c!r}")
        check(text_of(ds["mdr_time"][:]) == "202406151230", "mdr_time")
        reports = check_records(ds, lines)

    with xarray.open_dataset(nc_path) as xd:
        ids = [s.decode() if isinstance(s, bytes) else str(s) for s in xd["id"].values]
        check(xd["mdr"].dims == ("mdr_x", "mdr_y") and np.allclose(xd["lat"].values, lat)
              and xd["lon"].attrs.get("units") == "degrees_east", "xarray grid")
        check(ids[0] == lines[0][0] and len(ids) == len(xd["rpt_time"]), f"xarray ids {ids[:3]}")
    print(f"cdf_clients.py: {reports} reports and {len(cells)} summary cells agree")


def check_quicklook_command(nc_path, vek_path, stations_path, png):
    """The picture: cells of known intensity have their level's colour,
    empty cells are blank, wherever no site marker or legend covers them."""
    import matplotlib.image
    import netCDF4

    sys.dont_write_bytecode = True  # nothing is left beside the script
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
    import quicklook as ql

    cells, _ = read_text_form(vek_path)
    fig, ax = ql.render(nc_path, png, stations_path)
    img = matplotlib.image.imread(png)
    check("2024-06-15 12:30 UTC" in ax.get_title() and "24061512_rad.nc" in ax.get_title(),
          f"title {ax.get_title()!r}")
    with netCDF4.Dataset(nc_path) as ds:
        lon, lat = np.asarray(ds["lon"][:]), np.asarray(ds["lat"][:])
        sites = ql.read_sites(ds)
    with open(stations_path, encoding="ascii") as f:  # the station file: id, latitude, longitude
        where = {w[3]: (float(w[5]), float(w[6])) for w in map(str.split, f) if len(w) >= 7}
    marks = ax.transData.transform([(where[s][1], where[s][0]) for s in sites if s in where])
    legend = ax.get_legend().get_window_extent()

    levels, blank = set(), 0
    for (x, y), c in cells.items():
        px, py = ax.transData.transform((lon[x, y], lat[x, y]))
        if legend.contains(px, py) or np.hypot(*(marks - (px, py)).T).min() < 8:
            continue
        rgb = img[int(round(img.shape[0] - py)), int(round(px))][:3] * 255
        if c == " ":
            check(rgb[0] == rgb[1] == rgb[2], f"cell {x},{y} is blank but drawn {rgb}")
            blank += 1
        else:
            check(np.abs(rgb - ql.LEVEL_COLOURS[int(c) - 1]).max() <= 2,
                  f"cell {x},{y} of level {c} drawn {rgb}")
            levels.add(c)
    check(len(levels) >= 4 and blank > 5000, f"too few cells checked: {levels}, {blank} blank")
    print(f"cdf_clients.py: quick look: levels {sorted(levels)} and {blank} blank cells agree")


def main(argv):
    if len(argv) >= 5 and argv[1] == "records":
        check_records_command(*argv[2:5])
    elif len(argv) >= 6 and argv[1] == "quicklook":
        check_quicklook_command(*argv[2:6])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for f in failures[:40]:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

"""Checks a netCDF converted file of dirida the way its users read it: with
netCDF4-python and xarray against the text form of the same run. Exits 1
after printing what failed.

Usage: cdf_clients.py records FILE.nc FILE.vek STATIONS
       cdf_clients.py rcm FILE.nc FILE.vek FEED
"""

import datetime
import hashlib
import re
import sys
import warnings

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
    """A text field as a string: netCDF4 and xarray decode the texts by their
    "_Encoding"."""
    assert isinstance(row, str) or getattr(row, "dtype", None) is not None and \
        row.dtype.kind == "U", f"text not decoded: {row!r}"
    return str(row)


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


# The variables of the classic layout, and the digest of their values in the
# bundled collective's file as the converter wrote it before the CF attributes
# and the RCM records were added (fill cells, of either kind, as NaN or the
# library's fill).
CLASSIC = ["mdr_time", "lon", "lat", "mdr", "rpt_date", "id", "rpt_time", "radar_type", "opstat",
           "rpt_type", "object", "ncover", "coverage", "nprecip", "precip_type", "intensity",
           "trend", "nazran", "nwidth", "nmove", "nheight", "azimuth", "range", "height", "width",
           "move_speed", "move_dir"]
CLASSIC_DIGEST = "e0757ff038c092bb5fb319eb364fc8cd5664b50cc92c43f359f5dbbf19e36642"
CODED = ["opstat", "object", "trend", "precip_type", "intensity"]


def classic_digest(path):
    import netCDF4

    with netCDF4.Dataset(path) as ds:
        ds.set_auto_mask(False)
        ds.set_auto_chartostring(False)
        return hashlib.sha256(b"".join(classic_bytes(ds, name) for name in CLASSIC)).hexdigest()


def classic_bytes(ds, name):
    v = np.asarray(ds[name][:])
    if name == "precip_type":  # cells never written: now the declared fill, before the library's
        v = np.where(v == 127, -127, v)
    if v.dtype.kind == "f":
        v = np.where((v == -9999) | (v > 9e36), np.nan, v)
    elif v.dtype == np.int32:
        v = np.where(v == -9999, -2**31, v)
    return name.encode() + str(v.shape).encode() + v.tobytes()


def check_cf(xd, when, coded):
    """What CF readers rely on: the time decodes to WHEN, the grids' own
    coordinates are coordinates, the empty mark is masked, coded bytes carry
    one meaning per value."""
    check(xd.attrs.get("Conventions") == "CF-1.8", "Conventions")
    check(xd["time"].values == np.datetime64(when), f"time {xd['time'].values} != {when}")
    for grid, coords in {"mdr": ("lat", "lon"), "rcm": ("rcm_lat", "rcm_lon")}.items():
        if grid in xd:
            check(all(c in xd[grid].coords for c in coords), f"{grid} coordinates")
            check(xd[grid].encoding.get("_FillValue") == 99, f"{grid} fill")
    for name in coded:
        a = xd[name].attrs
        check(len(a.get("flag_meanings", "").split()) == len(a.get("flag_values", [])) > 0,
              f"{name} flags")


def check_records_command(nc_path, vek_path, stations):
    import netCDF4
    import xarray

    cells, lines = read_text_form(vek_path)
    with open(stations, encoding="ascii") as f:  # id: latitude, longitude
        where = {w[3]: (float(w[5]), float(w[6])) for w in map(str.split, f) if len(w) >= 7}
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
        check(classic_digest(nc_path) == CLASSIC_DIGEST, "the classic variables' values changed")

    with xarray.open_dataset(nc_path) as xd:
        ids = [text_of(s) for s in xd["id"].values]
        check(xd["mdr"].dims == ("mdr_x", "mdr_y") and np.allclose(xd["lat"].values, lat)
              and xd["lon"].attrs.get("units") == "degrees_east", "xarray grid")
        check(ids[0] == lines[0][0] and len(ids) == len(xd["rpt_time"]), f"xarray ids {ids[:3]}")
        check_cf(xd, "2024-06-15T12:30", CODED)
        check(np.isnan(xd["mdr"].values).sum() == (mdr == 99).sum() > 0, "mdr not masked")
        near = [np.allclose((xd["site_lat"][r], xd["site_lon"][r]), where[i], atol=1e-3)
                for r, i in enumerate(ids)]
        check(all(near), f"site positions of {[i for i, n in zip(ids, near) if not n]}")
    print(f"cdf_clients.py: {reports} reports and {len(cells)} summary cells agree")


def read_rcm_text(path):
    """The RCM text form: the run's time, the summary rows {y: 452 chars},
    and per site its header words and feature lines."""
    with open(path, encoding="ascii") as f:
        lines = f.read().split("\n")
    when = datetime.datetime.strptime(lines[1], "%H%MZ %d %b %y")
    assert lines[2] == "RCM SUMMARY", lines[2]
    rows, sites, i = {}, [], 3
    while i < len(lines) and lines[i].startswith("+"):
        rows[int(lines[i][1:])] = "".join(lines[i + 1:i + 7])
        i += 7
    for ln in lines[i:]:
        if ln.startswith("** "):
            sites.append((ln.split()[1:], []))
        elif ln:
            sites[-1][1].append(ln.split())
    return when, rows, sites


def read_wind_profiles(feed):
    """Part B's levels of every message of a feed: {site: [(hgt, rms letter, dir, spd)]}."""
    with open(feed, "rb") as f:
        text = f.read().decode("latin-1")
    levels = {}
    for site, body in re.findall(r"\nRCM(\w+)\s*\n(.*?)(?=\nRCM\w+\s*\n|$)", text, re.S):
        part = re.search(r"/NEXRBB +\d+ +\d+(.*?)/ENDBB", body, re.S)
        if part:
            found = re.findall(r"(\d+)([A-Z])(\d{3})(\d{3})", part.group(1))
            levels[site] = [(int(h), c, int(d), int(s)) for h, c, d, s in found]
    return levels


def km(lat1, lon1, lat2, lon2):
    """Great-circle distance (haversine, in double precision)."""
    p1, p2 = np.radians(np.float64(lat1)), np.radians(np.float64(lat2))
    dp, dl = p2 - p1, np.radians(np.float64(lon2) - np.float64(lon1))
    a = np.sin(dp / 2) ** 2 + np.cos(p1) * np.cos(p2) * np.sin(dl / 2) ** 2
    return 2 * 6371 * np.arcsin(np.sqrt(a))


def check_rcm_site(xd, r, head, features, levels):
    """One site's record against its text-form block and its message's part B."""
    def val(name, k=None):
        v = xd[name].values[r] if k is None else xd[name].values[r][k]
        return "*" if isinstance(v, float) and np.isnan(v) else v

    def ids(name, n):
        return [text_of(s) for s in xd[name].values[r][:n]]

    sid = head[0]
    mode = {1: "PCPN", 2: "CLAR"}.get(val("rcm_mode"))
    status = {-1: "NA", 1: "NE", 2: "OM"}.get(int(val("rcm_status")))
    check(head == [sid, head[1]] + [w for w in (mode, status) if w], f"{sid} header {head}")
    got = []
    if val("max_top") != "*":
        got.append(["Z", "%3d" % val("max_top"), "%.3f" % val("max_top_lat"),
                    "%.3f" % val("max_top_lon")])
    for kind, var, n in (("T", "tvs", "ntvs"), ("M", "meso", "nmeso")):
        for k, fid in enumerate(ids(var + "_id", val(n))):
            got.append([kind, fid, "%.3f" % val(var + "_lat", k), "%.3f" % val(var + "_lon", k)])
    for k, fid in enumerate(ids("storm_id", val("nstorm"))):
        top = val("storm_top", k)
        got.append(["S", fid, "%.3f" % val("storm_lat", k), "%.3f" % val("storm_lon", k),
                    "%03d" % val("storm_dir", k), "%03d" % val("storm_speed", k),
                    str(-9999 if top == "*" else int(top)), str(int(val("storm_hail", k)))])
        check(km(xd["site_lat"].values[r], xd["site_lon"].values[r], val("storm_lat", k),
                 val("storm_lon", k)) < 250, f"{sid} storm {fid} over 250 km from its site")
    want = [[f.strip() for f in ln] for ln in features]
    got = [[f.strip() for f in ln] for ln in got]
    diff = next((k for k, (g, w) in enumerate(zip(got + [None], want + [None])) if g != w), None)
    check(diff is None, f"{sid} feature {diff}: {(got + [None])[diff or 0]} != "
                        f"{(want + [None])[diff or 0]}")
    # Features stand at cell centres of the fine grid, which "rcm_lat" and
    # "rcm_lon" give.
    lat, lon = xd["rcm_lat"].values.ravel(), xd["rcm_lon"].values.ravel()
    for f in got:
        check(km(lat, lon, float(f[2]), float(f[3])).min() < 0.2,
              f"{sid} {f[:2]} lies off the fine grid's cell centres")
    rms = dict(zip("ABCDEFG", (2, 4, 6, 8, 10, 12, 15)))
    vad = [(int(val("vad_height", k)), int(val("vad_rms", k)), int(val("vad_dir", k)),
            int(val("vad_speed", k))) for k in range(val("nvad"))]
    check(vad == [(h, rms.get(c, 0), d, s) for h, c, d, s in levels.get(sid, [])[:20]],
          f"{sid} wind profile {vad}")


def check_rcm_command(nc_path, vek_path, feed):
    import xarray

    when, rows, sites = read_rcm_text(vek_path)
    levels = read_wind_profiles(feed)
    with xarray.open_dataset(nc_path) as xd:
        check_cf(xd, when, CODED + ["rcm_status", "rcm_mode", "storm_hail"])
        rcm = xd["rcm"].values  # NaN where no site covers a cell
        for y in range(rcm.shape[1]):
            shown = rows.get(y, " " * 452)
            vals = rcm[:452, y]
            got = "".join(str(int(v)) if 1 <= v <= 6 else " " for v in vals)
            check(got == shown and (y in rows) == bool(((vals >= 1) & (vals <= 9)).any()),
                  f"rcm row {y}")
        full = np.full((480, 360), np.nan)
        full[:rcm.shape[0], :rcm.shape[1]] = rcm
        blocks = full.reshape(120, 4, 90, 4)
        with warnings.catch_warnings():  # all-NaN blocks are the empty ones
            warnings.simplefilter("ignore", RuntimeWarning)
            want = np.where(np.isnan(blocks).all(axis=(1, 3)), np.nan, np.nanmax(blocks, (1, 3)))
        check(np.array_equal(xd["mdr"].values, want, equal_nan=True), "mdr != block maxima of rcm")
        ids = [text_of(s) for s in xd["id"].values]
        check(ids == [h[0] for h, _ in sites], f"sites {ids} != {[h[0] for h, _ in sites]}")
        for r, (head, features) in enumerate(sites[:len(ids)]):
            check_rcm_site(xd, r, head, features, levels)
    print(f"cdf_clients.py: {len(sites)} sites and {len(rows)} summary rows agree")


def main(argv):
    if len(argv) >= 5 and argv[1] == "records":
        check_records_command(*argv[2:5])
    elif len(argv) >= 5 and argv[1] == "rcm":
        check_rcm_command(*argv[2:5])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for f in failures[:40]:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

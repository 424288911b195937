#!/usr/bin/python3
"""Quick look at a netCDF converted radar file of dirida.

Usage: scripts/quicklook.py FILE.nc [OUT.png] [--stations rad.cty]

Draws the MDR summary grid on its latitudes and longitudes in the usual
radar-intensity colours (levels 1 to 6; every other cell is left blank),
marks the radar sites of the reports (filled: echoes reported, open: no
echoes, not available or out for maintenance) and puts the time and the
source in the title. Without OUT.png the picture goes to FILE.png. Site
positions come from a station file (rad.cty), by default the one in the
data/ directory beside this script; without one the sites are not marked.

Needs the Debian packages python3-netcdf4 and python3-matplotlib.
"""

import math
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import netCDF4  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.colors import BoundaryNorm, ListedColormap  # noqa: E402

# The colours of the intensity levels 1 to 6 (weak to extreme), RGB 0-255.
LEVEL_COLOURS = [
    (152, 251, 152),  # 1 weak: light green
    (0, 150, 0),  # 2 moderate: dark green
    (255, 255, 0),  # 3 strong: yellow
    (255, 140, 0),  # 4 very strong: orange
    (230, 0, 0),  # 5 intense: red
    (160, 0, 160),  # 6 extreme: purple
]
LEVEL_NAMES = ["weak", "moderate", "strong", "very strong", "intense", "extreme"]
FIGSIZE = (11, 7.5)
DPI = 100
DEFAULT_STATIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "rad.cty")


def mdr_lonlat(nx=120, ny=90):
    """Longitudes and latitudes [x, y] of the MDR boxes: polar stereographic,
    true at 60 N, central meridian 105 W, 47.55 km spacing, centred on
    40.25 N 96.3 W (for files that do not hold them)."""
    rad = math.pi / 180.0
    xfactor = (1.0 + math.sin(60.0 * rad)) * 63.7122
    r0 = xfactor * math.tan((90.0 - 40.25) / 2.0 * rad)
    xc = r0 * math.sin((-96.3 + 105.0) * rad)
    yc = -r0 * math.cos((-96.3 + 105.0) * rad)
    x = 0.4755 * (np.arange(nx)[:, None] - 59.5) + xc
    y = 0.4755 * (44.5 - np.arange(ny)[None, :]) + yc
    r = np.hypot(x, y)
    lat = 2.0 * np.degrees(np.arctan(r / xfactor)) - 90.0
    lat = -lat  # north pole: scale -1
    lon = -105.0 + np.degrees(np.arctan2(x, -y))
    return lon, lat


def read_grid(ds):
    """The summary grid [x, y] and its coordinates, from either layout."""
    name = "mdr" if "mdr" in ds.variables else "summary"
    var = ds.variables[name]
    var.set_auto_mask(False)
    grid = np.asarray(var[:], dtype=int)
    if "lon" in ds.variables and "lat" in ds.variables:
        lon = np.asarray(ds.variables["lon"][:], dtype=float)
        lat = np.asarray(ds.variables["lat"][:], dtype=float)
    else:
        lon, lat = mdr_lonlat(*grid.shape)
    return grid, lon, lat


def cell_edges(c):
    """The corners of the cells whose centres are C [x, y]: the mean of the
    four centres around each corner, the border rows and columns extended
    outward by one cell."""
    p = np.empty((c.shape[0] + 2, c.shape[1] + 2))
    p[1:-1, 1:-1] = c
    p[0, 1:-1] = 2 * c[0] - c[1]
    p[-1, 1:-1] = 2 * c[-1] - c[-2]
    p[:, 0] = 2 * p[:, 1] - p[:, 2]
    p[:, -1] = 2 * p[:, -2] - p[:, -3]
    return (p[:-1, :-1] + p[1:, :-1] + p[:-1, 1:] + p[1:, 1:]) / 4.0


def text_of(row):
    """A netCDF char row as a string (up to its first NUL); netCDF4 gives the
    rows of a text with an "_Encoding" as strings already."""
    if isinstance(row, str) or getattr(row, "dtype", np.dtype("S1")).kind == "U":
        return str(row).strip()
    raw = bytes(np.asarray(row, dtype="S1").tobytes())
    return raw.split(b"\0", 1)[0].decode("ascii", "replace").strip()


def read_sites(ds):
    """{id: echoes reported} of the reports in the file."""
    sites = {}
    ids = ds.variables["id"]
    ids.set_auto_mask(False)
    if "opstat" in ds.variables:  # layout 2: the main record of each report
        opstat = np.asarray(ds.variables["opstat"][:])
        rpt_type = ds.variables["rpt_type"]
        rpt_type.set_auto_mask(False)
        for r in range(len(ds.dimensions["report"])):
            if text_of(rpt_type[r]) == "":
                sites[text_of(ids[r])] = int(opstat[r]) == 0
    else:  # layout 1: one record per station
        config = ds.variables["config"]
        config.set_auto_mask(False)
        for s in range(len(ds.dimensions["station"])):
            sites[text_of(ids[s])] = text_of(config[s]) not in ("NE", "NA", "OM")
    return sites


def read_stations(path):
    """{id: (lat, lon)} from a station file (rad.cty)."""
    where = {}
    try:
        with open(path, encoding="ascii", errors="replace") as f:
            for line in f:
                words = line.split()
                if len(words) < 7:
                    continue
                try:
                    where[words[3]] = (float(words[5]), float(words[6]))
                except ValueError:
                    continue
    except OSError:
        pass
    return where


def title_of(ds, path):
    when = ""
    if "mdr_time" in ds.variables:
        t = text_of(ds.variables["mdr_time"][:])
        if len(t) == 12 and t.isdigit():
            when = f"{t[0:4]}-{t[4:6]}-{t[6:8]} {t[8:10]}:{t[10:12]} UTC"
    if not when:
        when = str(getattr(ds, "datetime", "")).strip()
    source = getattr(ds, "history", None) or getattr(ds, "source", "")
    return f"{getattr(ds, 'title', 'radar summary')}  {when}\n{source} - {os.path.basename(path)}"


def render(path, out, stations=DEFAULT_STATIONS):
    """Draws FILE PATH into the PNG OUT; returns the figure and its axes."""
    with netCDF4.Dataset(path) as ds:
        grid, lon, lat = read_grid(ds)
        sites = read_sites(ds)
        title = title_of(ds, path)
    shown = np.ma.masked_where((grid < 1) | (grid > 6), grid)
    cmap = ListedColormap([tuple(c / 255.0 for c in rgb) for rgb in LEVEL_COLOURS])
    norm = BoundaryNorm(np.arange(0.5, 7.5), cmap.N)

    fig, ax = plt.subplots(figsize=FIGSIZE, dpi=DPI)
    ax.set_facecolor("white")
    mesh = ax.pcolormesh(cell_edges(lon), cell_edges(lat), shown, cmap=cmap, norm=norm,
                         shading="flat", antialiased=False)
    where = read_stations(stations) if stations else {}
    for echoes in (True, False):
        pts = [where[i] for i, e in sites.items() if e == echoes and i in where]
        if pts:
            ax.scatter([p[1] for p in pts], [p[0] for p in pts], s=14, zorder=3,
                       facecolors="black" if echoes else "none", edgecolors="black",
                       linewidths=0.8,
                       label="site with echoes" if echoes else "site without echoes")
    ax.set_xlim(float(lon.min()), float(lon.max()))
    ax.set_ylim(float(lat.min()), float(lat.max()))
    ax.set_xlabel("longitude (degrees east)")
    ax.set_ylabel("latitude (degrees north)")
    ax.grid(True, color="0.85", linewidth=0.5)
    ax.set_title(title, fontsize=10)
    bar = fig.colorbar(mesh, ax=ax, ticks=range(1, 7), shrink=0.8)
    bar.ax.set_yticklabels([f"{i} {n}" for i, n in enumerate(LEVEL_NAMES, 1)])
    if ax.get_legend_handles_labels()[0]:
        ax.legend(loc="lower left", fontsize=8)
    fig.savefig(out, dpi=DPI)
    return fig, ax


def main(argv):
    args = [a for a in argv[1:]]
    stations = DEFAULT_STATIONS
    if "--stations" in args:
        i = args.index("--stations")
        if i + 1 >= len(args):
            print(__doc__, file=sys.stderr)
            return 2
        stations = args[i + 1]
        del args[i:i + 2]
    if len(args) not in (1, 2):
        print(__doc__, file=sys.stderr)
        return 2
    path = args[0]
    out = args[1] if len(args) == 2 else os.path.splitext(path)[0] + ".png"
    try:
        render(path, out, stations)
    except (OSError, KeyError) as e:
        print(f"quicklook.py: cannot draw {path}: {e}", file=sys.stderr)
        return 1
    print(f"quicklook.py: wrote {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

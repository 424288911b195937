"""Keeps the documentation true to the program.

Usage: docs_test.py readme|manpage|install|quicklook SOURCE_DIR BUILD_DIR

readme   runs the ```console blocks of README.md in order, in a copy of the
         files they use (data/, build/) with a clean environment and HOME in a
         temporary directory;
manpage  lints doc/dirida.1 with groff, mandoc and man, checks that it documents
         every option of `dirida -h`, and runs its EXAMPLES with the program
         installed in a temporary prefix, in a directory holding the sample
         bulletins of data/;
install  installs into a temporary prefix and converts a file from an
         unrelated directory with the installed program and files;
quicklook lints doc/dirida-quicklook.1 and runs its EXAMPLES as above, and
         checks the pictures of the installed dirida-quicklook.

A transcript line "$ command" is run by /bin/sh ("> " lines continue it);
the lines up to the next command are its expected output (standard output
and standard error together; trailing blanks ignored, "..." stands for any
lines). Every command must end with status 0. Exits 0 when every check
holds; otherwise prints what failed and exits 1.
"""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
    return cond


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=300, **kw)


def base_env(home, **extra):
    path = os.path.dirname(shutil.which("cmake")) + ":/usr/bin:/bin"
    return {"PATH": path, "HOME": home, "LC_ALL": "C", **extra}


def install(build, prefix, **kw):
    r = run(["cmake", "--install", build, "--prefix", prefix], **kw)
    check(r.returncode == 0, f"cmake --install --prefix {prefix}: {r.stdout}{r.stderr}")
    return r


# -- transcripts ---------------------------------------------------------------


def parse_transcript(lines, where):
    """[(command, expected output lines, where)] of a transcript."""
    steps = []
    for line in lines:
        if line.startswith("$ "):
            steps.append([line[2:], [], where])
        elif line.startswith("> ") or line == ">":
            if check(steps and not steps[-1][1], f"{where}: continuation without a command"):
                steps[-1][0] += "\n" + line[2:]
        else:
            check(steps, f"{where}: output before any command: {line!r}")
            if steps:
                steps[-1][1].append(line)
    return steps


def normal(lines):
    return [line.expandtabs().rstrip() for line in lines]


def matches(expected, actual):
    if not expected:
        return not actual
    if expected[0] == "...":
        return any(matches(expected[1:], actual[i:]) for i in range(len(actual) + 1))
    return bool(actual) and expected[0] == actual[0] and matches(expected[1:], actual[1:])


def run_transcript(steps, cwd, env):
    """Runs the commands in one shell, in order; checks statuses and outputs."""
    out = os.path.join(cwd, ".transcript")
    os.makedirs(out)
    script = ["exec </dev/null"]
    for i, (cmd, _, _) in enumerate(steps):
        script += ["{ " + cmd, f"}} >{out}/{i} 2>&1", f"echo $? >{out}/{i}.status"]
    r = run(["/bin/sh", "-c", "\n".join(script)], cwd=cwd, env=env)
    check(r.returncode == 0, f"transcript shell: {r.stderr}")
    for i, (cmd, expected, where) in enumerate(steps):
        try:
            with open(f"{out}/{i}", encoding="utf-8", errors="replace") as f:
                actual = f.read().splitlines()
            with open(f"{out}/{i}.status") as f:
                status = int(f.read())
        except OSError:
            check(False, f"{where}: $ {cmd}: not run")
            continue
        check(status == 0, f"{where}: $ {cmd}: status {status}\n" + "\n".join(actual))
        check(matches(normal(expected), normal(actual)),
              f"{where}: $ {cmd}: shown output differs; the program prints:\n" + "\n".join(actual))
    shutil.rmtree(out)


# -- README --------------------------------------------------------------------


def readme(src, build, tmp):
    with open(os.path.join(src, "README.md"), encoding="utf-8") as f:
        text = f.read()
    blocks = re.findall(r"^```(\w*)\n(.*?)^```$", text, re.M | re.S)
    guide = text[text.index("## User's guide"):text.index("## For developers")]
    check("```sh" not in guide, "README: the user's guide shows commands outside console blocks")
    steps = []
    for n, (kind, body) in enumerate(blocks):
        if kind == "console":
            steps += parse_transcript(body.splitlines(), f"README.md block {n + 1}")
    check(len(steps) >= 20, f"README: only {len(steps)} commands found")

    work, home, none = (os.path.join(tmp, d) for d in ("src", "home", "none"))
    shutil.copytree(os.path.join(src, "data"), os.path.join(work, "data"))
    os.symlink(build, os.path.join(work, "build"))
    os.makedirs(home)
    os.makedirs(none)
    # The install block sets vekdefault; until then no defaults are read.
    run_transcript(steps, work, base_env(home, vekdefault=none))


# -- manual page -----------------------------------------------------------------


def roff_text(line):
    check(not re.search(r"\\(?!-|e|\(aq)", line), f"an escape the test does not read: {line!r}")
    return re.sub(r"\\(-|e|\(aq)", lambda m: {"-": "-", "e": "\\", "(aq": "'"}[m.group(1)], line)


def lint_page(src, name):
    """The sections {name: text} of doc/NAME, linted with groff and mandoc."""
    page = os.path.join(src, "doc", name)
    r = run(["groff", "-ww", "-man", "-Tutf8", "-z", page])
    check(r.returncode == 0 and not r.stderr, f"{name}: groff -ww: {r.stderr}")
    r = run(["mandoc", "-T", "lint", page])
    check(r.returncode == 0 and not r.stdout and not r.stderr,
          f"{name}: mandoc -T lint: {r.stdout}{r.stderr}")
    r = run(["man", "--warnings", "-l", page], env={**os.environ, "MANWIDTH": "80", "MANPAGER": "cat"})
    check(r.returncode == 0 and r.stdout and not r.stderr, f"{name}: man -l: {r.stderr}")
    with open(page, encoding="utf-8") as f:
        text = f.read()
    sections = dict(re.findall(r"^\.SH ([^\n]+)\n(.*?)(?=^\.SH |\Z)", text, re.M | re.S))
    sections = {k.strip('"'): v for k, v in sections.items()}
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "ENVIRONMENT", "FILES",
                    "EXIT STATUS", "EXAMPLES"):
        check(section in sections, f"{name}: no section {section}")
    return sections


def run_examples(src, build, tmp, name, sections, least):
    """Runs the EXAMPLES of doc/NAME with the program installed in a temporary
    prefix, in a directory holding the sample bulletins of data/."""
    examples = re.findall(r"^\.EX\n(.*?)^\.EE$", sections.get("EXAMPLES", ""), re.M | re.S)
    lines = [roff_text(line) for block in examples for line in block.splitlines()]
    steps = parse_transcript(lines, f"{name} EXAMPLES")
    check(len(steps) >= least, f"{name}: only {len(steps)} example commands found")
    # What the reader sees is what is run: each line of a command as shown,
    # "> " before the lines that continue it.
    shown = run(["groff", "-man", "-Tutf8", "-P-cbou", os.path.join(src, "doc", name)]).stdout
    shown = "\n".join(line.strip() for line in shown.splitlines())
    for cmd, _, _ in steps:
        first, *more = cmd.split("\n")
        lines = ["$ " + first] + [("> " + line).strip() for line in more]
        check("\n".join(lines) in shown, f"{name}: the example {cmd!r} renders differently")

    home, prefix, work = (os.path.join(tmp, d) for d in ("home", "prefix", "work"))
    install(build, prefix)
    os.makedirs(home, exist_ok=True)
    os.makedirs(work)
    for f in glob.glob(os.path.join(src, "data", "*.txt")):
        shutil.copy(f, work)
    env = base_env(home, vekdefault=os.path.join(prefix, "vek", "etc"))
    env["PATH"] = os.path.join(prefix, "bin") + ":" + env["PATH"]
    run_transcript(steps, work, env)


def manpage(src, build, tmp):
    sections = lint_page(src, "dirida.1")
    home, none = os.path.join(tmp, "home"), os.path.join(tmp, "none")
    os.makedirs(home)
    os.makedirs(none)
    help_text = run([os.path.join(build, "dirida"), "-h"], env=base_env(home, vekdefault=none)).stdout
    options = re.findall(r"^ (-[a-z]+)", help_text, re.M)
    check(len(options) > 20, f"dirida -h lists only {options}")
    for opt in options:
        check(re.search(r"\\" + opt + r"\b", sections.get("OPTIONS", "")),
              f"dirida.1: OPTIONS does not describe {opt}")
    run_examples(src, build, tmp, "dirida.1", sections, 8)


# -- quick look -------------------------------------------------------------------

# An MDR collective in which no site reports an echo.
QUIET = """SDUS41 KWBC 151835
RADUS1
MANUALLY DIGITIZED RADAR REPORTS 1830Z 15 JUN 2024

IND 1830 PPINE=
DTX 1828 PPIOM=
EAX 1840 PPINA=
"""
# Points of the US east coast that the coarse shoreline passes within 25 km of
# (Montauk Point, Chatham, Portland, Cape May, Cape Charles, Cape Hatteras,
# Tybee Island, Cape Canaveral), and a point of Kansas far from any shore.
EAST_COAST = [(41.07, -71.86), (41.67, -69.94), (43.62, -70.20), (38.93, -74.96), (37.12, -75.90),
              (35.22, -75.53), (32.03, -80.85), (28.45, -80.53)]
INLAND = (38.5, -98.5)


def svg_texts(path):
    import xml.etree.ElementTree as ET
    return ["".join(e.itertext()) for e in ET.parse(path).iter("{http://www.w3.org/2000/svg}text")]


def check_picture(ql, path, doc_name):
    """Draws the file at PATH as the installed script does and checks the
    picture: each grid box in the colour of its value at its centre, the
    sites inside the view, and coastline pixels along the east coast."""
    import cartopy.crs as ccrs
    import netCDF4
    import numpy as np

    fig = ql.draw(ql.read_run(path))
    ax = fig.map_axes

    def pixels():
        fig.canvas.draw()
        return np.asarray(fig.canvas.buffer_rgba())[..., :3].astype(int)

    def at(img, lat, lon):
        """The pixels [n, rgb] at LAT, LON and which of them lie in the map."""
        xy = ax.projection.transform_points(ccrs.PlateCarree(), np.ravel(lon), np.ravel(lat))
        px = ax.transData.transform(xy[:, :2])
        box = ax.bbox
        inside = ((px[:, 0] > box.x0 + 1) & (px[:, 0] < box.x1 - 1)
                  & (px[:, 1] > box.y0 + 1) & (px[:, 1] < box.y1 - 1))
        col = np.clip(np.round(px[:, 0]).astype(int), 0, img.shape[1] - 1)
        row = np.clip(np.round(img.shape[0] - px[:, 1]).astype(int), 0, img.shape[0] - 1)
        return img[row, col], inside, row, col

    with netCDF4.Dataset(path) as ds:
        ds.set_auto_mask(False)
        name, lat, lon = ("rcm", "rcm_lat", "rcm_lon") if "rcm" in ds.variables else ("mdr", "lat", "lon")
        grid, lat, lon = (np.asarray(ds[v][:]) for v in (name, lat, lon))
        fill = ds[name]._FillValue
        site_lat, site_lon = np.asarray(ds["site_lat"][:]), np.asarray(ds["site_lon"][:])

    # Each box's class: its level 1..6, 7 covered without a level, 0 nobody covered.
    img = pixels()
    cls = np.where((grid >= 1) & (grid <= 6), grid, np.where(grid == fill, 0, 7)).ravel()
    colours = {v: np.array(rgb) for v, rgb in enumerate(ql.LEVEL_COLOURS + [ql.COVERED_COLOUR], 1)}
    drawn, inside, _, _ = at(img, lat, lon)
    seen = []
    for v, rgb in colours.items():
        looks = inside & (np.abs(drawn - rgb).max(axis=1) <= 2)
        check((cls[looks] == v).all(),
              f"{doc_name}: boxes of values {set(grid.ravel()[looks & (cls != v)])} in the colour of {v}")
        if (inside & (cls == v)).any():  # site marks and labels may hide some of them
            check((looks & (cls == v)).any(), f"{doc_name}: no box of class {v} in its colour")
            seen.append(v)
    _, site_in, _, _ = at(img, site_lat, site_lon)
    check(site_in.all(), f"{doc_name}: sites outside the view")
    if len(site_lat) == 1:  # one site: its 230 km in view, not much more
        dlat = np.array([230, -230, 0, 0, 600, -600]) / 111.2
        dlon = np.array([0, 0, 230, -230, 0, 0]) / (111.2 * np.cos(np.radians(site_lat[0])))
        _, ring_in, _, _ = at(img, site_lat[0] + dlat, site_lon[0] + dlon)
        check(list(ring_in) == [True] * 4 + [False] * 2, f"{doc_name}: view around the site {ring_in}")

    # The coastline: the pixels that change when it is hidden.
    coast = [a for a in ax.get_children() if a.get_gid() == "coastline"]
    check(len(coast) == 1, f"{doc_name}: {len(coast)} coastline layers")
    for a in coast:
        a.set_visible(False)
    line = np.abs(pixels() - img).max(axis=2) > 40
    for lat_c, lon_c in EAST_COAST + [INLAND]:
        _, ok, row, col = at(line, [lat_c, lat_c + 25 / 111.2], [lon_c, lon_c])
        r = max(2, int(np.hypot(row[1] - row[0], col[1] - col[0])))  # 25 km
        if ok[0]:
            near = line[max(0, row[0] - r):row[0] + r + 1, max(0, col[0] - r):col[0] + r + 1].any()
            check(near == ((lat_c, lon_c) != INLAND),
                  f"{doc_name}: coastline pixels within 25 km of {lat_c}N {lon_c}E: {near}")
    return seen, sum(1 for p in EAST_COAST if at(line, *p)[1][0])


# The runs drawn: the conversion and the netCDF file it writes.
RUNS = {"mdr": ("dirida -ba -ou cdf 24061512", "2406151230_rad.nc"),
        "rcm": ("dirida -ba -in rcm -ou cdf 1108280716", "1108280715_rad.nc"),
        "quiet": ("dirida -ba -of cdf:@quiet.nc quiet.txt#2024061518", "quiet.nc")}


def quicklook(src, build, tmp):
    """The installed dirida-quicklook on files converted by the installed
    dirida, in a directory that holds only the inputs: its manual page and
    examples, the pictures of the bundled MDR collective and of the Upton
    RCM against doc/ (UPDATE_PICTURES=1 writes them there anew), site labels,
    titles and notes in SVG renderings, and the pixels of each picture."""
    run_examples(src, build, tmp, "dirida-quicklook.1", lint_page(src, "dirida-quicklook.1"), 4)
    prefix, home, work = (os.path.join(tmp, d) for d in ("prefix", "home", "pictures"))
    os.makedirs(work)
    for f in ("24061512_rad.txt", "1108280716_rcm.txt"):
        shutil.copy(os.path.join(src, "data", f), work)
    with open(os.path.join(work, "quiet.txt"), "w") as f:
        f.write(QUIET)
    # A download, were one tried, would fail at once.
    env = base_env(home, vekdefault=os.path.join(prefix, "vek", "etc"),
                   MPLCONFIGDIR=os.path.join(home, "mpl"),
                   http_proxy="http://127.0.0.1:9", https_proxy="http://127.0.0.1:9")
    env["PATH"] = os.path.join(prefix, "bin") + ":" + env["PATH"]
    texts = {}
    for kind, (cmd, nc) in RUNS.items():
        r = run(cmd.split(), cwd=work, env=env)
        check(r.returncode == 0 and not r.stderr, f"{cmd}: status {r.returncode}: {r.stderr}")
        for out in (f"quicklook-{kind}.png", f"{kind}.svg"):
            r = run(["dirida-quicklook", nc, out], cwd=work, env=env)
            check((r.returncode, r.stdout, r.stderr) == (0, f"dirida-quicklook: wrote {out}\n", ""),
                  f"dirida-quicklook {nc} {out}: status {r.returncode}: {r.stdout}{r.stderr}")
        texts[kind] = svg_texts(os.path.join(work, out)) if r.returncode == 0 else []

    import matplotlib.image
    import netCDF4
    import numpy as np
    for kind in ("mdr", "rcm"):
        doc, fresh = (os.path.join(d, f"quicklook-{kind}.png") for d in (os.path.join(src, "doc"), work))
        if os.environ.get("UPDATE_PICTURES") == "1" and os.path.isfile(fresh):
            shutil.copy(fresh, doc)
        if check(os.path.isfile(doc) and os.path.isfile(fresh), f"no doc/quicklook-{kind}.png or fresh one"):
            a, b = matplotlib.image.imread(doc), matplotlib.image.imread(fresh)
            differ = (np.abs(a - b).max(axis=2) > 0.1).mean() if a.shape == b.shape else 1.0
            check(differ < 0.002, f"doc/quicklook-{kind}.png: {differ:.2%} of its pixels differ from a "
                  "fresh rendering; run this test with UPDATE_PICTURES=1 to write it anew")
        with netCDF4.Dataset(os.path.join(work, RUNS[kind][1])) as ds:
            ids = {str(i) for i in ds["id"][:]}  # the strings of its encoded chars
        check(ids and ids <= set(texts[kind]), f"{kind}.svg lacks the site labels {ids - set(texts[kind])}")
    notes = {kind: "No site reported any echo" in texts[kind] for kind in texts}
    check(notes == {"mdr": False, "rcm": False, "quiet": True}, f"the no-echo note in {notes}")
    check(any("2024-06-15 12:30 UTC" in t and "Manually Digitized Radar reports" in t for t in texts["mdr"])
          and any("2011-08-28 07:15 UTC" in t and "Radar Coded Messages" in t for t in texts["rcm"]),
          "titles: " + " / ".join(t for k in ("mdr", "rcm") for t in texts[k] if "UTC" in t))

    # The same drawing in this process, to find where boxes and coasts lie on it.
    from importlib.machinery import SourceFileLoader
    from importlib.util import module_from_spec, spec_from_loader
    os.chdir(work)
    os.environ["MPLCONFIGDIR"] = env["MPLCONFIGDIR"]
    sys.dont_write_bytecode = True
    loader = SourceFileLoader("quicklook", os.path.join(prefix, "bin", "dirida-quicklook"))
    ql = module_from_spec(spec_from_loader("quicklook", loader))
    loader.exec_module(ql)
    mdr_levels, mdr_capes = check_picture(ql, RUNS["mdr"][1], "mdr")
    rcm_levels, rcm_capes = check_picture(ql, RUNS["rcm"][1], "rcm")
    check(len(mdr_levels) >= 5 and len(rcm_levels) >= 4 and mdr_capes == len(EAST_COAST) and rcm_capes >= 2,
          f"too little checked: levels {mdr_levels}, {rcm_levels}; coast points {mdr_capes}, {rcm_capes}")


# -- install ---------------------------------------------------------------------


def install_test(src, build, tmp):
    prefix, elsewhere, ref, none = (os.path.join(tmp, d) for d in ("prefix", "elsewhere", "ref", "none"))
    etc = os.path.join(prefix, "vek", "etc")
    install(build, prefix)
    for f in ("bin/dirida", "share/man/man1/dirida.1", "vek/etc/vek.cfg", "vek/etc/rad.cty",
              "vek/etc/name_conv"):
        check(os.path.isfile(os.path.join(prefix, f)), f"install: no {f}")
    with open(os.path.join(etc, "vek.cfg")) as f:
        cfg = f.read()
    check(f'dirida.file_path: "{etc}"' in cfg, f"installed vek.cfg does not name {etc}:\n{cfg}")

    # The installed program and files, from a directory that has nothing else.
    os.makedirs(elsewhere)
    os.makedirs(none)
    shutil.copy(os.path.join(src, "data", "24061512_rad.txt"), elsewhere)
    r = run([os.path.join(prefix, "bin", "dirida"), "-ba", "24061512"], cwd=elsewhere,
            env={"PATH": "/usr/bin:/bin", "HOME": tmp, "vekdefault": etc})
    check(r.returncode == 0 and not r.stderr, f"installed dirida: status {r.returncode}: {r.stderr}")
    r = run([os.path.join(build, "dirida"), "-ba", "-fp", "data", "-dp", "data", "-cp", ref, "24061512"],
            cwd=src, env={"PATH": "/usr/bin:/bin", "HOME": tmp, "vekdefault": none})
    check(r.returncode == 0, f"reference conversion: {r.stderr}")
    with open(os.path.join(ref, "24061512_rad.vek"), "rb") as f:
        want = f.read()
    got = os.path.join(elsewhere, "24061512_rad.vek")
    if check(os.path.isfile(got), "installed dirida wrote no 24061512_rad.vek"):
        with open(got, "rb") as f:
            check(f.read() == want, "installed dirida: the converted file differs from the build's")

    # A vek.cfg edited at the site survives the next install.
    with open(os.path.join(etc, "vek.cfg"), "a") as f:
        f.write("dirida.message: mess\n")
    install(build, prefix)
    with open(os.path.join(etc, "vek.cfg")) as f:
        check(f.read().endswith("dirida.message: mess\n"), "a second install replaced an edited vek.cfg")
    check(os.path.isfile(os.path.join(etc, "vek.cfg.new")), "a second install wrote no vek.cfg.new")

    # The default prefix: staged with DESTDIR, the file names /usr/local/vek/etc.
    stage = os.path.join(tmp, "stage")
    install(build, "/usr/local", env={**os.environ, "DESTDIR": stage})
    with open(os.path.join(stage, "usr/local/vek/etc/vek.cfg")) as f:
        check('dirida.file_path: "/usr/local/vek/etc"' in f.read(),
              "staged vek.cfg does not name /usr/local/vek/etc")


def main(argv):
    if len(argv) != 4 or argv[1] not in ("readme", "manpage", "install", "quicklook"):
        print(__doc__, file=sys.stderr)
        return 2
    src, build = os.path.abspath(argv[2]), os.path.abspath(argv[3])
    with tempfile.TemporaryDirectory(prefix="dirida-docs-") as tmp:
        {"readme": readme, "manpage": manpage, "install": install_test, "quicklook": quicklook}[argv[1]](
            src, build, tmp)
    for what in failures:
        print("FAILED:", what)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

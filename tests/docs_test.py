"""Keeps the documentation true to the program.

Usage: docs_test.py readme|manpage|install SOURCE_DIR BUILD_DIR

readme   runs the ```console blocks of README.md in order, in a copy of the
         files they use (data/, scripts/quicklook.py, build/) with a clean
         environment and HOME in a temporary directory;
manpage  lints doc/dirida.1 with groff and mandoc, checks that it documents
         every option of `dirida -h`, and runs its EXAMPLES with the program
         installed in a temporary prefix, in a directory holding the sample
         bulletins of data/;
install  installs into a temporary prefix and converts a file from an
         unrelated directory with the installed program and files.

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
    os.makedirs(os.path.join(work, "scripts"))
    shutil.copy(os.path.join(src, "scripts", "quicklook.py"), os.path.join(work, "scripts"))
    os.symlink(build, os.path.join(work, "build"))
    os.makedirs(home)
    os.makedirs(none)
    # The install block sets vekdefault; until then no defaults are read.
    run_transcript(steps, work, base_env(home, vekdefault=none))


# -- manual page -----------------------------------------------------------------


def roff_text(line):
    check(not re.search(r"\\(?!-|e|\(aq)", line), f"dirida.1: an escape the test does not read: {line!r}")
    return re.sub(r"\\(-|e|\(aq)", lambda m: {"-": "-", "e": "\\", "(aq": "'"}[m.group(1)], line)


def manpage(src, build, tmp):
    page = os.path.join(src, "doc", "dirida.1")
    r = run(["groff", "-ww", "-man", "-Tutf8", "-z", page])
    check(r.returncode == 0 and not r.stderr, f"groff -ww: {r.stderr}")
    r = run(["mandoc", "-T", "lint", page])
    check(r.returncode == 0 and not r.stdout and not r.stderr, f"mandoc -T lint: {r.stdout}{r.stderr}")
    with open(page, encoding="utf-8") as f:
        text = f.read()
    sections = dict(re.findall(r"^\.SH ([^\n]+)\n(.*?)(?=^\.SH |\Z)", text, re.M | re.S))
    for name in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "ENVIRONMENT", "FILES",
                 '"EXIT STATUS"', "EXAMPLES"):
        check(name.strip('"') in (s.strip('"') for s in sections), f"dirida.1: no section {name}")

    home, none = os.path.join(tmp, "home"), os.path.join(tmp, "none")
    os.makedirs(home)
    os.makedirs(none)
    help_text = run([os.path.join(build, "dirida"), "-h"], env=base_env(home, vekdefault=none)).stdout
    options = re.findall(r"^ (-[a-z]+)", help_text, re.M)
    check(len(options) > 20, f"dirida -h lists only {options}")
    for opt in options:
        check(re.search(r"\\" + opt + r"\b", sections.get("OPTIONS", "")),
              f"dirida.1: OPTIONS does not describe {opt}")

    examples = re.findall(r"^\.EX\n(.*?)^\.EE$", sections.get("EXAMPLES", ""), re.M | re.S)
    lines = [roff_text(line) for block in examples for line in block.splitlines()]
    steps = parse_transcript(lines, "dirida.1 EXAMPLES")
    check(len(steps) >= 8, f"dirida.1: only {len(steps)} example commands found")
    # What the reader sees is what is run.
    shown = run(["groff", "-man", "-Tutf8", "-P-cbou", page]).stdout
    for cmd, _, _ in steps:
        check("$ " + cmd in shown, f"dirida.1: the example {cmd!r} renders differently")

    prefix, work = os.path.join(tmp, "prefix"), os.path.join(tmp, "work")
    install(build, prefix)
    os.makedirs(work)
    for f in glob.glob(os.path.join(src, "data", "*.txt")):
        shutil.copy(f, work)
    env = base_env(home, vekdefault=os.path.join(prefix, "vek", "etc"))
    env["PATH"] = os.path.join(prefix, "bin") + ":" + env["PATH"]
    run_transcript(steps, work, env)


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
    if len(argv) != 4 or argv[1] not in ("readme", "manpage", "install"):
        print(__doc__, file=sys.stderr)
        return 2
    src, build = os.path.abspath(argv[2]), os.path.abspath(argv[3])
    with tempfile.TemporaryDirectory(prefix="dirida-docs-") as tmp:
        {"readme": readme, "manpage": manpage, "install": install_test}[argv[1]](src, build, tmp)
    for what in failures:
        print("FAILED:", what)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

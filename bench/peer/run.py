"""Silent installations of our installer and of NSIS installers of the same files, timed under Wine.

One folder of real files (copied once from this machine's /usr, kept in WORK/source) is packed by
lumepack into our i686 and x86-64 stubs, and by makensis into x86-unicode and amd64-unicode
installers with /SOLID zlib and /SOLID lzma, and by makensis into a third, zlib one that does the same work as
ours (records, class, associations, uninstall entry, a shortcut, an options file, two starts it waits for).
Every installer then installs silently into C:\\MLUME of
one WoW64 prefix with a virtual desktop under Xvfb, in interleaved rounds, the destination removed
between runs; each installation is checked byte for byte against the source folder.

The time runs from starting the loader to the installer's exit; for ours also until the program it
starts at the end (the sample lume32.exe, which logs its command line and exits) has logged as many
lines as in the untimed first run, since the installer does not wait for it. With --log, each of
our installers also runs with "-log=C:\\stage\\NAME.log" on its command line, as a row of its own in
the same rounds (a copy of the same file, so that both rows are staged alike), and the report says
what the log cost.
"""
import argparse
import filecmp
import hashlib
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PROJECT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(PROJECT, "tests", "e2e"))

from harness.prefix import build_template  # noqa: E402
from harness.wine import WINE32, WINE64, Wine, why_no_wine32  # noqa: E402
from harness.xvfb import Xvfb  # noqa: E402

LUMEPACK = os.path.join(PROJECT, "build", "host", "tools", "lumepack")
STUB = {32: os.path.join(PROJECT, "build", "win32", "setup-stub.exe"),
        64: os.path.join(PROJECT, "build", "win64", "setup-stub.exe")}
MAIN = {32: os.path.join(PROJECT, "build", "win32", "sample", "lume32.exe"),
        64: os.path.join(PROJECT, "build", "win64", "sample", "lume32.exe")}
NSIS_TARGET = {32: "x86-unicode", 64: "amd64-unicode"}
DESTINATION = "MLUME"
SUBFOLDERS = 20
# Written in the destination by our installer (its options) and by the program it starts.
OWN_FILES = {"tova.opt", "lume32.log"}


def log(text):
    print(text, flush=True)


# ---------------------------------------------------------------- the source folder

def _safe_name(index, path):
    base = re.sub(r"[^A-Za-z0-9._-]", "_", os.path.basename(path))[:40].rstrip(". ") or "file"
    return "%04d_%s" % (index, base)


def _regular_files(root, low, high):
    found = []
    for folder, dirs, files in os.walk(root):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            size = os.path.getsize(path)
            if low <= size <= high and os.access(path, os.R_OK):
                found.append((path, size))
    return found


def make_source(folder, megabytes, count, main_exe):
    """About `megabytes` MB in `count` files: five in six small ones from /usr/share/doc, the rest
    larger ones from /usr/lib filling up the size; every third file in one of 20 subfolders."""
    target = int(megabytes * 1_000_000)
    chooser = random.Random(20261207)
    small = _regular_files("/usr/share/doc", 200, 64 * 1024)
    chooser.shuffle(small)
    large_count = max(1, count // 6)
    picked = small[:count - large_count]
    budget = target - sum(size for _, size in picked)
    large = _regular_files("/usr/lib", 16 * 1024, 8 * 1024 * 1024)
    chooser.shuffle(large)
    used = set()
    for slot in range(large_count):
        want = max(budget // (large_count - slot), 16 * 1024)
        window = [item for item in large[slot * 40:slot * 40 + 40] if item[0] not in used] or large
        best = min(window, key=lambda item: abs(item[1] - want))
        used.add(best[0])
        picked.append(best)
        budget -= best[1]
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    total = 0
    for index, (path, size) in enumerate(picked):
        sub = "" if index % 3 else "sub%02d" % (index // 3 % SUBFOLDERS)
        destination = os.path.join(folder, sub, _safe_name(index, path))
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        shutil.copyfile(path, destination)
        total += size
    shutil.copyfile(main_exe, os.path.join(folder, "lume32.exe"))
    return len(picked) + 1, total + os.path.getsize(main_exe)


def describe(folder):
    files, total, subs = 0, 0, set()
    for root, _, names in os.walk(folder):
        for name in names:
            files += 1
            total += os.path.getsize(os.path.join(root, name))
            if root != folder:
                subs.add(root)
    return files, total, len(subs)


def fingerprint(folder):
    digest = hashlib.sha256()
    for root, dirs, names in sorted(os.walk(folder)):
        dirs.sort()
        for name in sorted(names):
            path = os.path.join(root, name)
            digest.update(os.path.relpath(path, folder).encode() + b"\0%d\0" % os.path.getsize(path))
    return digest.hexdigest()[:16]


# ---------------------------------------------------------------- the installers

NSIS_SCRIPT = """Unicode true
Target {target}
SetCompressor /SOLID {compressor}
Name "MoraLUME"
OutFile "{out}"
InstallDir "C:\\{destination}"
SilentInstall silent
RequestExecutionLevel user
ShowInstDetails nevershow
Section
{files}SectionEnd
"""


# What our installer does besides the files, in an NSIS script: one record key per file (written
# after the file, as ours does), a class with its open command, ten extensions each read, backed up
# and pointed at the class, an uninstall entry, a Start Menu folder with one shortcut, an options
# file; then the program started twice, each start waited for. Its own class, so that neither
# installer meets the other's keys.
SAME_WORK_CLASS = "MoraLUME_NSIS"
EXTENSIONS = ["gif", "jpg", "pcx", "png", "bmp", "rle", "dib", "tif", "tga", "pcd"]
SAME_WORK_TAIL = r"""  WriteRegStr HKCR "{cls}" "" "MoraLUME image"
  WriteRegStr HKCR "{cls}\shell\open\command" "" '"$INSTDIR\lume32.exe" "%1"'
{extensions}  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\{cls}" "DisplayName" "MoraLUME"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\{cls}" "UninstallString" '"$INSTDIR\lume32.exe" . -u'
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\{cls}"
  CreateShortcut "$SMPROGRAMS\{cls}\MoraLUME.lnk" "$INSTDIR\lume32.exe"
  FileOpen $0 "$INSTDIR\tova.opt" w
  FileWrite $0 "prefLanguage=E"
  FileClose $0
  ExecWait '"$INSTDIR\lume32.exe" -Q'
  ExecWait '"$INSTDIR\lume32.exe"'
"""
SAME_WORK_EXTENSION = r"""  ReadRegStr $0 HKCR ".{ext}" ""
  WriteRegStr HKCR "{cls}\license" "ins.{ext}" "$0"
  WriteRegStr HKCR ".{ext}" "" "{cls}"
"""


def nsis_file_lines(source, same_work):
    """The script's File commands: each file apart (and its record after it) for the same work,
    else one command per folder."""
    lines = ['  SetOutPath "$INSTDIR"\n']
    top = sorted(name for name in os.listdir(source) if os.path.isfile(os.path.join(source, name)))
    subs = sorted(name for name in os.listdir(source) if os.path.isdir(os.path.join(source, name)))

    def one(folder, name):
        lines.append('  File "%s"\n' % os.path.join(source, folder, name))
        if same_work:
            record = ("%s$$%s" % (folder, name)) if folder else name
            lines.append('  WriteRegStr HKCR "%s\\installed\\%s" "" ""\n' % (SAME_WORK_CLASS, record))

    for name in top:
        one("", name)
    for sub in subs:
        lines.append('  SetOutPath "$INSTDIR\\%s"\n' % sub)
        if same_work:
            for name in sorted(os.listdir(os.path.join(source, sub))):
                one(sub, name)
        else:
            lines.append('  File "%s/*"\n' % os.path.join(source, sub))
    if same_work:
        extensions = "".join(SAME_WORK_EXTENSION.format(ext=ext, cls=SAME_WORK_CLASS) for ext in EXTENSIONS)
        lines.append(SAME_WORK_TAIL.format(cls=SAME_WORK_CLASS, extensions=extensions))
    return lines


def make_nsis(source, out, bits, compressor, log_path, same_work=False):
    lines = nsis_file_lines(source, same_work)
    script = out[:-4] + ".nsi"
    with open(script, "w") as handle:
        handle.write(NSIS_SCRIPT.format(target=NSIS_TARGET[bits], compressor=compressor, out=out,
                                        destination=DESTINATION, files="".join(lines)))
    with open(log_path, "wb") as output:
        subprocess.run(["makensis", "-V2", script], stdout=output, stderr=subprocess.STDOUT, check=True)


def make_ours(source, out, bits, log_path, project=PROJECT):
    lumepack = os.path.join(project, os.path.relpath(LUMEPACK, PROJECT))
    stub = os.path.join(project, os.path.relpath(STUB[bits], PROJECT))
    with open(log_path, "wb") as output:
        subprocess.run([lumepack, "installer", "--stub", stub, "-o", out, source],
                       stdout=output, stderr=subprocess.STDOUT, check=True)


# ---------------------------------------------------------------- installing

def check_installed(destination, source):
    """None when every source file is in place with the same bytes; otherwise what is wrong."""
    problems = []
    for root, _, names in os.walk(source):
        for name in names:
            relative = os.path.relpath(os.path.join(root, name), source)
            installed = os.path.join(destination, relative)
            if not os.path.isfile(installed):
                problems.append("missing " + relative)
            elif not filecmp.cmp(os.path.join(root, name), installed, shallow=False):
                problems.append("differs " + relative)
    for root, _, names in os.walk(destination):
        for name in names:
            relative = os.path.relpath(os.path.join(root, name), destination)
            if relative not in OWN_FILES and not os.path.exists(os.path.join(source, relative)):
                problems.append("extra " + relative)
    return "; ".join(problems[:5]) + (" (%d problems)" % len(problems) if len(problems) > 5 else "") \
        if problems else None


def check_log(path, source):
    """None when the installer's log names every file it wrote and its successful end."""
    try:
        with open(path, "rb") as handle:
            text = handle.read()
    except OSError as error:
        return "no log: %s" % error
    written = text.count(b"  File written: ")
    files = describe(source)[0]
    if written != files or not text.endswith(b"End: exit code 0, installed\r\n"):
        return "the log names %d of %d files written, and ends %r" % (written, files, text[-60:])
    return None


def log_lines(path):
    try:
        with open(path, "rb") as handle:
            return handle.read().count(b"\n")
    except OSError:
        return 0


class Installer:
    def __init__(self, label, path, bits, ours, starts=None, logged=False):
        self.label, self.path, self.bits, self.ours = label, path, bits, ours
        # Whether it starts lume32.exe, whose log lines the time waits for.
        self.starts = ours if starts is None else starts
        self.logged = logged  # run with -log=PATH; PATH is replaced by every run
        self.times = []
        self.exit_times = []
        self.lines = None  # lines lume32.exe logs in one installation (ours only)

    @property
    def loader(self):
        return WINE32 if self.bits == 32 else WINE64


def install(wine, installer, stage, source, first=False, update=False):
    destination = os.path.join(wine.drive_c, DESTINATION)
    program_log = os.path.join(destination, "lume32.log")
    # An update installs over the installation the run before left; only the program's log goes.
    if update and os.path.exists(program_log):
        os.unlink(program_log)
    elif not update and os.path.exists(destination):
        shutil.rmtree(destination)
    name = os.path.basename(installer.path)
    log_name = name[:-4] + ".log"
    args = ["C:\\stage\\" + name] + ([] if installer.ours else ["/S"])
    if installer.logged:
        args.append("-log=C:\\stage\\" + log_name)
    started = time.monotonic()
    process, _ = wine.start(args, name[:-4], cwd=stage, loader=installer.loader)
    # wait() without a timeout blocks in waitpid; with one, Python polls at up to 50 ms steps.
    timer = threading.Timer(600, process.kill)
    timer.start()
    code = process.wait()
    timer.cancel()
    exited = time.monotonic() - started
    if code != 0:
        raise RuntimeError("%s exited with %s" % (installer.label, code))
    if installer.starts:
        if first:
            time.sleep(3.0)  # the started program runs on after the installer; count its lines once
            installer.lines = log_lines(program_log)
            if not installer.lines:
                raise RuntimeError("%s: the program it starts logged nothing" % installer.label)
        else:
            deadline = time.monotonic() + 30
            while log_lines(program_log) < installer.lines:
                if time.monotonic() > deadline:
                    raise RuntimeError("%s: lume32.exe did not log its start" % installer.label)
                time.sleep(0.005)
    elapsed = time.monotonic() - started
    problem = check_installed(destination, source)
    if not problem and installer.logged:
        problem = check_log(os.path.join(stage, log_name), source)
    if problem:
        raise RuntimeError("%s: %s" % (installer.label, problem))
    if not first:
        installer.times.append(elapsed)
        installer.exit_times.append(exited)


SAME_WORK = "the same work"
MINGW_GCC = {32: "i686-w64-mingw32-gcc", 64: "x86_64-w64-mingw32-gcc"}


def call_costs(wine, bits_list, stage, files):
    """The cost of each call an installation makes per file, timed apart by call_costs.c in this
    prefix, as a table with a column per bitness."""
    columns = {}
    for bits in bits_list:
        exe = os.path.join(stage, "call_costs%d.exe" % bits)
        subprocess.run([MINGW_GCC[bits], "-O2", "-o", exe, os.path.join(HERE, "call_costs.c")], check=True)
        folder = os.path.join(wine.drive_c, "callcosts")
        if os.path.isdir(folder):
            shutil.rmtree(folder)
        code, output = wine.run(["C:\\stage\\" + os.path.basename(exe), "C:\\callcosts", str(files)],
                                "call_costs%d" % bits, timeout=300, cwd=stage,
                                loader=WINE32 if bits == 32 else WINE64)
        os.unlink(exe)
        if code != 0:
            raise RuntimeError("call_costs%d ended with %s: %s" % (bits, code, output.decode(errors="replace")))
        for line in output.decode().splitlines():
            name, _, value = line.rpartition(": ")
            if name.endswith(" us"):
                columns.setdefault(name[:-3], {})[bits] = value
    heads = ["i686" if bits == 32 else "x86-64" for bits in bits_list]
    rows = ["", "### What each call costs, timed apart: microseconds, medians of 5 passes, %d files a folder" % files,
            "", "| call | " + " | ".join(heads) + " |", "|---|" + "---:|" * len(heads)]
    for name, values in columns.items():
        rows.append("| %s | %s |" % (name, " | ".join(values.get(bits, "") for bits in bits_list)))
    return "\n".join(rows)


def loadavg():
    with open("/proc/loadavg") as handle:
        return handle.read().split()[0]


def measure(wine, installers, stage, source, rounds, title, update=False):
    # Updates start from this payload's own installation, never another payload's files.
    destination = os.path.join(wine.drive_c, DESTINATION)
    if os.path.exists(destination):
        shutil.rmtree(destination)
    for installer in installers:
        shutil.copy(installer.path, stage)
        install(wine, installer, stage, source, first=True, update=update)
    loads = [float(loadavg())]
    for number in range(rounds):
        order = installers if number % 2 == 0 else list(reversed(installers))
        for installer in order:
            install(wine, installer, stage, source, update=update)
        loads.append(float(loadavg()))
        log("  %s: round %d of %d done, load %s" % (title, number + 1, rounds, loadavg()))
    for installer in installers:
        os.unlink(os.path.join(stage, os.path.basename(installer.path)))
    return loads


def log_costs(installers):
    """Each logged row against the same installer without a log, for --log: the medians, and the median of
    the rounds' own ratios (both ran in the same round, next to each other, so a round's load hits both)."""
    plain = {item.path: item for item in installers if item.ours and not item.logged}
    rows = []
    for item in installers:
        if item.logged:
            base = plain[item.path.replace("-log.exe", ".exe")]
            without, logged = statistics.median(base.times), statistics.median(item.times)
            paired = statistics.median(a / b for a, b in zip(item.times, base.times))
            rows.append("With a log, %s: %.3f s against %.3f s without, %+.1f %%; median of the rounds' ratios "
                        "%+.1f %%." % (base.label, logged, without, 100 * (logged / without - 1), 100 * (paired - 1)))
    return rows


def table(installers, loads, title):
    rows = ["", "### " + title, "",
            "| installer | size bytes | median s | min s | max s | x NSIS zlib solid | median s to exit |",
            "|---|---:|---:|---:|---:|---:|---:|"]
    base = {item.bits: statistics.median(item.times) for item in installers if item.label.endswith("zlib solid")}
    for item in installers:
        median = statistics.median(item.times)
        rows.append("| %s | %s | %.3f | %.3f | %.3f | %.2f | %.3f |" % (
            item.label, format(os.path.getsize(item.path), ","), median, min(item.times), max(item.times),
            median / base[item.bits], statistics.median(item.exit_times)))
    rows.append("")
    rows += ratios(installers)
    rows.append("")
    costs = log_costs(installers)
    rows += costs + ([""] if costs else [])
    rows.append("Load average (1 min) during the runs: %.2f to %.2f." % (min(loads), max(loads)))
    return "\n".join(rows)


def ratios(installers):
    """Per bitness: ours against NSIS doing the same work and against NSIS putting the files there."""
    rows = ["| bitness | ours s | NSIS, files only s | NSIS, the same work s | ours / same work | ours / files only "
            "| ours bytes / NSIS zlib bytes |", "|---|---:|---:|---:|---:|---:|---:|"]
    for bits in sorted({item.bits for item in installers}):
        of_bits = [item for item in installers if item.bits == bits]
        ours = next((item for item in of_bits if item.ours and not item.logged and "baseline" not in item.label),
                    None)
        files = next((item for item in of_bits if item.label.endswith("zlib solid")), None)
        same = next((item for item in of_bits if item.label.endswith(SAME_WORK)), None)
        if not (ours and files and same):
            continue
        o, f, w = (statistics.median(item.times) for item in (ours, files, same))
        rows.append("| %s | %.3f | %.3f | %.3f | %.2f | %.2f | %.3f |" % (
            "i686 / x86" if bits == 32 else "x86-64 / amd64", o, f, w, o / w, o / f,
            os.path.getsize(ours.path) / os.path.getsize(files.path)))
    return rows


def build_all(source, out_dir, bits_list, logs, only="", baseline=None, with_log=False):
    def wanted(label):
        return not only or label.endswith("zlib solid") or any(word in label for word in only.split(","))

    installers = []
    for bits in bits_list:
        arch = "i686" if bits == 32 else "x86-64"
        ours = os.path.join(out_dir, "setup%d.exe" % bits)
        if wanted("ours %s" % arch):
            make_ours(source, ours, bits, os.path.join(logs, "lumepack%d.log" % bits))
            installers.append(Installer("ours %s" % arch, ours, bits, True))
            if with_log:
                path = os.path.join(out_dir, "setup%d-log.exe" % bits)
                shutil.copyfile(ours, path)
                installers.append(Installer("ours %s, with a log" % arch, path, bits, True, logged=True))
            if baseline:
                path = os.path.join(out_dir, "setup%d-baseline.exe" % bits)
                make_ours(source, path, bits, os.path.join(logs, "lumepack%d-baseline.log" % bits), baseline)
                installers.append(Installer("ours %s, baseline" % arch, path, bits, True))
        for compressor in ("zlib", "lzma"):
            if not wanted("NSIS %s %s solid" % (NSIS_TARGET[bits], compressor)):
                continue
            path = os.path.join(out_dir, "nsis%d%s.exe" % (bits, compressor))
            make_nsis(source, path, bits, compressor, os.path.join(logs, "makensis%d%s.log" % (bits, compressor)))
            installers.append(Installer("NSIS %s %s solid" % (NSIS_TARGET[bits], compressor), path, bits, False))
        # Always built: the base of the second ratio.
        path = os.path.join(out_dir, "nsis%dsame.exe" % bits)
        make_nsis(source, path, bits, "zlib", os.path.join(logs, "makensis%dsame.log" % bits), same_work=True)
        installers.append(Installer("NSIS %s zlib solid, %s" % (NSIS_TARGET[bits], SAME_WORK), path, bits, False,
                                    starts=True))
    return installers


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--megabytes", type=float, default=50)
    parser.add_argument("--files", type=int, default=1200)
    parser.add_argument("--tiny-rounds", type=int, default=None, help="rounds on the tiny payload (default: --rounds)")
    parser.add_argument("--work", default=os.path.join(PROJECT, "build", "peer-bench"))
    parser.add_argument("--new-source", action="store_true", help="make the source folder again")
    parser.add_argument("--bits", default="32,64", help="the bitnesses to run (32 needs wine32)")
    parser.add_argument("--only", default="", help="comma-separated words; keep the installers whose label holds "
                        "one (each bitness's NSIS zlib row is always kept as the base)")
    parser.add_argument("--baseline", default=None, help="another tree of this project, built like this one: its "
                        "installers get rows of their own, to measure a change")
    parser.add_argument("--update", action="store_true", help="every run installs over the installation the run "
                        "before left, instead of into an empty destination")
    parser.add_argument("--log", action="store_true", help="our installers also run with -log=PATH, as rows of "
                        "their own in the same rounds")
    options = parser.parse_args()
    baseline = os.path.abspath(options.baseline) if options.baseline else None

    for path in [LUMEPACK] + list(STUB.values()) + list(MAIN.values()):
        if not os.path.exists(path):
            sys.exit("missing %s: build the host, win32 and win64 presets first" % path)
    work = os.path.abspath(options.work)
    logs = os.path.join(work, "logs")
    os.makedirs(logs, exist_ok=True)
    asked = [int(word) for word in options.bits.split(",")]
    bits_list = [64] if 64 in asked else []
    no32 = why_no_wine32()
    if 32 in asked:
        if no32 is None:
            bits_list.insert(0, 32)
        else:
            log("32-bit rows left out: " + no32)

    # The source folders: the main one is kept between runs (same files), one per size.
    # lume32.exe in the folders is the i686 one where 32-bit code runs (both bitnesses carry it).
    main_exe = MAIN[bits_list[0]]
    source = os.path.join(work, "source-%gMB-%d-%d" % (options.megabytes, options.files, bits_list[0]))
    if options.new_source or not os.path.isdir(source):
        make_source(source, options.megabytes, options.files, main_exe)
    tiny = os.path.join(work, "source-tiny")
    if os.path.isdir(tiny):
        shutil.rmtree(tiny)
    os.makedirs(os.path.join(tiny, "sub00"))
    for index, name in enumerate(["readme.txt", "vendor.txt", "order.txt"]):
        shutil.copyfile(os.path.join(PROJECT, "sample", name),
                        os.path.join(tiny, "sub00" if index == 2 else "", name))
    shutil.copyfile(main_exe, os.path.join(tiny, "lume32.exe"))

    out = os.path.join(work, "installers")
    out_tiny = os.path.join(work, "installers-tiny")
    for folder in (out, out_tiny):
        os.makedirs(folder, exist_ok=True)
    log("packing ...")
    installers = build_all(source, out, bits_list, logs, options.only, baseline, options.log)
    tiny_installers = build_all(tiny, out_tiny, bits_list, logs, options.only, baseline, options.log)

    xvfb = Xvfb(os.path.join(logs, "xvfb.log"))
    display = xvfb.start()
    wine = None
    keeper = None
    try:
        root = os.path.join(work, "wine")
        if os.path.isdir(root):
            shutil.rmtree(root)
        build_template(root, display, log)
        wine = Wine(os.path.join(root, "prefix"), display, os.path.join(root, "home"), logs)
        stage = os.path.join(wine.drive_c, "stage")
        os.makedirs(stage)
        # Our installer installs silently into C:\MLUME with this beside it; NSIS ignores the file.
        with open(os.path.join(stage, "tovaopt.ini"), "w", newline="\r\n") as options_file:
            options_file.write("sSilent=1\n")
        # One server for all runs, and a program holding the virtual desktop open: no run pays for
        # starting either.
        wine.server("-p")
        keeper, _ = wine.start(["notepad"], "keeper", loader=WINE64)
        time.sleep(3)

        files, total, subs = describe(source)
        header = ["", "Source folder: %d files, %s bytes, %d subfolders (fingerprint %s); tiny: %d files, %s bytes."
                  % (files, format(total, ","), subs, fingerprint(source), describe(tiny)[0],
                     format(describe(tiny)[1], ",")),
                  "Machine: %d cores, %s, wine %s, %s." % (
                      os.cpu_count(), subprocess.run(["uname", "-r"], capture_output=True, text=True).stdout.strip(),
                      subprocess.run([WINE64, "--version"], capture_output=True, text=True).stdout.strip(),
                      subprocess.run(["makensis", "-VERSION"], capture_output=True, text=True).stdout.strip())]
        log("\n".join(header))
        tiny_rounds = options.tiny_rounds or options.rounds
        loads_tiny = measure(wine, tiny_installers, stage, tiny, tiny_rounds, "tiny payload", options.update)
        loads = measure(wine, installers, stage, source, options.rounds, "main payload", options.update)
        top_files = sum(1 for name in os.listdir(source) if os.path.isfile(os.path.join(source, name)))
        costs = call_costs(wine, bits_list, stage, top_files)
        report = "\n".join(header) + "\n" + table(
            installers, loads, "%g MB, %d files, medians of %d rounds%s" % (options.megabytes, files, options.rounds,
                                                           ", each an update" if options.update else "")) \
            + "\n" + table(tiny_installers, loads_tiny, "Tiny payload (%d files), medians of %d rounds"
                           % (describe(tiny)[0], tiny_rounds)) + "\n" + costs + "\n"
        log(report)
        with open(os.path.join(work, "report.md"), "w") as handle:
            handle.write(report)
    finally:
        if wine is not None:
            wine.kill_all()
        if keeper is not None:
            keeper.wait(timeout=10)
        xvfb.stop()


if __name__ == "__main__":
    main()

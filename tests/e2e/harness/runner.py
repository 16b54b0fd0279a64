"""Runs scenarios on parallel workers, one Xvfb each, and prints `N passed, M failed`.

A scenario of the installer runs for each build: NAME/i686 against the product (--build-dir32, a win32
build) under wine32, NAME/x64 against the twin (--build-dir, a win64 build, which also makes the driver)
under wine64, in one WoW64 template prefix. Where 32-bit programs cannot run, one line says that the
i686 runs were left out and why; so does one line for a scenario that this machine does not allow."""
import argparse
import fnmatch
import os
import queue
import shutil
import sys
import tempfile
import threading
import time
import traceback

from .artifacts import Artifacts
from .prefix import USUAL_DPI, build_template, copy_prefix, desktop_size, set_dpi
from .session import ScenarioStop, Session
from .wine import WINE32, Wine, why_no_wine32
from .xvfb import Xvfb

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Result:
    def __init__(self, name, failures, seconds, kept=None):
        self.name = name
        self.failures = failures
        self.seconds = seconds
        self.kept = kept

    @property
    def passed(self):
        return not self.failures


def _keep(run_dir, kept_root, name, failures, notes):
    """Moves a failing run out of the work area, without the bulk of Wine's own files."""
    destination = os.path.join(kept_root, name)  # NAME/i686 and NAME/x64 side by side in the folder NAME
    shutil.rmtree(os.path.join(run_dir, "prefix", "drive_c", "windows"), ignore_errors=True)
    with open(os.path.join(run_dir, "failures.txt"), "w") as report:
        report.write("".join(line + "\n" for line in failures + ["note: " + note for note in notes]))
    os.makedirs(os.path.dirname(destination), exist_ok=True)
    shutil.move(run_dir, destination)
    return destination


def run_one(scenario, display, template_root, work_root, kept_root, artifacts, keep_all, kept_name=None):
    started = time.monotonic()
    run_dir = os.path.join(work_root, "runs", scenario.name)
    prefix, home = copy_prefix(template_root, run_dir)
    session = None
    failures = []
    try:
        session = Session(scenario.name, run_dir, prefix, home, display, artifacts, scenario.bitness)
        scenario.function(session)
    except ScenarioStop:
        pass
    except Exception:  # a scenario's own fault is a failure too, with its trace kept
        failures.append("exception:\n" + traceback.format_exc())
    finally:
        if session is not None:
            failures = session.failures + failures
            session.finish()
        Wine(prefix, display, home, run_dir).kill_all()
    seconds = time.monotonic() - started
    kept = None
    if failures or keep_all:
        kept = _keep(run_dir, kept_root, kept_name or scenario.name, failures, session.notes if session else [])
    else:
        shutil.rmtree(run_dir, ignore_errors=True)
    return Result(scenario.name, failures, seconds, kept)


def _matches(scenario, pattern):
    """A pattern names a scenario in full (silent-defaults/i686, '*/x64') or in both builds (silent-defaults)."""
    return fnmatch.fnmatch(scenario.name, pattern) or fnmatch.fnmatch(scenario.name.split("/")[0], pattern)


def select(scenarios, patterns):
    if not patterns:
        return list(scenarios)
    chosen = [scenario for scenario in scenarios if any(_matches(scenario, p) for p in patterns)]
    unknown = [p for p in patterns if not any(_matches(s, p) for s in scenarios)]
    if unknown:
        raise SystemExit("no scenario matches: " + ", ".join(unknown))
    return chosen


def main(argv=None):
    from scenarios import SCENARIOS

    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("patterns", nargs="*", help="scenario names or shell patterns (default: all)")
    parser.add_argument("--build-dir", required=True, help="the win64 build: the twin and the dialog driver")
    parser.add_argument("--build-dir32", help="the win32 build: the product, for the NAME/i686 runs")
    parser.add_argument("--workers", type=int, default=int(os.environ.get("E2E_WORKERS", "2")))
    parser.add_argument("--screenshots", help="also copy every dialog picture into this folder")
    parser.add_argument("--keep-all", action="store_true", help="keep the folders of passing runs too")
    parser.add_argument("--dpi", type=int, default=USUAL_DPI,
                        help="the display scale of every run (LogPixels), with desktop and screen grown alike")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--retries", type=int, default=int(os.environ.get("E2E_RETRIES", "1")),
                        help="run a failing scenario again this many times; it passes only if a later run passes, "
                             "and the failing run is still reported and kept")
    options = parser.parse_args(argv)

    chosen = select(SCENARIOS, options.patterns)
    if options.list:
        for scenario in chosen:
            print("%-30s %s" % (scenario.name, scenario.summary))
        return 0

    build32 = os.path.abspath(options.build_dir32) if options.build_dir32 else None
    left_out = None
    if any(scenario.bitness == "i686" for scenario in chosen):
        why_not = why_no_wine32() if build32 else "no win32 build was given (--build-dir32)"
        if why_not:
            dropped = sum(1 for scenario in chosen if scenario.bitness == "i686")
            chosen = [scenario for scenario in chosen if scenario.bitness != "i686"]
            left_out = "i686: the 32-bit setup.exe was not run (%d run%s left out), only its x64 twin: %s" % (
                dropped, "" if dropped == 1 else "s", why_not)
    not_here = []
    for base_name, runs_here in {s.base_name: s.runs_here for s in chosen if s.runs_here}.items():
        why_not = runs_here()
        if why_not:
            chosen = [scenario for scenario in chosen if scenario.base_name != base_name]
            not_here.append("%s: not run here: %s" % (base_name, why_not))
    if not chosen:
        for line in [left_out] * bool(left_out) + not_here:
            print(line)
        print("0 passed, 0 failed")
        return 0 if not_here and not left_out else 1

    started = time.monotonic()
    work_root = tempfile.mkdtemp(prefix="moralume-e2e-")
    kept_root = os.path.join(HERE, "runs", time.strftime("%Y%m%d-%H%M%S"))
    build64 = os.path.abspath(options.build_dir)
    twin = Artifacts(build64, work_root, options.screenshots)
    artifacts = {None: twin, "x64": twin}
    if build32:
        artifacts["i686"] = Artifacts(build32, work_root, options.screenshots, tools_dir=build64)
    workers = max(1, min(options.workers, len(chosen)))
    servers = []
    results = []
    try:
        # One after another, each keeping its pipe open: -displayfd picks a free display for each.
        for index in range(workers):
            server = Xvfb(os.path.join(work_root, "xvfb-%d.log" % index), "%dx%dx24" % desktop_size(options.dpi))
            server.start()
            servers.append(server)
        template_root = os.path.join(work_root, "template")
        build_template(template_root, servers[0].display, print)
        if options.dpi != USUAL_DPI:
            set_dpi(Wine(os.path.join(template_root, "prefix"), servers[0].display, os.path.join(template_root, "home"),
                         os.path.join(template_root, "logs")), options.dpi)

        pending = queue.Queue()
        for scenario in chosen:
            pending.put(scenario)
        lock = threading.Lock()

        def work(display):
            while True:
                try:
                    scenario = pending.get_nowait()
                except queue.Empty:
                    return
                result = run_one(scenario, display, template_root, work_root, kept_root,
                                 artifacts[scenario.bitness], options.keep_all)
                for attempt in range(1, options.retries + 1):
                    if result.passed:
                        break
                    # Wine and the desktop under load fail now and then; a real fault fails again.
                    with lock:
                        print("FAIL %s (%.1f s), running it again" % (result.name, result.seconds))
                        for failure in result.failures:
                            print("    " + failure.replace("\n", "\n    "))
                        if result.kept:
                            print("    kept: " + os.path.relpath(result.kept))
                        sys.stdout.flush()
                    result = run_one(scenario, display, template_root, work_root, kept_root,
                                     artifacts[scenario.bitness], options.keep_all,
                                     "%s-again-%d" % (scenario.name, attempt))
                with lock:
                    results.append(result)
                    print("%s %s (%.1f s)" % ("PASS" if result.passed else "FAIL", result.name, result.seconds))
                    for failure in result.failures:
                        print("    " + failure.replace("\n", "\n    "))
                    if result.kept:
                        print("    kept: " + os.path.relpath(result.kept))
                    sys.stdout.flush()

        threads = [threading.Thread(target=work, args=(server.display,)) for server in servers]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    except Exception:  # no display or no template: every chosen scenario counts as failed
        traceback.print_exc()
        done = {result.name for result in results}
        results.extend(Result(s.name, ["not run"], 0.0) for s in chosen if s.name not in done)
    finally:
        for server in servers:
            server.stop()
        shutil.rmtree(work_root, ignore_errors=True)

    passed = sum(1 for result in results if result.passed)
    failed = len(results) - passed
    if left_out:
        print(left_out)
    for line in not_here:
        print(line)
    runs32 = [result for result in results if result.name.endswith("/i686")]
    if runs32:
        print("i686: the 32-bit setup.exe ran under wine32 (%s) in %d run%s, %d passed" % (
            WINE32, len(runs32), "" if len(runs32) == 1 else "s", sum(1 for result in runs32 if result.passed)))
    print("e2e: %d scenarios in %.1f s with %d workers" % (len(results), time.monotonic() - started, workers))
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and results else 1

"""The "pictures" scenario: one interactive installation with a PNG of each of the five dialogs.

    python3 take.py --build-dir BUILD --screenshots DIR [--dpi N] [harness options]

BUILD is a win64 build whose payload is large enough for the copy dialog to stay up a few
seconds, with busy_dialog.exe beside setup.exe (pictures/run.sh makes both). The scenario lives
outside scenarios/ so the ordinary runs, whose sample payload is copied in a blink, never pick it.
At another display scale than 96 DPI the pictures are named NAME-<N>dpi.png.
"""
import argparse
import json
import os
import signal
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from harness.prefix import USUAL_DPI  # noqa: E402
from harness.runner import main  # noqa: E402
from harness.screenshot import dominant_colour, png_facts, save_dialog_png  # noqa: E402
from scenarios import scenario  # noqa: E402
from scenarios import installer_ui as ui  # noqa: E402
from scenarios.install_checks import EXTENSIONS, Expected, check_installed, gather  # noqa: E402

LIGHT_GREY = (192, 192, 192)
CLEARED = {105: ".pcx", 111: ".tga"}  # two boxes cleared, so the picture shows both states
BUSY_DIALOG = "C:\\e2e\\busy_dialog.exe"
_scale = argparse.ArgumentParser(add_help=False)
_scale.add_argument("--dpi", type=int, default=USUAL_DPI)
DPI = _scale.parse_known_args()[0].dpi
SUFFIX = "" if DPI == USUAL_DPI else "-%ddpi" % DPI


def white_and_black(path):
    """Counts of pure white and pure black pixels: the copy dialog's bar is white, its filled part inverted."""
    histogram = subprocess.run(["convert", path, "-format", "%c", "histogram:info:-"], check=True,
                               capture_output=True, text=True).stdout
    counts = {}
    for line in histogram.splitlines():
        if ":" in line and "(" in line:
            channels = tuple(int(float(c)) for c in line[line.index("(") + 1:line.index(")")].split(",")[:3])
            counts[channels] = counts.get(channels, 0) + int(line.split(":")[0])
    return counts.get((255, 255, 255), 0), counts.get((0, 0, 0), 0)


def system_face_colour(session):
    """The system's dialog face colour (ButtonFace), which the checklist keeps where the others paint grey."""
    key = "HKCU\\Control Panel\\Colors"
    values = (session.registry.query(key) or {}).get(session.registry.full_name(key), {})
    kind, text = values.get("ButtonFace", (None, ""))
    session.require(kind == "REG_SZ", "ButtonFace colour in %s: %r" % (key, values.get("ButtonFace")))
    return tuple(int(part) for part in text.split())


def picture(session, name, rect, colour=LIGHT_GREY):
    name += SUFFIX
    path = session.screenshot(name, rect)
    width, height, _ = png_facts(path)
    session.equal((width, height), (rect[2] - rect[0], rect[3] - rect[1]), name + " PNG size is the dialog's")
    session.equal(dominant_colour(path), colour, name + " dominant colour")
    return path


class Throttle:
    """Slows a process down by stopping it most of the time (SIGSTOP/SIGCONT), as a slow machine would.

    Wine copies even 40 MB in a blink; slowed this way the copy dialog stays up for seconds
    while the installer itself runs unchanged. Real time passes while it is stopped, so the
    bar is redrawn at its usual interval of real time."""

    def __init__(self, pid, run_seconds=0.004, stop_seconds=0.08):
        self.pid = pid
        self.run_seconds = run_seconds
        self.stop_seconds = stop_seconds
        self._done = threading.Event()
        self._thread = threading.Thread(target=self._loop, daemon=True)

    def _loop(self):
        while not self._done.is_set():
            try:
                os.kill(self.pid, signal.SIGSTOP)
                self._done.wait(self.stop_seconds)
                os.kill(self.pid, signal.SIGCONT)
            except ProcessLookupError:
                return
            time.sleep(self.run_seconds)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._done.set()
        self._thread.join()
        try:
            os.kill(self.pid, signal.SIGCONT)
        except ProcessLookupError:
            pass


def _events(out_path):
    with open(out_path) as out:
        return [json.loads(line) for line in out.read().splitlines() if line.startswith("{")]


def photograph_copy_dialog(session, installer_pid):
    """Leaves the checklist and photographs the copy dialog while it extracts, slowed down;
    publishes the shot taken half-way through."""
    with Throttle(installer_pid):
        session.drive(["wait", ui.CHECKLIST_CAPTION, 1000], ["press", ui.OK], ["gone", 20000])
        process, out_path = session.wine.start([BUSY_DIALOG, ui.COPY_CAPTION, str(ui.DIALOG_TIMEOUT_MS)],
                                               "busy-dialog", cwd=session.stage)
        deadline = time.monotonic() + ui.DIALOG_TIMEOUT_MS / 1000 + 10
        while process.poll() is None and not _events(out_path) and time.monotonic() < deadline:
            time.sleep(0.01)
        found = _events(out_path)
        session.require(found, "the copy dialog did not show up")
        rect = found[0]["rect"]
        shots = []
        while process.poll() is None and time.monotonic() < deadline:
            path = os.path.join(session.run_dir, "copy-%03d.png" % len(shots))
            save_dialog_png(session.display, rect, path)
            shots.append(path)
        code = session.wait_exit(process, "busy_dialog.exe", timeout=10)
    session.equal([event["event"] for event in _events(out_path)], ["dialog", "gone"], "copy dialog seen, then gone")
    session.equal(code, 0, "busy_dialog.exe exit code")
    # The last shot may already show what came after the dialog.
    shots = shots[:-1]
    session.note("%d shots of the copy dialog" % len(shots))
    session.require(len(shots) >= 3, "the copy dialog was up for %d shots only" % len(shots))
    chosen = shots[len(shots) // 2]
    white, black = white_and_black(chosen)
    session.check(white > 100 and black > 100, "half-way shot shows the bar part-filled (%d white, %d black pixels)"
                  % (white, black))
    session.equal(dominant_colour(chosen), LIGHT_GREY, "copy-dialog dominant colour")
    session.artifacts.publish_screenshot("copy-dialog" + SUFFIX, chosen)


@scenario("pictures", "every dialog clicked through with a PNG of each, the copy dialog half-way",
          each_build=False)
def pictures(session):
    session.stage_program(os.path.join(session.artifacts.build_dir, "busy_dialog.exe"), "busy_dialog.exe")
    associated = [extension for extension in EXTENSIONS if extension not in CLEARED.values()]
    expected = Expected(session, associated=associated)

    def steps(s, installer_pid):
        run = ui.wait(s, ui.PATH_CAPTION)
        ui.check_path_dialog(s, run)
        picture(s, "path-dialog", run.last_dialog()["rect"])
        s.drive(["wait", ui.PATH_CAPTION, 1000], ["press", ui.OK], ["gone", 10000])

        run = ui.wait(s, ui.LICENCE_CAPTION)
        ui.check_licence_dialog(s, run)
        picture(s, "licence-dialog", run.last_dialog()["rect"])
        s.drive(["wait", ui.LICENCE_CAPTION, 1000], ["press", ui.OK], ["gone", 10000])

        run = ui.wait(s, ui.CHECKLIST_CAPTION)
        ui.check_checklist(s, run)
        run = s.drive(["wait", ui.CHECKLIST_CAPTION, 1000], *[["toggle", box] for box in CLEARED], ["dump"])
        face = system_face_colour(s)
        s.check(face != LIGHT_GREY, "the system's face colour %s differs from the grey of the others" % (face,))
        picture(s, "checklist-dialog", run.last_dialog()["rect"], face)
        photograph_copy_dialog(s, installer_pid)

        run = ui.wait(s, ui.COMPLETE_CAPTION)
        ui.check_completion(s, run)
        picture(s, "completion-dialog", run.last_dialog()["rect"])
        s.drive(["wait", ui.COMPLETE_CAPTION, 1000], ["press", ui.OK], ["gone", 10000])

    process = session.start(session.stage_installer())
    steps(session, process.pid)
    session.equal(session.wait_exit(process, "setup.exe", timeout=60), 0, "setup.exe exit code")
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:] + ["pictures"]))

"""The harness and the driver proven on programs of our own, independent of the installer."""
import os
import time

from harness.screenshot import dominant_colour, png_facts
from harness.shortcuts import read_shortcut

from . import scenario

PROBE = "Probe Dialog"
LIGHT_GREY = (192, 192, 192)


def _probe_log(session):
    with open(os.path.join(session.stage, "probe.log")) as log:
        return dict(line.split("=", 1) for line in log.read().splitlines())


def _start_probe(session):
    path = os.path.join(session.stage, "probe.log")
    if os.path.exists(path):
        os.unlink(path)
    return session.start(session.stage_program(session.artifacts.probe_exe, "probe_dialog.exe"))


@scenario("selftest-driver", "the driver reads, types, clicks and presses in a probe dialog; a PNG of it",
          each_build=False)
def selftest_driver(session):
    process = _start_probe(session)
    run = session.drive(["wait", PROBE, 30000], ["dump"])
    session.equal(run.control(101)["text"], "C:\\PROBE", "entry text at the start")
    session.equal((run.control(103)["checked"], run.control(104)["checked"]), (1, 0), "boxes at the start")
    session.equal(run.control(114)["visible"], False, "hidden line reported hidden")
    session.equal(run.control(1)["visible"], True, "Accept reported visible")
    session.equal(run.focused()["id"] if run.focused() else None, 2, "focus on Cancel")
    session.equal(run.texts(), ["Type a path, pick the boxes, then accept."], "static texts without an id")

    run = session.drive(["wait", PROBE, 1000], ["settext", 101, "D:\\NEW PATH"], ["toggle", 103], ["toggle", 104],
                        ["dump"])
    session.equal(run.control(101)["text"], "D:\\NEW PATH", "entry text after typing")
    session.equal((run.control(103)["checked"], run.control(104)["checked"]), (0, 1), "boxes after two clicks")

    rect = run.last_dialog()["rect"]
    picture = session.screenshot("probe-dialog", rect)
    width, height, colours = png_facts(picture)
    session.equal((width, height), (rect[2] - rect[0], rect[3] - rect[1]), "PNG size is the dialog's")
    session.check(colours > 8, "PNG shows more than a blank area (%d colours)" % colours)
    session.equal(dominant_colour(picture), LIGHT_GREY, "dominant colour of the dialog")

    hidden = session.drive(["wait", PROBE, 1000], ["press", 114], expect_ok=False)
    session.check(not hidden.ok and "hidden" in (hidden.failure or ""), "pressing a hidden control is refused")
    session.drive(["wait", PROBE, 1000], ["press", 1], ["gone", 10000])
    session.equal(session.wait_exit(process, "probe"), 0, "probe exit code after Accept")
    session.equal(_probe_log(session), {"result": "0", "text": "D:\\NEW PATH", "box103": "0", "box104": "1"},
                  "what the probe kept")


@scenario("selftest-keys", "Esc, the close box and Enter end the probe dialog as a user's keys would",
          each_build=False)
def selftest_keys(session):
    cases = [("esc", [["key", "esc"]], 2), ("close box", [["close"]], 3),
             ("enter after a click", [["toggle", 104], ["key", "enter"]], 0)]
    for what, actions, result in cases:
        process = _start_probe(session)
        session.drive(["wait", PROBE, 30000], *actions, ["gone", 10000])
        session.equal(session.wait_exit(process, "probe"), result, "probe exit code after " + what)
        session.equal(_probe_log(session)["result"], str(result), "result the probe kept after " + what)
    missing = session.drive(["wait", "No Such Dialog", 300], expect_ok=False)
    session.check(not missing.ok and missing.failure == "wait: dialog did not appear", "a missing dialog times out")


@scenario("selftest-progman", "Wine's progman: a group with one shortcut read back; AddItem with arguments refused",
          each_build=False)
def selftest_progman(session):
    target = session.stage_program(session.artifacts.probe_exe, "probe_dialog.exe")
    commands = ["[CreateGroup(MoraLUME)]", "[ShowGroup(MoraLUME,1)]",
                "[AddItem(%s,\"Probe\",%s,2)]" % (target, target),
                "[AddItem(%s . -u,\"Probe With Arguments\",%s,1)]" % (target, target)]
    session.wait_for_desktop()
    run = session.drive(*[["dde", command] for command in commands])
    accepted = [event["accepted"] for event in run.of_kind("dde")]
    session.equal(accepted, [True, True, True, False], "commands accepted by Wine's progman")
    seconds = session.finish()
    session.check(seconds < 15, "group windows closed and Wine ended in %.1f s" % seconds)
    folder = os.path.join(session.programs_folder(), "MoraLUME")
    session.require(os.path.isdir(folder), "group folder made")
    session.equal(sorted(os.listdir(folder)), ["Probe.lnk"], "shortcuts in the group")
    link = read_shortcut(os.path.join(folder, "Probe.lnk"))
    session.equal((link.target, link.icon_location, link.icon_index, link.arguments), (target, target, 2, None),
                  "shortcut read back")


@scenario("selftest-prefix", "the scenario prefix: no z: drive, private home, registry written and read back",
          each_build=False)
def selftest_prefix(session):
    devices = os.listdir(os.path.join(session.wine.prefix, "dosdevices"))
    session.equal(sorted(device for device in devices if len(device) == 2 and device.endswith(":")), ["c:"],
                  "drives of the prefix")
    user = os.path.dirname(session.programs_folder())
    session.check(not any(os.path.islink(os.path.join(root, name)) for root, dirs, _ in os.walk(user)
                          for name in dirs), "no user folder links into a home")
    started = time.monotonic()
    session.registry.add("HKCR\\.e2e", "Foreign Class")
    session.registry.add("HKCR\\E2E.Empty\\sub", "")
    session.equal(session.registry.default_value("HKCR\\.e2e"), "Foreign Class", "default value read back")
    session.equal(session.registry.default_value("HKCR\\E2E.Empty\\sub"), "", "empty default value read back")
    session.equal(session.registry.default_value("HKCR\\.e2e-missing"), None, "missing key")
    # Wine's reg query /s lists only the keys that hold values: E2E.Empty itself holds none.
    tree = session.registry.query("HKCR\\E2E.Empty", recursive=True)
    session.equal(tree.get("HKEY_CLASSES_ROOT\\E2E.Empty\\sub"), {"": ("REG_SZ", "")}, "subkey in a subtree")
    session.note("five registry round trips took %.1f s" % (time.monotonic() - started))


@scenario("selftest-program-log", "the packed lume32.exe started twice in a folder with a blank; its log read back")
def selftest_program_log(session):
    from .install_checks import Expected, check_starts, log_starts

    expected = Expected(session, destination="C:\\Image Tools\\MoraLUME")
    name, data = session.artifacts.entries()[0]
    session.require(name == "lume32.exe", "the payload's first entry is lume32.exe, not %r" % name)
    folder = session.host_path(expected.destination)
    os.makedirs(folder)
    with open(os.path.join(folder, name), "wb") as program:
        program.write(data)
    short, long = session.short_and_long(expected.main_program)
    session.check(short != long and " " not in short, "short form %r differs from %r and has no blank" % (short, long))
    session.equal(session.wait_exit(session.start(expected.main_program, ["-Q"]), "lume32 -Q"), 0, "lume32 -Q exit")
    session.equal(session.wait_exit(session.start(short, host_exe=os.path.join(folder, name)), "lume32"), 0,
                  "lume32 exit")
    session.finish()
    session.equal(log_starts(session, expected), ["-Q", ""], "arguments logged")
    check_starts(session, expected, {"short": short})

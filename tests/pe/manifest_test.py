"""The application manifest inside built installers: resource 24/1, asking for
administrator rights, naming the supported systems, aware of the system's DPI
(dpiAware true, dpiAwareness system: drawn sharp, not stretched) and without
common controls 6 (the dialogs keep their templates' look).
Usage: manifest_test.py EXE..."""
import os
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from harness.payload import PeImage  # noqa: E402

MANIFEST_TYPE, MANIFEST_ID = 24, 1
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SYSTEMS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


def problems(path):
    with open(path, "rb") as exe:
        image = PeImage(exe.read())
    found = image.find_resource_entry(MANIFEST_TYPE, MANIFEST_ID)
    if not found:
        return ["no manifest resource 24/1"]
    _, offset, size = found
    text = bytes(image.data[offset:offset + size])
    root = ElementTree.fromstring(text)
    found_problems = []
    levels = [element.get("level") for element in root.iter(ASM_V3 + "requestedExecutionLevel")]
    if levels != ["requireAdministrator"]:
        found_problems.append("execution levels %s, not requireAdministrator alone" % levels)
    systems = {element.get("Id") for element in root.iter(COMPATIBILITY + "supportedOS")}
    if systems != SYSTEMS:
        found_problems.append("supported systems %s" % sorted(systems))
    if b"Common-Controls" in text or b"dependentAssembly" in text:
        found_problems.append("depends on another assembly (common controls 6?)")
    aware = [(element.text or "").strip() for element in root.iter(SETTINGS_2005 + "dpiAware")]
    if aware != ["true"]:
        found_problems.append("dpiAware %s, not true once" % aware)
    # Per-monitor awareness would need WM_DPICHANGED handling in every dialog.
    awareness = [(element.text or "").strip() for element in root.iter(SETTINGS_2016 + "dpiAwareness")]
    if awareness != ["system"]:
        found_problems.append("dpiAwareness %s, not system once" % awareness)
    for element in root.iter():
        if element.tag.endswith("}windowsSettings") and element.tag != ASM_V3 + "windowsSettings":
            found_problems.append("DPI settings under %s, which Windows does not read" % element.tag)
    return found_problems


def main(paths):
    failed = 0
    for path in paths:
        found_problems = problems(path)
        for problem in found_problems:
            print("%s: %s" % (path, problem))
        failed += bool(found_problems)
        if not found_problems:
            print("%s: manifest asks for administrator rights, names 5 systems, system DPI, classic look" % path)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]) if len(sys.argv) > 1 else 2)

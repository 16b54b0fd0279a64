"""The prefix's files and registry at one moment, read while no Wine process runs, and what changed
between two such moments."""
import os

REGISTRY_FILES = ("system.reg", "user.reg", "userdef.reg")


def _registry_file(path):
    """{key: {value name: raw text}} of one of Wine's registry files; its time stamps are left out."""
    keys = {}
    current = None
    with open(path, encoding="latin-1") as registry_file:
        lines = iter(registry_file.read().split("\n"))
    for line in lines:
        while line.endswith("\\"):  # a hex value continued on the next line
            line = line[:-1] + next(lines, "").lstrip()
        if line.startswith("["):
            current = keys.setdefault(line[:line.rindex("]") + 1].lower(), {})
        elif current is not None and line and not line.startswith(("#", ";")):
            name, _, data = line.partition("=") if line.startswith("@") else _split_named(line)
            current[name.lower()] = data
    # Wine writes a key that holds no values only when it has no subkeys either: the others are there too.
    for key in list(keys):
        parts = key[1:-1].split("\\\\")
        for count in range(1, len(parts)):
            keys.setdefault("[%s]" % "\\\\".join(parts[:count]), {})
    return keys


def _split_named(line):
    """'"name"=data' with a name that may hold escaped quotes and '='."""
    at = 1
    while at < len(line) and line[at] != '"':
        at += 2 if line[at] == "\\" else 1
    return line[:at + 1], "=", line[at + 2:]


def take(prefix):
    """(files, registry): every folder and file of drive C with its size and time of change, and
    every key of the registry files with its values."""
    drive_c = os.path.join(prefix, "drive_c")
    files = {}
    for folder, folders, names in os.walk(drive_c):
        for name in folders + names:
            path = os.path.join(folder, name)
            info = os.lstat(path)
            kind = "folder" if name in folders and not os.path.islink(path) else "file"
            files["C:\\" + os.path.relpath(path, drive_c).replace("/", "\\")] = (
                (kind,) if kind == "folder" else (kind, info.st_size, info.st_mtime_ns))
    registry = {}
    for registry_file in REGISTRY_FILES:
        for key, values in _registry_file(os.path.join(prefix, registry_file)).items():
            registry["%s %s" % (registry_file, key)] = values
    return files, registry


def changes(before, after):
    """Sorted lines: '+ X' added, '- X' gone, '~ X' changed, for files, registry keys and their values."""
    found = []
    for label, old, new in (("file", before[0], after[0]), ("key", before[1], after[1])):
        for name in sorted(set(old) | set(new)):
            if name not in new:
                found.append("- %s %s" % (label, name))
            elif name not in old:
                found.append("+ %s %s" % (label, name))
            elif label == "file" and old[name] != new[name]:
                found.append("~ %s %s" % (label, name))
            elif label == "key":
                for value in sorted(set(old[name]) | set(new[name])):
                    if old[name].get(value) != new[name].get(value):
                        sign = "-" if value not in new[name] else "+" if value not in old[name] else "~"
                        found.append("%s value %s %s" % (sign, name, value))
    return found

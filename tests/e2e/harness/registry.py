"""The registry read back with Wine's own `reg query`."""
import re

VALUE_LINE = re.compile(r"^    (.*?)    (REG_[A-Z_]+)    ?(.*)$")
DEFAULT_NAMES = ("(Default)", "(Standard)")


def parse_reg_query(text):
    """{key path: {value name ('' for the default value): (type, data)}} from `reg query` output."""
    keys = {}
    current = None
    for line in text.replace("\r\n", "\n").split("\n"):
        if not line.strip():
            continue
        if line.startswith("HKEY_"):
            current = keys.setdefault(line.strip(), {})
            continue
        match = VALUE_LINE.match(line)
        if match and current is not None:
            name, kind, data = match.groups()
            current["" if name in DEFAULT_NAMES else name] = (kind, data)
    return keys


class Registry:
    """Queries one prefix's registry; keys are given as HKCR\\... or HKLM\\..."""

    ROOTS = {"HKCR": "HKEY_CLASSES_ROOT", "HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER"}

    def __init__(self, wine):
        self.wine = wine

    def query(self, key, recursive=False, view=None):
        """The parsed subtree, or None when the key does not exist. `view` 32 or 64 reads that view of
        the registry (reg's /reg:32, /reg:64); None, the view of reg.exe itself, which is 64-bit."""
        args = ["reg", "query", key] + (["/s"] if recursive else []) + (["/reg:%d" % view] if view else [])
        code, output = self.wine.run(args, "reg-query", timeout=60)
        if code == 1:
            return None
        if code != 0:
            raise RuntimeError("reg query %s failed with %s" % (key, code))
        # Written to a file, reg's output is in the OEM code page of the prefix's locale (English: 437).
        return parse_reg_query(output.decode("cp437"))

    def full_name(self, key):
        root, _, rest = key.partition("\\")
        return self.ROOTS.get(root, root) + ("\\" + rest if rest else "")

    def default_value(self, key):
        """The key's default string, '' when it has none, None when the key does not exist."""
        tree = self.query(key)
        if tree is None:
            return None
        values = tree.get(self.full_name(key), {})
        return values.get("", (None, ""))[1]

    def add(self, key, value, name=None):
        args = ["reg", "add", key] + (["/ve"] if name is None else ["/v", name]) + ["/d", value, "/f"]
        code, _ = self.wine.run(args, "reg-add", timeout=60)
        if code != 0:
            raise RuntimeError("reg add %s failed with %s" % (key, code))

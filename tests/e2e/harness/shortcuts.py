"""Reading back the shortcut files (.lnk) that Wine's shell makes for Program Manager items."""
import struct

HAS_ID_LIST = 0x1
HAS_LINK_INFO = 0x2
STRING_FLAGS = (("name", 0x4), ("relative_path", 0x8), ("working_dir", 0x10), ("arguments", 0x20),
                ("icon_location", 0x40))
IS_UNICODE = 0x80
HEADER_SIZE = 0x4C


class Shortcut:
    def __init__(self, target, icon_index, strings):
        self.target = target
        self.icon_index = icon_index
        self.name = strings.get("name")
        self.arguments = strings.get("arguments")
        self.working_dir = strings.get("working_dir")
        self.icon_location = strings.get("icon_location")

    def __repr__(self):
        return "Shortcut(target=%r, arguments=%r, icon=%r,%r)" % (self.target, self.arguments, self.icon_location,
                                                                  self.icon_index)


def _c_string(data, offset):
    end = data.index(b"\0", offset)
    return data[offset:end].decode("latin-1")


def _wide_string(data, offset):
    end = offset
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le")


def _link_target(data, offset):
    size, header_size, _flags, _volume, local_base = struct.unpack_from("<5I", data, offset)
    target = None
    if header_size >= 0x24:
        wide_offset = struct.unpack_from("<I", data, offset + 28)[0]
        if wide_offset:
            target = _wide_string(data, offset + wide_offset)
    if target is None and local_base:
        target = _c_string(data, offset + local_base)
    return target, offset + size


def read_shortcut(path):
    with open(path, "rb") as shortcut_file:
        data = shortcut_file.read()
    if len(data) < HEADER_SIZE or struct.unpack_from("<I", data, 0)[0] != HEADER_SIZE:
        raise ValueError(path + " is not a shortcut file")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    icon_index = struct.unpack_from("<i", data, 0x38)[0]
    offset = HEADER_SIZE
    if flags & HAS_ID_LIST:
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    target = None
    if flags & HAS_LINK_INFO:
        target, offset = _link_target(data, offset)
    strings = {}
    unit = 2 if flags & IS_UNICODE else 1
    for name, flag in STRING_FLAGS:
        if flags & flag:
            count = struct.unpack_from("<H", data, offset)[0]
            raw = data[offset + 2:offset + 2 + count * unit]
            # Wine counts the terminating zero in; Windows does not.
            strings[name] = raw.decode("utf-16-le" if unit == 2 else "latin-1").rstrip("\0")
            offset += 2 + count * unit
    return Shortcut(target, icon_index, strings)

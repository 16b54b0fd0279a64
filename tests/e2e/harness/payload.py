"""The installer's payload seen from outside: found in the PE, unpacked, or spoiled on purpose."""
import struct
import zlib

PAYLOAD_TYPE = 512
PAYLOAD_NAME = 301
CHECKSUM_NAME = 302  # the CRC-32 of the payload resource's bytes, little-endian, in its first 4 bytes


class PeImage:
    def __init__(self, data):
        self.data = bytearray(data)
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", self.data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva = struct.unpack_from("<I", self.data, directories + 2 * 8)[0]
        # The certificate table: a file offset and size, not an RVA; (0, 0) in an unsigned file.
        self.certificates = struct.unpack_from("<II", self.data, directories + 4 * 8)
        self.sections = []
        table = optional + optional_size
        for index in range(sections):
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<4I", self.data, table + 40 * index + 8)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("RVA %#x lies in no section" % rva)

    def _entries(self, directory_offset):
        named, numbered = struct.unpack_from("<HH", self.data, directory_offset + 12)
        for index in range(named + numbered):
            entry = directory_offset + 16 + 8 * index
            identifier, target = struct.unpack_from("<II", self.data, entry)
            yield entry, identifier, target

    def find_resource_entry(self, type_id, name_id):
        """(offset of the type's directory entry, data file offset, data size) or None."""
        if not self.resource_rva:
            return None
        root = self.offset(self.resource_rva)
        for type_entry, identifier, target in self._entries(root):
            if identifier != type_id or not target & 0x80000000:
                continue
            for _, name, name_target in self._entries(root + (target & 0x7FFFFFFF)):
                if name != name_id or not name_target & 0x80000000:
                    continue
                for _, _, leaf in self._entries(root + (name_target & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, root + leaf)
                    return type_entry, self.offset(rva), size
        return None


def read_payload(installer_path):
    """The payload resource's bytes, or None when the installer carries none."""
    with open(installer_path, "rb") as installer:
        image = PeImage(installer.read())
    found = image.find_resource_entry(PAYLOAD_TYPE, PAYLOAD_NAME)
    if not found:
        return None
    _, offset, size = found
    return bytes(image.data[offset:offset + size])


def archive_header(payload):
    """(file count, total size) from the archive's first six bytes."""
    length = struct.unpack_from("<I", payload, 0)[0]
    head = zlib.decompressobj().decompress(payload[4:4 + length], 6)
    return struct.unpack_from("<HI", head, 0)


def unpack_archive(payload):
    """[(entry name, data)] in archive order, from a payload resource's bytes."""
    length = struct.unpack_from("<I", payload, 0)[0]
    archive = zlib.decompress(payload[4:4 + length])
    count, _total = struct.unpack_from("<HI", archive, 0)
    at = 6
    entries = []
    for _ in range(count):
        name_length = archive[at]
        name = archive[at + 1:at + 1 + name_length].rstrip(b"\0").decode("latin-1")
        at += 1 + name_length
        size = struct.unpack_from("<I", archive, at)[0]
        at += 4
        entries.append((name, archive[at:at + size]))
        at += size
    return entries


def installed_path(entry_name):
    """Where an entry lands relative to the destination: file!subdir goes one level down."""
    if "!" in entry_name:
        file_name, subdirectory = entry_name.split("!", 1)
        return subdirectory + "\\" + file_name
    return entry_name


def _rewrite_payload(installer_path, output_path, change, refresh_checksum=True):
    """Writes a copy of the installer after `change(image, (type entry, data offset, data size))`. With
    `refresh_checksum` the payload's checksum resource, when there is one, is made to match the changed
    bytes, so that the installer's own checks of the payload are what meets them."""
    with open(installer_path, "rb") as installer:
        image = PeImage(installer.read())
    found = image.find_resource_entry(PAYLOAD_TYPE, PAYLOAD_NAME)
    if not found:
        raise ValueError(installer_path + " carries no payload")
    change(image, found)
    checksum = image.find_resource_entry(PAYLOAD_TYPE, CHECKSUM_NAME)
    if refresh_checksum and checksum:
        _, offset, size = found
        struct.pack_into("<I", image.data, checksum[1], zlib.crc32(bytes(image.data[offset:offset + size])))
    with open(output_path, "wb") as output:
        output.write(image.data)


def write_without_payload(installer_path, output_path):
    """A copy whose payload resource cannot be found: its type id is renumbered."""
    def renumber(image, found):
        # Ids must stay sorted in a resource directory: 513 sorts where 512 did while no type 513 exists.
        struct.pack_into("<I", image.data, found[0], PAYLOAD_TYPE + 1)
    _rewrite_payload(installer_path, output_path, renumber)


def write_with_damaged_payload(installer_path, output_path):
    """A copy whose zlib header fails its check, so the archive header cannot be read."""
    def damage(image, found):
        image.data[found[1] + 5] ^= 0x01  # second header byte: (CMF * 256 + FLG) % 31 is no longer 0
    _rewrite_payload(installer_path, output_path, damage)


def write_with_damaged_end(installer_path, output_path):
    """A copy with one byte of the compressed stream changed in the payload's last kilobyte, its checksum left
    as it was: the archive header still reads, and only the last files would meet the damage while they are
    copied, unless the checksum is checked first."""
    def damage(image, found):
        _, offset, size = found
        length = struct.unpack_from("<I", image.data, offset)[0]
        if not 1024 <= length <= size - 4:
            raise ValueError("a stream of %d bytes in a resource of %d" % (length, size))
        image.data[offset + 4 + length - 256] ^= 0xFF
    _rewrite_payload(installer_path, output_path, damage, refresh_checksum=False)


def signature_and_checksum(installer_path):
    """(bytes of the signatures an installer carries, 0 when it is not signed; whether it carries the payload's
    checksum resource)."""
    with open(installer_path, "rb") as installer:
        image = PeImage(installer.read())
    return image.certificates[1], image.find_resource_entry(PAYLOAD_TYPE, CHECKSUM_NAME) is not None


def hostile_payload(first_entry, hostile_name, data=b"escaped"):
    """A payload resource whose second entry names a file outside the destination."""
    entries = [first_entry, (hostile_name, data)]
    archive = bytearray()
    total = 0
    for name, body in entries:
        encoded = name.encode("latin-1") + b"\0"
        archive += bytes([len(encoded)]) + encoded + struct.pack("<I", len(body)) + body
        total += 1 + len(encoded) + len(body)
    stream = zlib.compress(struct.pack("<HI", len(entries), total) + bytes(archive), 9)
    return struct.pack("<I", len(stream)) + stream


def write_with_hostile_name(installer_path, first_entry, hostile_name, output_path):
    """A copy whose payload's second entry names a file outside the destination. The new payload
    goes where the old one was; its length field tells the reader where it ends."""
    def replace(image, found):
        _, offset, size = found
        resource = hostile_payload(first_entry, hostile_name)
        if len(resource) > size:
            raise ValueError("the hostile payload does not fit where the payload was")
        image.data[offset:offset + len(resource)] = resource
    _rewrite_payload(installer_path, output_path, replace)

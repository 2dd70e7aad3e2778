"""What a Windows program carries for Explorer: its header fields and resources.

Reads just enough of the PE format (64-bit programs) to check what the release
promises: a windowed program, no link time in its header, an icon group with every
size, and version information.
"""

import struct

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
SUBSYSTEM_WINDOWS_GUI = 2
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


class PeError(Exception):
    pass


class Program:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("not a Windows program (no MZ header)")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        (self.machine, sections, self.timestamp, _, _, optional_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise PeError("not a 64-bit program")
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        # Data directory 2 (resources) of a PE32+ optional header.
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, optional + 112 + 16)
        self.sections = []
        table = optional + optional_size
        for index in range(sections):
            _, virtual_size, rva, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, table + 40 * index)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise PeError("address %#x lies in no section" % rva)

    def resources(self):
        """{type id: {name id: bytes of its first language}} of the resource tree."""
        if not self.resource_rva:
            return {}
        base = self.offset(self.resource_rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for index in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * index)
                yield ident, target

        def leaf(target):
            while target & 0x80000000:  # a subdirectory: take its first entry (language)
                target = next(entries(target & 0x7FFFFFFF))[1]
            rva, size = struct.unpack_from("<II", self.data, base + target)
            start = self.offset(rva)
            return self.data[start:start + size]

        found = {}
        for kind, names in entries(0):
            if not names & 0x80000000:
                continue
            for name, target in entries(names & 0x7FFFFFFF):
                found.setdefault(kind, {})[name] = leaf(target)
        return found

    def icon_sizes(self):
        """The sizes in pixels the first icon group holds, smallest first."""
        groups = self.resources().get(RT_GROUP_ICON, {})
        if not groups:
            return []
        group = groups[min(groups)]
        count = struct.unpack_from("<HHH", group, 0)[2]
        sizes = []
        for index in range(count):
            width = group[6 + 14 * index]
            sizes.append(256 if width == 0 else width)
        return sorted(sizes)

    def version_info(self):
        """(file version, product version, text of the string table) or None."""
        versions = self.resources().get(RT_VERSION, {})
        if not versions:
            return None
        block = versions[min(versions)]
        at = block.find(struct.pack("<I", FIXED_FILE_INFO_SIGNATURE))
        if at < 0:
            raise PeError("version information without its fixed part")
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", block, at + 8)

        def dotted(ms, ls):
            return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

        text = block.decode("utf-16-le", errors="replace")
        return dotted(file_ms, file_ls), dotted(product_ms, product_ls), text


def read(path):
    with open(path, "rb") as stream:
        return Program(stream.read())

"""Reading a PE file's sections and resources (the DLL's embedded type library), without
running it: shared by the package builder and the type-library check."""
import struct


def sections(pe):
    pe_offset = struct.unpack_from("<I", pe, 0x3C)[0]
    assert pe[pe_offset:pe_offset + 4] == b"PE\0\0", "not a PE file"
    count = struct.unpack_from("<H", pe, pe_offset + 6)[0]
    optional_size = struct.unpack_from("<H", pe, pe_offset + 20)[0]
    optional = pe_offset + 24
    magic = struct.unpack_from("<H", pe, optional)[0]
    table = optional + optional_size
    result = []
    for i in range(count):
        name, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", pe, table + 40 * i)
        result.append((name.rstrip(b"\0"), vaddr, max(vsize, rsize), raw))
    # Data directory 2 is the resource table.
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", pe, directories + 8 * 2)[0]
    return magic, result, rsrc_rva


def rva_to_offset(secs, rva):
    for _, vaddr, size, raw in secs:
        if vaddr <= rva < vaddr + size:
            return raw + rva - vaddr
    raise ValueError("RVA %#x outside every section" % rva)


def resource(pe, secs, rsrc_rva, type_name, res_id):
    base = rva_to_offset(secs, rsrc_rva)

    def entries(offset):
        named, ids = struct.unpack_from("<HH", pe, offset + 12)
        for i in range(named + ids):
            name, value = struct.unpack_from("<II", pe, offset + 16 + 8 * i)
            if name & 0x80000000:
                length = struct.unpack_from("<H", pe, base + (name & 0x7FFFFFFF))[0]
                start = base + (name & 0x7FFFFFFF) + 2
                key = pe[start:start + 2 * length].decode("utf-16-le")
            else:
                key = name
            yield key, value

    for key, value in entries(base):
        if key != type_name:
            continue
        for key2, value2 in entries(base + (value & 0x7FFFFFFF)):
            if key2 != res_id:
                continue
            for _, value3 in entries(base + (value2 & 0x7FFFFFFF)):
                rva, size = struct.unpack_from("<II", pe, base + value3)
                start = rva_to_offset(secs, rva)
                return pe[start:start + size]
    return None

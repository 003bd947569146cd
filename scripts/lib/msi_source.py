#!/usr/bin/env python3
"""Writes the WiX source of one scTAVExt installer (built by wixl, scripts/windows-package.sh).

Usage: msi_source.py x86|x64 DLL OUT.wxs

The package's COM registration is made here from the same sources as DllRegisterServer
(src/com/registration.cpp): the GUIDs in src/com/guids.h, the class table in src/com/server.cpp
with its ProgIDs from src/plugin/plugin_class.h, and the type library's name from
src/com/scTAVExt.idl; the version and the type library's flags come from the built DLL (its
version resource and its embedded type library), so the package cannot disagree with it.
Windows Installer writes the keys itself (wixl has no SelfReg), and
scripts/windows-package-checks.sh compares them under Wine with what regsvr32 writes.
"""
import os
import re
import struct
import sys
from xml.sax.saxutils import escape, quoteattr

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path[:0] = [HERE]
from dll_version import file_version  # noqa: E402
from pe_resources import resource, sections  # noqa: E402

# Fixed for good: a new UpgradeCode would make a newer package install beside an older one
# instead of replacing it. Each bitness is a product of its own, so both can be installed.
UPGRADE_CODES = {
    "x86": "b2aa6cf0-8c4d-4b38-9126-28a039780a01",
    "x64": "c8c4b526-40e3-4752-810d-0563227ed59d",
}
# Component codes, one per bitness and component, also fixed for good. The ProgIDs and the type
# library's key (TypeLib\{libid}\1.0 with FLAGS and HELPDIR) are shared by both registry views,
# so both packages carry them as one component with one code: Windows Installer keeps it until
# the last of the two is removed.
COMPONENT_CODES = {
    ("x86", "Shared"): "27d20a38-7151-433d-a328-36d2ff45becf",
    ("x64", "Shared"): "27d20a38-7151-433d-a328-36d2ff45becf",
    ("x86", "Server"): "9974c5ca-b8a5-40b9-b5f1-bae75d71e45d",
    ("x86", "BillInterface"): "bc1e5e8e-6cb0-4bbc-b5c0-d4ad6ac34f16",
    ("x86", "ListInterface"): "c58a301e-d7ff-44d3-a167-675314a9875b",
    ("x64", "Server"): "75bed7eb-beea-4739-b076-6fcc416515fc",
    ("x64", "BillInterface"): "2b6c1f98-a356-49a6-a1c0-d40a19fcd2cc",
    ("x64", "ListInterface"): "eaf81928-d8ee-48b0-a790-998f003c0690",
}
# Oleautomation marshaler: the proxy/stub of every dual interface registered by RegisterTypeLib.
PSOAINTERFACE = "{00020424-0000-0000-C000-000000000046}"


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def model():
    guids = read("src/com/guids.h")
    uuid = {m[0]: "{%s}" % m[1].upper()
            for m in re.findall(r"^#define SCTAV_UUID_(\w+) ([0-9a-fA-F-]{36})$", guids, re.M)}
    major = re.search(r"^#define SCTAV_TYPELIB_MAJOR (\d+)$", guids, re.M).group(1)
    minor = re.search(r"^#define SCTAV_TYPELIB_MINOR (\d+)$", guids, re.M).group(1)
    # kClsidBill = SCTAV_GUID(SCTAV_UUID_CLSID_BILL) and so on.
    constant = {m[0]: uuid[m[1]] for m in re.findall(
        r"inline constexpr GUID (k\w+) = SCTAV_GUID\(SCTAV_UUID_(\w+)\);", guids)}
    progids = dict(re.findall(r'inline constexpr std::string_view (kProgId\w+) = "([^"]+)";',
                              read("src/plugin/plugin_class.h")))
    server = read("src/com/server.cpp")
    table = re.search(r"const ClassEntry kClasses\[\] = \{(.*?)\n\};", server, re.S).group(1)
    classes = [(name, progids[progid], constant[clsid], constant[iid])
               for name, progid, clsid, iid in re.findall(
                   r'\{L"(\w+)", sc::(kProgId\w+), L"\w+", &(k\w+), &(k\w+),', table)]
    if len(classes) != 3:
        sys.exit("msi_source.py: expected three classes in src/com/server.cpp, found %d"
                 % len(classes))
    idl = read("src/com/scTAVExt.idl")
    library = re.search(r'helpstring\("([^"]*)"\)\s*\]\s*library', idl).group(1)
    # uuid(SCTAV_UUID_IID_BILL) ... interface _scTransferBillExt, and so on.
    interface = {uuid[k]: name for k, name in re.findall(
        r"uuid\(SCTAV_UUID_(\w+)\),[^\]]*\]\s*interface (\w+)", idl)}
    return uuid["LIBID"], "%s.%s" % (major, minor), int(major), library, [
        (name, progid, clsid, iid, interface[iid]) for name, progid, clsid, iid in classes]


def typelib_flags(dll):
    """The library flags RegisterTypeLib writes as FLAGS: the MSFT header's flags field, plus
    LIBFLAG_FHASDISKIMAGE (8), which every library loaded from a file reports."""
    pe = open(dll, "rb").read()
    _, secs, rsrc_rva = sections(pe)
    tlb = resource(pe, secs, rsrc_rva, "TYPELIB", 1)
    return (struct.unpack_from("<I", tlb, 0x1C)[0] & 0xFFFF) | 8


def class_registry(arch, dll_path):
    """(key, name, value) under HKCR, as DllRegisterServer and RegisterTypeLib write them:
    those of the bitness's own view, then those both views share (the ProgIDs and the type
    library's version key). name None is the key's default value; name "*" with value "" an
    empty key, removed with the component."""
    libid, version, major, library, classes = model()
    dll = "[#scTAVExt.dll]"
    rows = []
    for name, progid, clsid, iid, interface in classes:
        versioned = "%s.%d" % (progid, major)
        key = "CLSID\\" + clsid
        rows += [
            (key, None, name),
            (key + "\\InprocServer32", None, dll),
            (key + "\\InprocServer32", "ThreadingModel", "Apartment"),
            (key + "\\ProgID", None, versioned),
            (key + "\\VersionIndependentProgID", None, progid),
            (key + "\\TypeLib", None, libid),
            (key + "\\Version", None, version),
            (key + "\\Programmable", "*", ""),
        ]
    for name, progid, clsid, iid, interface in classes:
        key = "Interface\\" + iid
        rows += [
            (key, None, interface),
            (key + "\\ProxyStubClsid", None, PSOAINTERFACE),
            (key + "\\ProxyStubClsid32", None, PSOAINTERFACE),
            (key + "\\TypeLib", None, libid),
            (key + "\\TypeLib", "Version", version),
        ]
    key = "TypeLib\\%s\\%s" % (libid, version)
    rows.append((key + "\\0\\" + ("win64" if arch == "x64" else "win32"), None, dll))
    shared = []
    for name, progid, clsid, iid, interface in classes:
        versioned = "%s.%d" % (progid, major)
        shared += [
            (progid, None, name),
            (progid + "\\CLSID", None, clsid),
            (progid + "\\CurVer", None, versioned),
            (versioned, None, name),
            (versioned + "\\CLSID", None, clsid),
        ]
    shared += [
        (key, None, library),
        (key + "\\FLAGS", None, str(typelib_flags(dll_path))),
        # The folder of the file, without the closing backslash [INSTALLDIR] has: the package
        # installs to this fixed folder.
        (key + "\\HELPDIR", None, "[%s]scTAVExt" % program_files(arch)),
    ]
    return rows, shared


def value(root, key, name, data, keypath=False):
    attrs = 'Root="%s" Key=%s Type="string" Value=%s' % (root, quoteattr(key), quoteattr(data))
    if name is not None:
        attrs += " Name=%s" % quoteattr(name)
    if keypath:
        attrs += ' KeyPath="yes"'
    return "          <RegistryValue %s/>\n" % attrs


def program_files(arch):
    return "ProgramFiles64Folder" if arch == "x64" else "ProgramFilesFolder"


def source(arch, dll):
    version = file_version(dll)
    win64 = "yes" if arch == "x64" else "no"
    folder = program_files(arch)
    own, shared = class_registry(arch, dll)
    registry = "".join(value("HKCR", k, n, d) for k, n, d in own)
    # Written through the 32-bit view by both packages, as the same component; the last
    # installed sets HELPDIR, as the last regsvr32 does.
    shared_keys = ('        <Component Id="Shared" Guid="%s" Win64="no">\n' %
                   COMPONENT_CODES[(arch, "Shared")].upper() +
                   "".join(value("HKCR", k, n, d, keypath=(i == 0))
                           for i, (k, n, d) in enumerate(shared)) +
                   "        </Component>\n")
    host = "Software\\scTAVExt\\HostInterfaces"

    def interface(prop, name):
        return (
            '        <Component Id="%s" Guid="%s" Win64="%s">\n' % (
                name, COMPONENT_CODES[(arch, name)].upper(), win64) +
            value("HKLM", host, name, "[%s]" % prop, keypath=True) +
            "        </Component>\n")

    return """<?xml version="1.0" encoding="utf-8"?>
<!-- Generated by scripts/lib/msi_source.py for scripts/windows-package.sh; do not edit. -->
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="scTAVExt ({bits}-bit)" Language="1033" Version="{version}"
           Manufacturer="scTAVExt" UpgradeCode="{upgrade}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"
             Description="scTAVExt settlement-centre plug-in ({bits}-bit)"/>
    <Media Id="1" Cabinet="scTAVExt.cab" EmbedCab="yes"/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of scTAVExt ({bits}-bit) is already installed."/>

    <!-- The host's interface identifiers: given on the command line, or else kept from the
         installation this one replaces or repairs. -->
    <Property Id="SCTAVSAVEDBILLINTERFACE">
      <RegistrySearch Id="SavedBillInterface" Root="HKLM" Key="{host}" Name="BillInterface"
                      Type="raw" Win64="{win64}"/>
    </Property>
    <Property Id="SCTAVSAVEDLISTINTERFACE">
      <RegistrySearch Id="SavedListInterface" Root="HKLM" Key="{host}" Name="ListInterface"
                      Type="raw" Win64="{win64}"/>
    </Property>
    <CustomAction Id="KeepBillInterface" Property="BILLINTERFACE" Value="[SCTAVSAVEDBILLINTERFACE]"/>
    <CustomAction Id="KeepListInterface" Property="LISTINTERFACE" Value="[SCTAVSAVEDLISTINTERFACE]"/>
    <InstallUISequence>
      <Custom Action="KeepBillInterface" Sequence="51">NOT BILLINTERFACE AND SCTAVSAVEDBILLINTERFACE</Custom>
      <Custom Action="KeepListInterface" Sequence="52">NOT LISTINTERFACE AND SCTAVSAVEDLISTINTERFACE</Custom>
    </InstallUISequence>
    <InstallExecuteSequence>
      <Custom Action="KeepBillInterface" Sequence="51">NOT BILLINTERFACE AND SCTAVSAVEDBILLINTERFACE</Custom>
      <Custom Action="KeepListInterface" Sequence="52">NOT LISTINTERFACE AND SCTAVSAVEDLISTINTERFACE</Custom>
    </InstallExecuteSequence>
{conditions}
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="{folder}">
        <Directory Id="INSTALLDIR" Name="scTAVExt">
        <Component Id="Server" Guid="{server}" Win64="{win64}">
          <File Id="scTAVExt.dll" Name="scTAVExt.dll" Source="scTAVExt.dll" KeyPath="yes"/>
{registry}          <RegistryValue Root="HKLM" Key="{host}" Name="*" Type="string" Value=""/>
          <RegistryValue Root="HKLM" Key="Software\\scTAVExt" Name="*" Type="string" Value=""/>
        </Component>
{shared_keys}{bill}{list}        </Directory>
      </Directory>
    </Directory>

    <Feature Id="Server" Level="1">
      <ComponentRef Id="Server"/>
      <ComponentRef Id="Shared"/>
      <ComponentRef Id="BillInterface"/>
      <ComponentRef Id="ListInterface"/>
    </Feature>
  </Product>
</Wix>
""".format(bits=64 if arch == "x64" else 32, version=version, upgrade=UPGRADE_CODES[arch].upper(),
           host=host, win64=win64, folder=folder, server=COMPONENT_CODES[(arch, "Server")].upper(),
           registry=registry, shared_keys=shared_keys, conditions=launch_conditions(),
           bill=interface("BILLINTERFACE", "BillInterface"),
           list=interface("LISTINTERFACE", "ListInterface"))


def launch_conditions():
    # Windows Installer's conditions have no pattern match: the package refuses what is not in
    # braces or holds characters no identifier has; the DLL ignores any other value it cannot
    # parse.
    text = ""
    for prop in ("BILLINTERFACE", "LISTINTERFACE"):
        shape = " AND ".join(['%s << "{"' % prop, '%s >> "}"' % prop] +
                             ['NOT %s >< "%s"' % (prop, c) for c in " ,;"])
        text += ('    <Condition Message="%s must be an interface identifier in braces, like '
                 '{00000000-0000-0000-0000-000000000000}.">'
                 "%s</Condition>\n" % (prop, escape("Installed OR NOT %s OR (%s)" % (prop, shape))))
    return text


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in UPGRADE_CODES:
        sys.exit(__doc__)
    arch, dll, out = sys.argv[1:]
    with open(out, "w", encoding="utf-8") as f:
        f.write(source(arch, dll))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""The plug-in's message catalogue: every text the plug-in hands to the host's resource loader.

The plug-in shows each text through LoadPWString or FormatPWString, which ask the host's loader
(base name "QOR") for the trimmed Simplified Chinese text. This tool reads the sources and lists
those keys in po/scTAVExt.pot (gettext format, msgid = the exact key, #: file:line), checks the
translations in po/<language>.po, checks a log of the keys a run asked for, and exports a
catalogue in the plain form an integrator loads into the host's resource file.

  catalogue.py pot [--check]        write po/scTAVExt.pot (--check: fail when it is stale)
  catalogue.py po [--check] [LANG]  merge the .pot into po/LANG.po (every language without
                                    LANG); --check: fail unless complete and consistent
  catalogue.py keys LOG             fail when LOG (sctav run --keys-log) holds a key the
                                    catalogue lacks; error descriptions the host raised and
                                    the run-time's error texts are reported, not failed
  catalogue.py audit SCTAV FILE...  sctav run --keys-log over the scenario FILEs, then keys
  catalogue.py export LANG [OUT]    write "key<TAB>translation" lines, UTF-8 (stdout by default)

Where a text reaches the loader: the literal first argument of LoadPWString/FormatPWString
(every literal of it: both arms of a conditional), and every N_("...") (a text kept in a table
or chosen at run time that reaches the loader later). A call whose first argument holds no
literal must be listed in DYNAMIC below with where its texts come from; an unlisted one fails.
"""

import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCES = ["src"]
SKIP = {"src/shared/MLoadPWString.h", "src/shared/MLoadPWString.cpp", "src/com"}
POT = os.path.join(ROOT, "po", "scTAVExt.pot")
KEYWORDS = ("LoadPWString", "FormatPWString", "N_")
# Local helpers that pass their text argument straight to LoadPWString.
FILE_KEYWORDS = {
    "src/bill/BillSave.cpp": ("refuse",),
    "src/bill/Voucher.cpp": ("refuse",),
    "src/bill/CheckBill.cpp": ("Refuse",),
}

# Calls whose first argument is not a literal: (file, argument as written) -> where the texts
# come from. The texts themselves are marked with N_ where they are written.
DYNAMIC = {
    ("src/shared/Publics.cpp", "error.Description()"):
        "the description of a host or run-time error (the host's own text)",
    ("src/shared/ModPubDelete.cpp", "error.Description()"):
        "the description of a host or run-time error (the host's own text)",
    ("src/bill/CheckBill.cpp", "reason"):
        "the description of the error that stopped the check (the host's own text), or empty",
    ("src/shared/scModule.cpp", "kUnits[power]"): "the unit captions, N_ in kUnits",
    ("src/shared/BankClientPub.cpp", "e.text"): "the bank status texts, N_ in kTexts",
    ("src/translist/TransferList.cpp", "t.caption"): "the list's tool captions, N_ in kListTools",
    ("src/translist/dlgBalSum.cpp", "text"): "the dialog's captions, N_ in kCaptions",
    ("src/bill/Voucher.cpp", "text"): "the refusals, N_ where refuse is called",
    ("src/bill/BillSave.cpp", "text"): "the refusals, N_ where refuse is called",
    ("src/bill/BillMenu.cpp", "command.text"): "the bill's tool captions, N_ in the command table",
    ("src/bill/BillMenu.cpp", "command.secondText"): "the bill's tool tips, N_ in the command table",
    ("src/bill/CheckBill.cpp", "text"): "the refusals of CheckBillRules, N_ where Refuse is called",
    ("src/bill/CheckBill.cpp", "question"): "the questions, N_ where chosen",
    ("src/bill/CheckBill.cpp", "failure"): "the failure texts, N_ where chosen",
    ("src/bill/CheckBill.cpp", "success"): "the success texts, N_ where chosen",
    ("src/bill/CheckBill.cpp", "logText"): "the business-log texts, N_ where chosen",
}

# Notes for translators where a text is put together with others or leaves the screen.
NOTES = {
    "省": "appended to the province name as stored (Chinese) in the area text of a payment "
          "sent to the bank",
    "市": "appended to the city name as stored (Chinese) in the area text of a payment sent "
          "to the bank",
    "县": "appended to the county name as stored (Chinese) in the area text of a payment sent "
          "to the bank",
    "同行": "stored in the payment sent to the bank (the receiver is at the same bank)",
    "他行": "stored in the payment sent to the bank (the receiver is at another bank)",
    "删除[编号：%1]": "directly followed by \"成功！\" or by \"失败！\" and the reason",
    "成功！": "follows \"删除[编号：%1]\"; also compared with the result of a deletion",
    "失败！": "follows \"删除[编号：%1]\" and is directly followed by the reason",
    "划拨单审核失败!": "directly followed by \"原因:%1\"",
    "划拨单反审核失败!": "directly followed by \"原因:%1\"",
    "划拨单审批失败!": "directly followed by \"原因:%1\"",
    "划拨单反审批失败!": "directly followed by \"原因:%1\"",
    "删除他人录入单据的": "%2 of \"删除[编号：%1]失败!没有%2权限!\"",
    "删除本人录入单据的": "%2 of \"删除[编号：%1]失败!没有%2权限!\"",
    "提示信息|": "the column title of the result list; the \"|\" ends the title",
    "划拨单": "the start of a voucher line's explanation, followed by \",\" and the purpose",
}

TOKEN = re.compile(
    r'(?P<comment>//[^\n]*|/\*.*?\*/)'
    r'|(?P<string>(?:u8|u|U|L)?"(?:\\.|[^"\\\n])*")'
    r"|(?P<char>'(?:\\.|[^'\\\n])+')"
    r'|(?P<ident>[A-Za-z_][A-Za-z_0-9]*)'
    r'|(?P<space>\s+)'
    r'|(?P<punct>::|->|.)', re.S)

ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"', "'": "'", "0": "\0"}


def unquote(literal):
    body = literal[literal.index('"') + 1:-1]
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            out.append(ESCAPES.get(body[i + 1], body[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def tokens(text):
    line = 1
    for m in TOKEN.finditer(text):
        kind = m.lastgroup
        value = m.group()
        if kind not in ("comment", "space"):
            yield kind, value, line
        line += value.count("\n")


def source_files():
    for top in SOURCES:
        for folder, dirs, files in os.walk(os.path.join(ROOT, top)):
            dirs.sort()
            rel_folder = os.path.relpath(folder, ROOT).replace(os.sep, "/")
            if rel_folder in SKIP:
                dirs[:] = []
                continue
            for name in sorted(files):
                rel = rel_folder + "/" + name
                if name.endswith((".cpp", ".h")) and rel not in SKIP:
                    yield rel


def extract():
    """Returns ({key: [file:line, ...]}, [problems])."""
    keys, problems, used = {}, [], set()
    for rel in source_files():
        with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
            toks = list(tokens(f.read()))
        for i, (kind, value, line) in enumerate(toks):
            if kind != "ident" or (value not in KEYWORDS and
                                   value not in FILE_KEYWORDS.get(rel, ())):
                continue
            if i + 1 >= len(toks) or toks[i + 1][1] != "(":
                continue
            # The first argument: up to the top-level comma or the closing parenthesis.
            depth, j, arg = 0, i + 2, []
            while j < len(toks):
                v = toks[j][1]
                if v in "([{":
                    depth += 1
                elif v in ")]}":
                    if depth == 0:
                        break
                    depth -= 1
                elif v == "," and depth == 0:
                    break
                arg.append(toks[j])
                j += 1
            if arg and arg[0][1] == "const":
                continue  # the helper's own declaration
            texts, run = [], None
            for k, v, ln in arg:
                if k == "string":
                    if run is None:
                        run = [unquote(v), ln]
                    else:
                        run[0] += unquote(v)
                else:
                    if run is not None:
                        texts.append(run)
                    run = None
            if run is not None:
                texts.append(run)
            if not texts:
                expr = "".join(v for _, v, _ in arg)
                used.add((rel, expr))
                if (rel, expr) not in DYNAMIC and value in ("LoadPWString", "FormatPWString"):
                    problems.append(f"{rel}:{line}: {value}({expr}) takes a text that is not "
                                    "written here: mark its texts with N_ and list the call "
                                    "in DYNAMIC")
                elif value in FILE_KEYWORDS.get(rel, ()) or value == "N_":
                    problems.append(f"{rel}:{line}: {value}({expr}): a literal text expected")
                continue
            for text, ln in texts:
                key = text.strip(" ")  # the loader's key is trimmed of blanks only
                if not key:
                    continue  # a blank text never reaches the loader
                keys.setdefault(key, [])
                ref = f"{rel}:{ln}"
                if ref not in keys[key]:
                    keys[key].append(ref)
    # A listed call that is gone from its file is a stale listing.
    for rel, expr in sorted(DYNAMIC):
        if os.path.exists(os.path.join(ROOT, rel)) and (rel, expr) not in used:
            problems.append(f"{rel}: DYNAMIC lists a call with {expr!r}, which is no longer there")
    return keys, problems


def po_quote(text):
    s = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
    s = s.replace("\r", "\\r").replace("\t", "\\t")
    return '"' + s + '"'


def po_unquote(s):
    s = s.strip()
    assert s.startswith('"') and s.endswith('"'), s
    return unquote(s)


def placeholders(text):
    return sorted(re.findall(r"%[1-9][0-9]*", text))


HEADER = """# Message catalogue of scTAVExt: every text the plug-in hands to the host's resource loader
# (base name "QOR"), keyed by the trimmed Simplified Chinese text. Written by
# scripts/catalogue.py pot; do not edit by hand.
msgid ""
msgstr ""
"Project-Id-Version: scTAVExt\\n"
"MIME-Version: 1.0\\n"
"Content-Type: text/plain; charset=UTF-8\\n"
"Content-Transfer-Encoding: 8bit\\n"
"""


def flags_for(key):
    flags = []
    if placeholders(key):
        flags.append("c-format" if False else "no-c-format")
    return flags


def pot_text(keys):
    out = [HEADER]
    for key in sorted(keys, key=lambda k: keys[k][0].split(":")[0] + "\0" +
                      keys[k][0].split(":")[1].zfill(6) + "\0" + k):
        out.append("")
        out.append("#: " + " ".join(keys[key]))
        if key in NOTES:
            out.append("#. " + NOTES[key])
        if placeholders(key):
            out.append("#. %1, %2, ... are replaced by the values named in the code")
        if key.endswith("|"):
            out.append("#. the line of a result list; keep the \"|\" at the end")
        out.append("msgid " + po_quote(key))
        out.append('msgstr ""')
    return "\n".join(out) + "\n"


def read_po(path):
    """Returns (header text, [(comments, msgid, msgstr)]) from a .po or .pot file."""
    entries, comments, field, msgid, msgstr = [], [], None, None, None
    header = None

    def flush():
        nonlocal comments, msgid, msgstr, header
        if msgid is not None:
            if msgid == "":
                header = msgstr
            else:
                entries.append((comments, msgid, msgstr))
        comments, msgid, msgstr = [], None, None

    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not line.strip():
                if msgid is not None and msgstr is not None:
                    flush()
                continue
            if line.startswith("#"):
                if msgid is not None and msgstr is not None:
                    flush()
                comments.append(line)
            elif line.startswith("msgid "):
                if msgid is not None:
                    flush()
                msgid, field = po_unquote(line[6:]), "id"
            elif line.startswith("msgstr "):
                msgstr, field = po_unquote(line[7:]), "str"
            elif line.startswith('"'):
                if field == "id":
                    msgid += po_unquote(line)
                else:
                    msgstr += po_unquote(line)
            else:
                raise SystemExit(f"{path}: cannot read the line {line!r}")
    flush()
    return header, entries


def languages():
    folder = os.path.join(ROOT, "po")
    return sorted(n[:-3] for n in os.listdir(folder) if n.endswith(".po"))


def po_path(lang):
    return os.path.join(ROOT, "po", lang + ".po")


def po_text(lang, pot_entries, translations):
    out = [HEADER.replace("Message catalogue", f"Translation ({lang})")
           .replace("Written by\n# scripts/catalogue.py pot; do not edit by hand.",
                    "Entries are kept\n# in the catalogue's order by scripts/catalogue.py po; "
                    "translate the msgstr lines.")
           + f'"Language: {lang}\\n"']
    for comments, msgid, _ in pot_entries:
        out.append("")
        out.extend(comments)
        out.append("msgid " + po_quote(msgid))
        out.append("msgstr " + po_quote(translations.get(msgid, "")))
    return "\n".join(out) + "\n"


def check_translation(lang, pot_keys):
    problems = []
    _, entries = read_po(po_path(lang))
    seen = {}
    for _, msgid, msgstr in entries:
        if msgid in seen:
            problems.append(f"{lang}.po: {msgid!r} is there twice")
        seen[msgid] = msgstr
        if msgid not in pot_keys:
            problems.append(f"{lang}.po: {msgid!r} is not in the catalogue")
            continue
        if not msgstr.strip():
            problems.append(f"{lang}.po: {msgid!r} has no translation")
            continue
        if placeholders(msgid) != placeholders(msgstr):
            problems.append(f"{lang}.po: {msgid!r}: the placeholders {placeholders(msgid)} "
                            f"differ from {placeholders(msgstr)} in {msgstr!r}")
        if (msgid.count("&") > 0) != (msgstr.count("&") == 1):
            problems.append(f"{lang}.po: {msgid!r}: the access key mark \"&\" differs in "
                            f"{msgstr!r}")
        if msgid.count("|") != msgstr.count("|") or msgid.endswith("|") != msgstr.endswith("|"):
            problems.append(f"{lang}.po: {msgid!r}: the \"|\" variant marks differ in {msgstr!r}")
        # Blanks around a translation are kept: a text followed by another one on the same
        # line (a failure and its reason, a suffix) may need the blank between them.
    for key in pot_keys:
        if key not in seen:
            problems.append(f"{lang}.po: {key!r} is missing")
    return problems


def read_key_log(path):
    """Returns (keys asked of the loader, error descriptions of the host and of the run-time)
    of a key log."""
    asked, raised, runtime = set(), set(), set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            kind, _, text = line.rstrip("\n").partition("\t")
            text = re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(
                m.group(1), m.group(1)), text)
            {"key": asked, "raised": raised}.get(kind, runtime).add(text)
    return asked, raised, runtime


def check_keys(log):
    _, pot_entries = read_po(POT)
    pot_keys = {m for _, m, _ in pot_entries}
    asked, raised, runtime = read_key_log(log)
    reached = sorted(k for k in asked if k in pot_keys)
    host = sorted(k for k in asked if k not in pot_keys and k in raised)
    own = sorted(k for k in asked if k not in pot_keys and k not in raised and k in runtime)
    unlisted = sorted(k for k in asked
                      if k not in pot_keys and k not in raised and k not in runtime)
    print(f"{len(reached)} of {len(pot_keys)} catalogued texts reached the loader")
    for k in sorted(pot_keys - set(reached)):
        print(f"  not reached by these scenarios: {k!r}")
    for k in host:
        print(f"  the host's own text (an error description it raised): {k!r}")
    for k in own:
        print(f"  the run-time's own text (an error description): {k!r}")
    for k in unlisted:
        print(f"UNLISTED: {k!r} reached the loader but is not in po/scTAVExt.pot",
              file=sys.stderr)
    return 1 if unlisted else 0


def main(argv):
    if not argv or argv[0] in ("-h", "--help"):
        print(__doc__)
        return 0 if argv else 2
    command, rest = argv[0], argv[1:]
    keys, problems = extract()
    if problems:
        print("\n".join(problems), file=sys.stderr)
        return 1
    if command == "pot":
        text = pot_text(keys)
        if "--check" in rest:
            current = open(POT, encoding="utf-8").read() if os.path.exists(POT) else ""
            if current != text:
                print(f"po/scTAVExt.pot is stale: run scripts/catalogue.py pot "
                      f"({len(keys)} texts in the sources)", file=sys.stderr)
                return 1
            print(f"po/scTAVExt.pot is current: {len(keys)} texts")
            return 0
        with open(POT, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        print(f"po/scTAVExt.pot: {len(keys)} texts")
        return 0
    if command == "po":
        check = "--check" in rest
        langs = [a for a in rest if not a.startswith("-")] or languages()
        _, pot_entries = read_po(POT)
        pot_keys = [m for _, m, _ in pot_entries]
        failed = 0
        for lang in langs:
            if check:
                found = check_translation(lang, pot_keys)
                if found:
                    print("\n".join(found), file=sys.stderr)
                    failed += 1
                else:
                    print(f"{lang}.po: {len(pot_keys)} of {len(pot_keys)} texts translated")
                continue
            translations = {}
            if os.path.exists(po_path(lang)):
                translations = {m: s for _, m, s in read_po(po_path(lang))[1]}
            with open(po_path(lang), "w", encoding="utf-8", newline="\n") as f:
                f.write(po_text(lang, pot_entries, translations))
            done = sum(1 for k in pot_keys if translations.get(k, "").strip())
            print(f"{lang}.po: {done} of {len(pot_keys)} texts translated")
        return 1 if failed else 0
    if command in ("keys", "audit"):
        if command == "keys" and len(rest) == 1:
            log = rest[0]
        elif command == "audit" and len(rest) >= 2:
            log = os.path.join(tempfile.mkdtemp(prefix="sctav-keys-"), "keys.log")
            run = subprocess.run([rest[0], "run", "--keys-log", log] + rest[1:],
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            if run.returncode != 0:
                print(run.stdout, file=sys.stderr)
                print("the scenarios did not all pass under the key audit", file=sys.stderr)
                return 1
        else:
            print(__doc__, file=sys.stderr)
            return 2
        return check_keys(log)
    if command == "export":
        if not rest:
            print("catalogue.py export LANG [OUT]", file=sys.stderr)
            return 2
        _, entries = read_po(po_path(rest[0]))
        lines, untranslated = [], 0
        for _, msgid, msgstr in entries:
            if not msgstr:
                # An empty translation would show an empty text: the Chinese text shows instead.
                untranslated += 1
                continue
            for name, text in (("key", msgid), ("translation", msgstr)):
                if any(c in text for c in "\t\r\n"):
                    raise SystemExit(f"{rest[0]}.po: the {name} {msgid!r} holds a tab or line "
                                     "break and cannot be exported on one line")
            lines.append(msgid + "\t" + msgstr)
        if untranslated:
            print(f"{rest[0]}.po: {untranslated} texts without translation left out",
                  file=sys.stderr)
        text = "\n".join(lines) + "\n"
        if len(rest) > 1:
            with open(rest[1], "w", encoding="utf-8", newline="\n") as f:
                f.write(text)
        else:
            sys.stdout.write(text)
        return 0
    print(f"unknown command {command}\n{__doc__}", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

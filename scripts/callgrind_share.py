#!/usr/bin/env python3
"""Prints which share of a callgrind profile is the plug-in's own work.

The profile must have been collected with --separate-callers so that every function name
carries its callers ("callee'caller'caller2..."). Then:

  total      every instruction collected (the measured host action as a whole)
  entries    the inclusive cost of every call the host makes into the plug-in's entry points
             (sc::PluginClass::OnEvent and Show), nested ones included
  calls      the inclusive cost of every call the plug-in makes into the host's objects and
             services (sim:: Invoke, CreateObject, the user interface, the error reporter),
             counted where the call leaves plug-in code, not where one host object calls another
  plug-in    entries - calls: the plug-in's own instructions (its logic, the automation runtime
             it uses, and the standard library calls it makes). Events the host raises while
             serving a plug-in call (a refresh raising ListFillRow) are counted in both sums, so
             they cancel out exactly.

usage: callgrind_share.py callgrind.out.<pid>
"""
import re
import sys

ENTRY = re.compile(r"^sc::PluginClass::(OnEvent|Invoke)\b")
BOUNDARY = re.compile(
    r"^sim::(.*::)?Invoke\(|^sim::Host::(Create|MessageBox|SetMousePointer|DoEvents|"
    r"SetClipboardPicture|ShowModal|Timer|Now|CurrentProcessId|GetParent|IsWindow|IsIconic|"
    r"ShowWindow|SetForegroundWindow|GetWindowRect|SendMessageA|ReportError|CentreDate|"
    r"PeriodDate|MousePointer|ClipboardPicture)\(|^sim::.*::(Supports|Advise)\(")


def parse(path):
    names = {}  # (kind, id) -> name, for compressed names

    def name_of(kind, text):
        m = re.match(r"\((\d+)\)(?: (.*))?$", text)
        if not m:
            return text
        key = (kind, m.group(1))
        if m.group(2) is not None:
            names[key] = m.group(2)
        return names.get(key, text)

    self_cost = {}
    arcs = {}  # (caller, callee) -> inclusive
    fn = None
    callee = None
    expect_call_cost = False
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            if line.startswith("fn="):
                fn = name_of("fn", line[3:])
                continue
            if line.startswith("cfn="):
                callee = name_of("fn", line[4:])
                continue
            if line.startswith("calls="):
                expect_call_cost = True
                continue
            head = line[0]
            if head.isdigit() or head in "+-*":
                parts = line.split()
                if len(parts) < 2:
                    continue
                cost = int(parts[1])
                if expect_call_cost:
                    arcs[(fn, callee)] = arcs.get((fn, callee), 0) + cost
                    expect_call_cost = False
                else:
                    self_cost[fn] = self_cost.get(fn, 0) + cost
                continue
            # fl=, fi=, fe=, ob=, cob=, cfl=, headers and totals: names only
            for kind in ("fl=", "fi=", "fe=", "cfi=", "cfl="):
                if line.startswith(kind):
                    name_of("fl", line[len(kind):])
            for kind in ("ob=", "cob="):
                if line.startswith(kind):
                    name_of("ob", line[len(kind):])
    return self_cost, arcs


def frames(name):
    # "non-virtual thunk to X" is X reached through another base class.
    return [re.sub(r"^(non-)?virtual thunk to ", "", f) for f in name.split("'")]


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    self_cost, arcs = parse(sys.argv[1])
    total = sum(self_cost.values())
    entry = 0
    host = 0
    for (caller, callee), cost in arcs.items():
        callee_base = frames(callee)[0]
        caller_frames = frames(caller)
        caller_is_plugin = not any("sim::" in fr for fr in caller_frames)
        if ENTRY.match(callee_base) and not caller_frames[0].startswith("sc::"):
            entry += cost
        elif BOUNDARY.match(callee_base) and caller_is_plugin:
            host += cost
    own = entry - host
    if total == 0:
        print("callgrind_share: nothing was collected")
        return 1
    print(f"instructions collected (the whole host action): {total:,}")
    print(f"the plug-in's own instructions:                   {own:,} ({100.0 * own / total:.1f} %)")
    print(f"the host's (its objects, database and window):    {total - own:,} ({100.0 * (total - own) / total:.1f} %)")
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""Checks a frt2dxf-batch --report file against its JSON Schema (docs/report.schema.json) and
against the drawings it describes, read with ezdxf: entities by kind and by layer, extents,
bytes; and the warnings against the expected lines.
    check_report.py REPORT.json [EXPECTED_WARNING_LINES...]"""
import json
import os
import sys
from collections import Counter

import ezdxf
import jsonschema

SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "report.schema.json")

MARGIN = 10.0  # the drawing's $EXTMIN/$EXTMAX lie this far outside the entities


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def check_entry(entry):
    # A path that is no UTF-8 is found by its bytes.
    path = os.fsdecode(bytes.fromhex(entry["output_bytes"])) if "output_bytes" in entry else entry["output"]
    if "input_bytes" in entry and not os.path.exists(bytes.fromhex(entry["input_bytes"])):
        fail(f"{entry['input']}: input_bytes name no file")
    doc = ezdxf.readfile(path)
    msp = doc.modelspace()
    kinds = Counter(e.dxftype() for e in msp)
    vertices = sum(len(e.vertices) for e in msp if e.dxftype() == "POLYLINE")
    if vertices:
        kinds["VERTEX"] = vertices
    reported = dict(entry["entities"])
    total = reported.pop("total")
    if total != len(msp):
        fail(f"{path}: {total} entities reported, {len(msp)} in the drawing")
    if reported != dict(kinds):
        fail(f"{path}: kinds {reported} reported, {dict(kinds)} in the drawing")
    layers = Counter(e.dxf.layer for e in msp)
    if {l["name"]: l["entities"] for l in entry["layers"]} != dict(layers):
        fail(f"{path}: layers {entry['layers']} reported, {dict(layers)} in the drawing")
    low, high = entry["extents"]["min"], entry["extents"]["max"]
    extmin, extmax = doc.header["$EXTMIN"], doc.header["$EXTMAX"]
    for axis in range(2):
        if abs(low[axis] - MARGIN - extmin[axis]) > 1e-5 or abs(high[axis] + MARGIN - extmax[axis]) > 1e-5:
            fail(f"{path}: extents {low} {high} against $EXTMIN {extmin} $EXTMAX {extmax}")
    if low[2] is not None and (abs(low[2] - extmin[2]) > 1e-5 or abs(high[2] - extmax[2]) > 1e-5):
        fail(f"{path}: height range {low[2]}..{high[2]} against $EXTMIN {extmin} $EXTMAX {extmax}")
    declared = doc.header.get("$DWGCODEPAGE", "ANSI_1252")
    if entry["codepage"] != declared:
        fail(f"{path}: code page {entry['codepage']} reported, {declared} declared")
    if entry["bytes"] != os.path.getsize(path):
        fail(f"{path}: {entry['bytes']} bytes reported, {os.path.getsize(path)} written")


def main():
    report = json.load(open(sys.argv[1], encoding="utf-8"))
    schema = json.load(open(SCHEMA, encoding="utf-8"))
    jsonschema.Draft202012Validator.check_schema(schema)
    for error in jsonschema.Draft202012Validator(schema).iter_errors(report):
        fail(f"not as the schema says at {'/'.join(str(p) for p in error.absolute_path)}: {error.message}")
    if report["program"] != "frt2dxf-batch" or not report["version"]:
        fail(f"program {report['program']!r}, version {report['version']!r}")
    entries = report["files"]
    expected_lines = [int(n) for n in sys.argv[2:]]
    checked = 0
    for entry in entries:
        if entry["status"] == "ok":
            check_entry(entry)
            checked += 1
        elif not entry["message"]:
            fail(f"{entry['input']}: {entry['status']} without a message")
        if entry["status"] == "failed" and entry["output"] is not None:
            fail(f"{entry['input']}: failed, yet it names an output")
    statuses = Counter(e["status"] for e in entries)
    summary = report["summary"]
    counted = {"inputs": len(entries), "converted": statuses["ok"], "skipped": statuses["skipped"],
               "failed": statuses["failed"], "warnings": sum(len(e["warnings"]) for e in entries)}
    if summary != counted:
        fail(f"summary {summary}, the files give {counted}")
    lines = [w["line"] for e in entries for w in e["warnings"]]
    if expected_lines and lines != expected_lines:
        fail(f"warning lines {lines}, expected {expected_lines}")
    print(f"the report matches {checked} drawing(s) and {len(lines)} warning(s)")


main()

"""Loads DXF files with ezdxf's strict reader and prints what it found, one fact per line:
"file PATH", then version, audit errors and fixes, entity counts by type, blocks, layers and
line types. One process checks many files, which keeps the test suite quick."""
import collections
import sys

import ezdxf


def report(path):
    print(f"file {path}")
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # any refusal is the finding
        print(f"error {type(error).__name__}: {error}")
        return 1
    print(f"version {doc.dxfversion}")
    auditor = doc.audit()
    print(f"audit_errors {len(auditor.errors)}")
    for entry in auditor.errors:
        print(f"audit_error {entry.message}")
    print(f"audit_fixes {len(auditor.fixes)}")
    for entry in auditor.fixes:
        print(f"audit_fix {entry.message}")
    counts = collections.Counter(e.dxftype() for e in doc.modelspace())
    for kind, n in sorted(counts.items()):
        print(f"entity {kind} {n}")
    vertices = sum(len(list(e.vertices)) for e in doc.modelspace() if e.dxftype() == "POLYLINE")
    print(f"vertices {vertices}")
    print(f"extended_data {sum(1 for e in doc.modelspace() if e.has_xdata('FRT2DXF'))}")
    for block in doc.blocks:
        if block.name.startswith("*U"):  # a hatch
            print(f"anonymous {block.name} {len(block)}")
        if block.name.startswith("*"):
            continue
        print(f"block {block.name} {len(block)}")
    for layer in doc.layers:
        print(f"layer {layer.dxf.name}")
    for ltype in doc.linetypes:
        print(f"linetype {ltype.dxf.name}")
    return 0


if __name__ == "__main__":
    sys.exit(max(report(path) for path in sys.argv[1:]))

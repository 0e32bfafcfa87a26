"""Loads a DXF file with ezdxf's strict reader and prints what it found, one fact per line:
version, audit errors and fixes, entity counts by type (model space and blocks), layer names."""
import collections
import sys

import ezdxf


def main(path):
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
    for block in doc.blocks:
        if block.name.startswith("*"):
            continue
        print(f"block {block.name} {len(block)}")
    for layer in doc.layers:
        print(f"layer {layer.dxf.name}")
    for ltype in doc.linetypes:
        print(f"linetype {ltype.dxf.name}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

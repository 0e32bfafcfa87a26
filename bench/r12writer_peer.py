#!/usr/bin/python3
"""The peer for the benchmark: the same survey job through ezdxf's r12writer (Debian's
python3-ezdxf). It reads the FRT file and writes a POINT per point and vertex (r12writer has no
blocks), four TEXT labels each, and a POLYLINE per line and area.
    r12writer_peer.py JOB.frt OUT.dxf"""
import sys

from ezdxf.addons import r12writer


def records(path):
    section = None
    with open(path, "r", encoding="latin-1", newline="") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line.startswith("["):
                section = line
                continue
            if section in ("[Points]", "[Lines]", "[Areas]"):
                pairs = dict(p.split("=", 1) for p in line.split(";") if "=" in p)
                yield section, pairs


def main(source, target):
    with r12writer(target, fmt="asc") as dxf:
        chain, chain_id, chain_layer = [], None, None

        def flush():
            if chain:
                dxf.add_polyline(chain, layer=chain_layer)

        for section, r in records(source):
            e, n, h = float(r.get("E", 0)), float(r.get("N", 0)), float(r.get("HO", 0))
            layer = r.get("GROUP", "0").replace(" ", "_") or "0"
            dxf.add_point((e, n, h), layer=layer)
            dxf.add_text(r.get("PID", ""), insert=(e, n, h), height=0.1, layer="PointID")
            dxf.add_text("%.3f;%.3f" % (e, n), insert=(e, n, h), height=0.1, layer="Coords")
            dxf.add_text("%.3f" % h, insert=(e, n, h), height=0.1, layer="Height")
            dxf.add_text(r.get("CODE", ""), insert=(e, n, h), height=0.1, layer="Code")
            if section == "[Points]":
                continue
            if r.get("LID") != chain_id:
                flush()
                chain, chain_id, chain_layer = [], r.get("LID"), layer
            chain.append((e, n, h))
        flush()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])

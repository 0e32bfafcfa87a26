"""Checks the point attributes of a drawing against its survey file: every point record (points
and the vertices of lines and areas) must come out as one INSERT whose attributes PID, HEIGHT,
CODE and CLASS hold the record's number, height with the given decimals, code and class, and
every symbol block must define those four tags, invisible.
    check_attributes.py SURVEY.frt DRAWING.dxf HEIGHT_DECIMALS"""
import collections
import sys

import ezdxf
from ezdxf.tools.text import caret_decode

TAGS = ["PID", "HEIGHT", "CODE", "CLASS"]
CLASSES = {"MEAS": "Measured", "MEAN": "Averaged", "CTRL": "Control", "NAV": "Navigated"}


def expected_points(path, decimals):
    points = collections.Counter()
    section = None
    for line in open(path, encoding="latin-1").read().splitlines():
        if line.startswith("["):
            section = line.strip()
            continue
        if section not in ("[Points]", "[Lines]", "[Areas]"):
            continue
        pairs = dict(p.split("=", 1) for p in line.split(";") if "=" in p)
        height = pairs.get("HO", "")
        if height == "-9999.99":
            height = pairs.get("HE", "")
        value = float(height) if height else 0.0
        points[(pairs.get("PID", ""), f"{value:.{decimals}f}", pairs.get("CODE", ""),
                CLASSES.get(pairs.get("PCLASS", ""), "Estimated"))] += 1
    return points


def main(survey, drawing, decimals):
    doc = ezdxf.readfile(drawing)
    problems = []
    auditor = doc.audit()
    problems += [f"audit: {e.message}" for e in auditor.errors]
    found = collections.Counter()
    for insert in doc.modelspace().query("INSERT"):
        attribs = list(insert.attribs)
        tags = [a.dxf.tag for a in attribs]
        if tags != TAGS:
            problems.append(f"an INSERT has the attributes {tags}")
            continue
        if any(not a.is_invisible for a in attribs):
            problems.append("a visible attribute")
        # ezdxf hands over the stored text; the caret notation ("^ " a caret, "^M" a CR) is
        # decoded as CAD programs and GDAL do.
        found[tuple(caret_decode(a.dxf.text) for a in attribs)] += 1
    for block in doc.blocks:
        if block.name.startswith("*"):
            continue
        definitions = [(e.dxf.tag, e.is_invisible) for e in block if e.dxftype() == "ATTDEF"]
        if definitions != [(t, True) for t in TAGS]:
            problems.append(f"block {block.name} defines {definitions}")
    expected = expected_points(survey, decimals)
    if found != expected:
        missing = list((expected - found).items())[:3]
        extra = list((found - expected).items())[:3]
        problems.append(f"points differ: {sum(found.values())} found, {sum(expected.values())} expected; "
                        f"missing {missing}, unexpected {extra}")
    for p in problems:
        print(p)
    print(f"{sum(found.values())} inserts checked")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3])))

"""Checks a preview picture against its drawing: the SVG is well-formed, has a mark for every
POINT and INSERT, a path for every LINE and POLYLINE, a text for every TEXT when labels were asked
for (none otherwise), and two lines of corner text naming the survey (the drawing's name with
".frt"); or, when thinned, at most
200000 elements and says so.
    check_preview.py DRAWING.dxf PICTURE.svg LABELS(0|1)"""
import collections
import sys
import xml.etree.ElementTree as ET

import ezdxf

NS = "{http://www.w3.org/2000/svg}"


def main(drawing, picture, labels):
    root = ET.parse(picture).getroot()
    found = collections.Counter(e.tag.replace(NS, "") for e in root.iter())
    corner = [t.text for t in root.iter(NS + "text")][-2:]
    problems = []
    thinned = "thinned" in corner[1]
    # A thinned picture is not compared entity by entity: the large drawing is not read again.
    counts = collections.Counter() if thinned else collections.Counter(
        e.dxftype() for e in ezdxf.readfile(drawing).modelspace())
    survey = drawing.split("/")[-1].rsplit(".", 1)[0] + ".frt"
    if not corner[0].startswith(survey + ": E "):
        problems.append(f"the corner names {corner[0]!r}")
    marks = counts["POINT"] + counts["INSERT"]
    paths = counts["LINE"] + counts["POLYLINE"]
    texts = counts["TEXT"] if labels else 0
    drawn = found["circle"] + found["polyline"] + found["polygon"] + found["text"] - 2
    if thinned:
        if drawn > 200000 or drawn < 100000:
            problems.append(f"{drawn} elements drawn after thinning")
    else:
        if found["circle"] != marks:
            problems.append(f"{found['circle']} marks for {marks} points")
        if found["polyline"] + found["polygon"] != paths:
            problems.append(f"{found['polyline'] + found['polygon']} paths for {paths} lines")
        if found["text"] - 2 != texts:
            problems.append(f"{found['text'] - 2} texts for {texts} labels")
    if not corner[1].startswith(f"{drawn} of "):
        problems.append(f"the corner says {corner[1]!r} for {drawn} drawn")
    for p in problems:
        print(p)
    print(f"{drawn} elements: {dict(found)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3] == "1"))

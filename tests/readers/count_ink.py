"""Counts the dark pixels of a binary greymap (P5, as pdftoppm -gray writes it): a drawing has
many, a blank page none. With regions given as fractions of the page, "x0,y0,x1,y1", one count
per region, else one for the whole page.
    count_ink.py PICTURE.pgm [REGION...]"""
import sys


def read_pgm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def main(path, regions):
    width, height, pixels = read_pgm(path)
    for region in regions or ["0,0,1,1"]:
        x0, y0, x1, y1 = (float(v) for v in region.split(","))
        print(sum(1 for y in range(int(y0 * height), int(y1 * height))
                  for x in range(int(x0 * width), int(x1 * width)) if pixels[y * width + x] < 128))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])

# The peer of bench/whole/ps_segments.cpp, written as a user of cairo would: one million line
# segments (1000 polylines of 1000 segments zig-zagging over the page) stroked on a PostScript
# surface of a letter page in landscape (792 x 612 points), one path per polyline.
#
# Command: /usr/bin/python3 bench/ps_segments_cairo.py OUT.ps
# Timed (by bench/ps_segments_vs_cairo.sh): the whole process, wall time, median of the pairs.
import sys

import cairo

LINES = 1000
PER_LINE = 1000
WIDTH, HEIGHT = 792, 612


def main():
    surface = cairo.PSSurface(sys.argv[1], WIDTH, HEIGHT)
    ctx = cairo.Context(surface)
    ctx.set_line_width(0.5)
    for l in range(LINES):
        ctx.move_to(0, HEIGHT * (1 - l / LINES))
        for i in range(1, PER_LINE + 1):
            y = (l + 0.8 * (i % 2)) / LINES
            ctx.line_to(WIDTH * i / PER_LINE, HEIGHT * (1 - y))
        ctx.stroke()
    surface.finish()


if __name__ == "__main__":
    main()

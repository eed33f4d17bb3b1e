#!/usr/bin/python3
"""natearth2map: map files from the Natural Earth data of r-cran-rnaturalearthdata.

Reads the lazy-load database of the R package (data/Rdata.rdx and data/Rdata.rdb: R's
serialization format, each object compressed with xz, zlib or bzip2), takes the line and
polygon coordinates of its sp objects and writes map files in the binary form of the map
files (big-endian records: a 16-bit point count, the latitude and longitude bounds as 32-bit
floats, a 32-bit offset, then latitude and longitude of each point; a record of 0 points ends
the file).

    tools/natearth2map.py [-d DATADIR] -o OUTDIR

DATADIR is the package's data folder (default
/usr/lib/R/site-library/rnaturalearthdata/data).  Written:
    cont.map     the continental coastlines (coastline110) and the lake shores
    country.map  the land borders between countries (countries110: ring edges two countries
                 share)
    vyk.map      the finer map of North America: coastlines (coastline50), country borders
                 (countries50), the borders of states and provinces (states50) and the lake
                 shores, cut to latitudes 5 to 90 and longitudes -180 to -40

The package has no lakes layer.  The lake shores are those of the lakes that the 1:50m states
and provinces (states50) leave out while the countries cover them (the Great Lakes): the
closed runs of state ring edges that enclose water with land all around (lake_shores).
"""
import argparse
import bz2
import gzip
import lzma
import os
import struct
import sys
import zlib

# ------------------------------------------------------------------------------------------
# R's serialization format (XDR form), enough for data objects
# ------------------------------------------------------------------------------------------

NILSXP, SYMSXP, LISTSXP, CLOSXP, ENVSXP, PROMSXP, LANGSXP = 0, 1, 2, 3, 4, 5, 6
SPECIALSXP, BUILTINSXP, CHARSXP, LGLSXP, INTSXP, REALSXP, CPLXSXP = 7, 8, 9, 10, 13, 14, 15
STRSXP, DOTSXP, VECSXP, EXPRSXP, BCODESXP, EXTPTRSXP, WEAKREFSXP = 16, 17, 19, 20, 21, 22, 23
RAWSXP, S4SXP = 24, 25
REFSXP, NILVALUE, GLOBALENV, UNBOUND, MISSINGARG, BASENS = 255, 254, 253, 252, 251, 250
NAMESPACESXP, PACKAGESXP, PERSISTSXP, EMPTYENV, BASEENV = 249, 248, 247, 242, 241
ATTRLANGSXP, ATTRLISTSXP, ALTREP = 240, 239, 238


class RObj:
    """One R object: its type, value and attributes (a dict of name to RObj)."""

    def __init__(self, kind, value=None):
        self.kind = kind
        self.value = value
        self.attrs = {}

    def attr(self, name):
        return self.attrs.get(name)

    def classes(self):
        c = self.attrs.get('class')
        return c.value if c is not None and c.kind == STRSXP else []


class Reader:
    def __init__(self, data):
        self.d = data
        self.p = 0
        self.refs = []

    def bytes(self, n):
        if self.p + n > len(self.d):
            raise ValueError('serialized data end early')
        b = self.d[self.p:self.p + n]
        self.p += n
        return b

    def int(self):
        return struct.unpack('>i', self.bytes(4))[0]

    def length(self):
        n = self.int()
        if n == -1:
            hi, lo = self.int(), self.int()
            n = (hi << 32) + lo
        if n < 0 or n > len(self.d):
            raise ValueError('bad length %d' % n)
        return n

    def header(self):
        if self.bytes(2) != b'X\n':
            raise ValueError('not XDR serialization')
        version = self.int()
        self.int()
        self.int()
        if version == 3:
            self.bytes(self.int())

    def strings(self):
        self.int()
        return [self.item().value for _ in range(self.length())]

    def attributes(self):
        pl = self.item()
        out = {}
        while pl is not None and pl.kind == LISTSXP:
            tag, car, cdr = pl.value
            if tag is not None:
                out[tag.value] = car
            pl = cdr
        return out

    def item(self):
        flags = self.int()
        kind = flags & 0xFF
        has_attr = bool(flags & (1 << 9))
        has_tag = bool(flags & (1 << 10))
        if kind == NILVALUE:
            return None
        if kind in (EMPTYENV, BASEENV, GLOBALENV, UNBOUND, MISSINGARG, BASENS):
            return RObj(ENVSXP)
        if kind == REFSXP:
            ind = flags >> 8
            if ind == 0:
                ind = self.int()
            return self.refs[ind - 1]
        if kind == PERSISTSXP:
            o = RObj(PERSISTSXP, self.strings())
            self.refs.append(o)
            return o
        if kind in (NAMESPACESXP, PACKAGESXP):
            o = RObj(ENVSXP, self.strings())
            self.refs.append(o)
            return o
        if kind == SYMSXP:
            o = RObj(SYMSXP)
            self.refs.append(o)
            o.value = self.item().value
            return o
        if kind == ENVSXP:
            o = RObj(ENVSXP)
            self.refs.append(o)
            self.int()
            self.item()
            self.item()
            self.item()
            o.attrs = {'attributes': self.item()}
            return o
        if kind in (LISTSXP, LANGSXP, CLOSXP, PROMSXP, DOTSXP, ATTRLANGSXP, ATTRLISTSXP):
            attrs = self.attributes() if has_attr else {}
            tag = self.item() if has_tag else None
            car = self.item()
            cdr = self.item()
            o = RObj(LISTSXP if kind in (LISTSXP, ATTRLISTSXP) else kind, (tag, car, cdr))
            o.attrs = attrs
            return o
        if kind in (SPECIALSXP, BUILTINSXP):
            return RObj(kind, self.bytes(self.length()).decode('latin-1'))
        if kind == CHARSXP:
            n = self.int()
            return RObj(CHARSXP, None if n == -1 else self.bytes(n).decode('utf-8', 'replace'))
        if kind in (LGLSXP, INTSXP):
            n = self.length()
            o = RObj(kind, list(struct.unpack('>%di' % n, self.bytes(4 * n))))
        elif kind == REALSXP:
            n = self.length()
            o = RObj(kind, list(struct.unpack('>%dd' % n, self.bytes(8 * n))))
        elif kind == CPLXSXP:
            n = self.length()
            o = RObj(kind, list(struct.unpack('>%dd' % (2 * n), self.bytes(16 * n))))
        elif kind == STRSXP:
            o = RObj(kind, [self.item().value for _ in range(self.length())])
        elif kind in (VECSXP, EXPRSXP):
            o = RObj(VECSXP, [self.item() for _ in range(self.length())])
        elif kind == RAWSXP:
            o = RObj(kind, self.bytes(self.length()))
        elif kind == S4SXP:
            o = RObj(kind)
        else:
            raise ValueError('serialized type %d not handled' % kind)
        if has_attr:
            o.attrs = self.attributes()
        return o


def unserialize(data):
    r = Reader(data)
    r.header()
    return r.item()


def decompress(blob, how):
    """One object of the lazy-load database, as the index's compression code says."""
    if how == 1:
        return zlib.decompress(blob[4:])
    kind = blob[4:5]
    body = blob[5:]
    if kind == b'Z':
        filters = [{'id': lzma.FILTER_LZMA2, 'preset': 6}]
        return lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=filters).decompress(body)
    if kind == b'2':
        return bz2.decompress(body)
    if kind == b'1':
        return zlib.decompress(body)
    if kind == b'0':
        return body
    raise ValueError('unknown compression %r' % kind)


def load_database(datadir):
    index = unserialize(gzip.open(os.path.join(datadir, 'Rdata.rdx')).read())
    names = index.attr('names').value
    parts = dict(zip(names, index.value))
    variables = parts['variables']
    comp = parts['compressed'].value[0] if 'compressed' in parts else 1
    with open(os.path.join(datadir, 'Rdata.rdb'), 'rb') as f:
        db = f.read()
    out = {}
    for name, where in zip(variables.attr('names').value, variables.value):
        off, n = where.value
        out[name] = (db, off, n, comp)
    return out


def load_object(entry):
    db, off, n, comp = entry
    return unserialize(decompress(db[off:off + n], comp))


# ------------------------------------------------------------------------------------------
# The coordinates of sp objects
# ------------------------------------------------------------------------------------------

def coords_of(obj, want):
    """Every coordinate matrix of the S4 objects of class want ("Line" or "Polygon") under
    obj, each as a list of (lon, lat)."""
    found = []
    stack = [obj]
    seen = set()
    while stack:
        o = stack.pop()
        if o is None or id(o) in seen:
            continue
        seen.add(id(o))
        if want in o.classes():
            m = o.attr('coords')
            n = m.attr('dim').value[0]
            found.append(list(zip(m.value[:n], m.value[n:2 * n])))
            continue
        for a in o.attrs.values():
            stack.append(a)
        if o.kind == VECSXP:
            stack.extend(reversed(o.value))
    found.reverse()
    return found


def edge_key(a, b):
    """An edge whatever its direction."""
    return (a, b) if a <= b else (b, a)


def edge_counts(rings):
    """How many times each edge occurs in the rings."""
    count = {}
    for ring in rings:
        for a, b in zip(ring, ring[1:]):
            if a != b:
                k = edge_key(a, b)
                count[k] = count.get(k, 0) + 1
    return count


def shared_edges(rings):
    """The lines along which two rings meet: each edge that occurs in two rings, joined into
    runs in the order of the first ring that has them."""
    count = edge_counts(rings)
    done = set()
    lines = []
    for ring in rings:
        run = []
        for a, b in zip(ring, ring[1:]):
            k = edge_key(a, b)
            if a != b and count.get(k, 0) >= 2 and k not in done:
                done.add(k)
                if run and run[-1] == a:
                    run.append(b)
                else:
                    if len(run) >= 2:
                        lines.append(run)
                    run = [a, b]
            elif len(run) >= 2:
                lines.append(run)
                run = []
        if len(run) >= 2:
            lines.append(run)
    return lines


# Gaps smaller than this (square degrees) are slivers between rings, not lakes.
MIN_LAKE_AREA = 0.001


def signed_area(ring):
    """The area of a closed ring in square degrees, positive when it runs
    counter-clockwise (longitude to the right, latitude up)."""
    return 0.5 * sum(x1 * y2 - x2 * y1 for (x1, y1), (x2, y2) in zip(ring, ring[1:]))


def lake_shores(rings):
    """The shores of the water that the rings leave out with land all around it: the edges
    that belong to one ring only, chained end to start in their rings' own direction into
    closed runs.  Land lies on the same side of every such edge, so a run around a piece of
    land (a coast) winds as the rings' outer boundaries do, and a run that winds the other way
    goes round a lake.  Runs that do not close, and slivers of less than MIN_LAKE_AREA, are
    left out."""
    count = edge_counts(rings)
    after = {}
    for ring in rings:
        for a, b in zip(ring, ring[1:]):
            if a != b and count[edge_key(a, b)] == 1:
                after.setdefault(a, []).append(b)
    land = 1 if sum(signed_area(r) for r in rings) >= 0 else -1
    used = set()
    lakes = []
    for start, ends in after.items():
        for first in ends:
            if (start, first) in used:
                continue
            run = [start]
            a, b = start, first
            while True:
                used.add((a, b))
                run.append(b)
                if b == start:
                    break
                nxt = [c for c in after.get(b, []) if (b, c) not in used]
                if not nxt:
                    break
                a, b = b, nxt[0]
            if run[-1] == start and -land * signed_area(run) >= MIN_LAKE_AREA:
                lakes.append(run)
    return lakes


def clip_box(lines, lat0, lat1, lon0, lon1):
    """The runs of each line that lie within the box (a point outside ends a run)."""
    out = []
    for line in lines:
        run = []
        for lon, lat in line:
            if lat0 <= lat <= lat1 and lon0 <= lon <= lon1:
                run.append((lon, lat))
            else:
                if len(run) >= 2:
                    out.append(run)
                run = []
        if len(run) >= 2:
            out.append(run)
    return out


# ------------------------------------------------------------------------------------------
# Map files
# ------------------------------------------------------------------------------------------

MAX_POINTS = 65535


def write_map(path, lines):
    points = 0
    with open(path, 'wb') as f:
        for line in lines:
            for start in range(0, len(line) - 1, MAX_POINTS - 1):
                part = line[start:start + MAX_POINTS]
                if len(part) < 2:
                    continue
                lats = [p[1] for p in part]
                lons = [p[0] for p in part]
                f.write(struct.pack('>Hffffi', len(part), max(lats), min(lats), max(lons),
                                    min(lons), 0))
                for lon, lat in part:
                    f.write(struct.pack('>ff', lat, lon))
                points += len(part)
        f.write(struct.pack('>Hffffi', 0, 0, 0, 0, 0, 0))
    print('%s: %d lines, %d points' % (path, len(lines), points))


def main():
    ap = argparse.ArgumentParser(description='map files from Natural Earth data')
    ap.add_argument('-d', default='/usr/lib/R/site-library/rnaturalearthdata/data')
    ap.add_argument('-o', required=True)
    args = ap.parse_args()
    db = load_database(args.d)

    def lines(name):
        return coords_of(load_object(db[name]), 'Line')

    def borders(name):
        return shared_edges(coords_of(load_object(db[name]), 'Polygon'))

    lakes = lake_shores(coords_of(load_object(db['states50']), 'Polygon'))
    write_map(os.path.join(args.o, 'cont.map'), lines('coastline110') + lakes)
    write_map(os.path.join(args.o, 'country.map'), borders('countries110'))
    box = (5.0, 90.0, -180.0, -40.0)
    fine = lines('coastline50') + borders('countries50') + borders('states50') + lakes
    write_map(os.path.join(args.o, 'vyk.map'), clip_box(fine, *box))
    return 0


if __name__ == '__main__':
    sys.exit(main())

// What the glyph tests draw, read back: the kernel writes to a text metafile whose polyline
// (PL) and fill-area (FA) records hold the world coordinates the glyphs handed it.
#ifndef GLYPH_FIXTURE_H
#define GLYPH_FIXTURE_H

#include <gtest/gtest.h>

#include "gks.h"
#include "meta_fixture.h"
#include "test_util.h"

#include <string>
#include <vector>

namespace glyphtest {

struct Record {
    char kind;  // 'L' a polyline, 'F' a fill area
    std::vector<Gpt> pts;
};

/// Opens the kernel on a metafile with world window -half..half on both axes (transformation
/// 1); records() closes it and returns what was drawn.
class Drawing : public vyktest::MetaDrawing {
public:
    explicit Drawing(float half = 1000) : MetaDrawing("glyph.meta", half, false) {}

    std::vector<Record> records()
    {
        std::vector<Record> out;
        for (const vyktest::MetaRecord &m : MetaDrawing::records())
            if (m.kind == "PL" || m.kind == "FA") out.push_back({m.kind == "PL" ? 'L' : 'F', m.pts});
        return out;
    }
};

using vyktest::near;

inline int count(const std::vector<Record> &rs, char kind)
{
    int n = 0;
    for (const Record &r : rs) n += r.kind == kind;
    return n;
}

}  // namespace glyphtest

#endif

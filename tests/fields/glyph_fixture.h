// What the glyph tests draw, read back: the kernel writes to a text metafile whose polyline
// (PL) and fill-area (FA) records hold the world coordinates the glyphs handed it.
#ifndef GLYPH_FIXTURE_H
#define GLYPH_FIXTURE_H

#include <gtest/gtest.h>

#include "gks.h"
#include "test_util.h"

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace glyphtest {

struct Record {
    char kind;  // 'L' a polyline, 'F' a fill area
    std::vector<Gpt> pts;
};

/// Opens the kernel on a metafile with world window -half..half on both axes (transformation
/// 1); records() closes it and returns what was drawn.
class Drawing {
public:
    explicit Drawing(float half = 1000)
    {
        file_ = dir_.file("glyph.meta");
        gopen_gks(nullptr, 0);
        ok_ = gopen_ws(1, (file_ + ",vyk").c_str(), GWS_META) == 0;
        gactivate_ws(1);
        const Glim win = {-half, half, -half, half};
        const Glim vp = {0, 1, 0, 1};
        gset_win(1, &win);
        gset_vp(1, &vp);
        gsel_norm_tran(1);
    }
    ~Drawing() { close(); }
    bool ok() const { return ok_; }

    std::vector<Record> records()
    {
        close();
        std::istringstream in(vyktest::read_file(file_));
        std::vector<Record> out;
        std::string word;
        while (in >> word) {
            if (word != "PL" && word != "FA") continue;
            Record r{word == "PL" ? 'L' : 'F', {}};
            int n = 0;
            in >> n;
            for (int i = 0; i < n; i++) {
                std::string pair;
                in >> pair;
                Gpt p{};
                std::sscanf(pair.c_str(), "%f,%f", &p.x, &p.y);
                r.pts.push_back(p);
            }
            out.push_back(r);
        }
        return out;
    }

private:
    void close()
    {
        if (closed_) return;
        closed_ = true;
        gdeactivate_ws(1);
        gclose_ws(1);
        gclose_gks();
    }
    vyktest::TempDir dir_;
    std::string file_;
    bool ok_ = false, closed_ = false;
};

inline bool near(const Gpt &a, float x, float y, float tol = 1e-3f)
{
    return std::fabs(a.x - x) <= tol && std::fabs(a.y - y) <= tol;
}

inline int count(const std::vector<Record> &rs, char kind)
{
    int n = 0;
    for (const Record &r : rs) n += r.kind == kind;
    return n;
}

}  // namespace glyphtest

#endif

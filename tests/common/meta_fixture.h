// What a drawing wrote to a text metafile, read back: the polyline (PL), fill-area (FA),
// marker (PM), text (TE) and message (ME) records with the colour, line or marker type and
// transformation in force, and a kernel opened on such a file.  For the tests of graphics and the folders above it.
#ifndef VYK_META_FIXTURE_H
#define VYK_META_FIXTURE_H

#include "gks.h"
#include "test_util.h"
#include "vykgks.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace vyktest {

struct MetaRecord {
    std::string kind;     // "PL", "FA", "PM", "TE" or "ME"
    int color = 1;        // the line (PL), fill (FA), marker (PM) or text (TE) colour in force
    int line_type = 1;    // the line type in force
    int marker_type = 1;  // the marker type in force
    int tran = 0;       // the normalisation transformation in force
    std::vector<Gpt> pts;
    std::string text;   // TE and ME
};

/// The drawing and message records of a text metafile, in their order.
inline std::vector<MetaRecord> meta_records(const std::string &meta)
{
    std::istringstream in(meta);
    std::vector<MetaRecord> out;
    std::string word;
    int line_colr = 1, fill_colr = 1, mark_colr = 1, text_colr = 1, line_type = 1,
        marker_type = 1, tran = 0;
    while (in >> word) {
        int *attr = word == "PL_CLR"    ? &line_colr
                    : word == "FA_CLR"  ? &fill_colr
                    : word == "PM_CLR"  ? &mark_colr
                    : word == "TE_CLR"  ? &text_colr
                    : word == "PL_TYPE" ? &line_type
                    : word == "PM_TYPE" ? &marker_type
                    : word == "TR"      ? &tran
                                        : nullptr;
        if (attr) {
            in >> *attr;
            continue;
        }
        MetaRecord r;
        r.kind = word;
        r.line_type = line_type;
        r.marker_type = marker_type;
        r.tran = tran;
        if (word == "TE" || word == "ME") {
            r.color = text_colr;
            std::string rest;
            std::getline(in, rest);
            if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
            if (word == "TE") {
                const size_t sp = rest.find(' ');
                Gpt p{};
                std::sscanf(rest.c_str(), "%f,%f", &p.x, &p.y);
                r.pts.push_back(p);
                r.text = sp == std::string::npos ? "" : rest.substr(sp + 1);
            } else {
                r.text = rest;
            }
            out.push_back(r);
            continue;
        }
        if (word != "PL" && word != "FA" && word != "PM") {
            std::string rest;
            std::getline(in, rest);
            continue;
        }
        r.color = word == "PL" ? line_colr : word == "FA" ? fill_colr : mark_colr;
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

/// Loads the shipped named colour table (before a workstation opens, which takes its colours).
inline void load_color_table() { CLR_read_table(VYK_SOURCE_DIR "/etc/vyk.clr"); }

/// Opens the kernel on a text metafile in a scratch folder, transformation 1 with world window
/// -half..half on both axes over the whole surface; with colors, the shipped colour table is
/// loaded first and its colours set on the workstation, as the plot set-up does.  records()
/// closes the kernel and returns what was drawn.
class MetaDrawing {
public:
    MetaDrawing(const std::string &name, float half, bool colors)
    {
        file_ = dir_.file(name);
        if (colors) load_color_table();
        gopen_gks(nullptr, 0);
        ok_ = gopen_ws(1, (file_ + ",vyk").c_str(), GWS_META) == 0;
        gactivate_ws(1);
        for (int i = 0; colors && i < CLR_get_num(); i++) {
            float r = 0, g = 0, b = 0;
            CLR_get_rgb(i, &r, &g, &b);
            GPH_set_color(i, r, g, b);
        }
        const Glim win = {-half, half, -half, half};
        const Glim vp = {0, 1, 0, 1};
        gset_win(1, &win);
        gset_vp(1, &vp);
        gsel_norm_tran(1);
    }
    ~MetaDrawing() { close(); }
    MetaDrawing(const MetaDrawing &) = delete;
    MetaDrawing &operator=(const MetaDrawing &) = delete;
    bool ok() const { return ok_; }

    std::vector<MetaRecord> records()
    {
        close();
        return meta_records(read_file(file_));
    }
    /// The metafile as it stands.
    std::string text() const { return read_file(file_); }

private:
    void close()
    {
        if (closed_) return;
        closed_ = true;
        gdeactivate_ws(1);
        gclose_ws(1);
        gclose_gks();
    }
    TempDir dir_;
    std::string file_;
    bool ok_ = false, closed_ = false;
};

/// Whether point a lies within tol of (x, y) on both axes.
inline bool near(const Gpt &a, float x, float y, float tol = 1e-3f)
{
    return std::fabs(a.x - x) <= tol && std::fabs(a.y - y) <= tol;
}

}  // namespace vyktest

#endif

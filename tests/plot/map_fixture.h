// What the background map draws, read back: the kernel writes to a text metafile whose
// polyline (PL), fill-area (FA) and text (TE) records hold the plot coordinates of the map, and
// whose message records (ME) name the map items drawn.
#ifndef MAP_FIXTURE_H
#define MAP_FIXTURE_H

#include <gtest/gtest.h>

#include "gks.h"
#include "test_util.h"
#include "vykgks.h"
#include "vykplot.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace maptest {

struct Record {
    std::string kind;  // "PL", "FA", "TE" or "ME"
    std::vector<Gpt> pts;
    std::string text;  // TE and ME
};

/// A domain made of its fields.
inline Domain domain(int proj, float clat, float clon, float dx, float dy, int nx, int ny)
{
    Domain d;
    DOM_init(&d);
    d.proj = proj;
    d.clat = clat;
    d.clon = clon;
    d.dx = dx;
    d.dy = dy;
    d.nx = nx;
    d.ny = ny;
    return d;
}

/// Opens a plot on a metafile (with the colour table and the default font copied into a
/// scratch folder that file_path names) and makes the domain current with MAP_setup; records()
/// closes the kernel and returns what was drawn.
class Drawing {
public:
    explicit Drawing(const Domain &d)
    {
        file_ = dir_.file("map.meta");
        // The colour table and the default font in the scratch folder.
        for (const char *f : {"vyk.clr", "vyk.fnl", "modern.fnt"})
            vyktest::write_file(dir_.file(f),
                                vyktest::read_file(std::string(VYK_SOURCE_DIR "/etc/") + f));
        RES_put("file_path", dir_.path().c_str());
        RES_put("device", ("m," + file_ + ",vyk").c_str());
        FLAG_set(FLAG_DEVICE, GWS_META);
        MAP_domain(&d);
        MAP_limits lim;
        MAP_get_limits(&lim);
        const float h = lim.y_max - lim.y_min;
        ok_ = PLT_open(h > 0 ? (lim.x_max - lim.x_min) / h : 1) == 0;
        MAP_setup(&d);
    }
    ~Drawing() { close(); }
    bool ok() const { return ok_; }
    const vyktest::TempDir &dir() const { return dir_; }
    /// Writes a file into the scratch folder.
    void write(const std::string &name, const std::string &content) const
    {
        vyktest::write_file(dir_.file(name), content);
    }

    std::vector<Record> records()
    {
        close();
        std::istringstream in(vyktest::read_file(file_));
        std::vector<Record> out;
        std::string word;
        while (in >> word) {
            if (word == "TE" || word == "ME") {
                Record r{word, {}, ""};
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
            if (word != "PL" && word != "FA") {
                std::string rest;
                std::getline(in, rest);
                continue;
            }
            Record r{word, {}, ""};
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
        GPH_end(ws_);
    }
    vyktest::TempDir dir_;
    std::string file_;
    Gint ws_ = 1;
    bool ok_ = false, closed_ = false;
};

inline std::vector<Record> of_kind(const std::vector<Record> &rs, const std::string &kind)
{
    std::vector<Record> out;
    for (const Record &r : rs)
        if (r.kind == kind) out.push_back(r);
    return out;
}

/// The texts of the message records.
inline std::vector<std::string> messages(const std::vector<Record> &rs)
{
    std::vector<std::string> out;
    for (const Record &r : rs)
        if (r.kind == "ME") out.push_back(r.text);
    return out;
}

inline bool near(const Gpt &a, float x, float y, float tol = 1e-3f)
{
    return std::fabs(a.x - x) <= tol && std::fabs(a.y - y) <= tol;
}

}  // namespace maptest

#endif

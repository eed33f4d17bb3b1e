// What the background map draws, read back: the kernel writes to a text metafile whose
// polyline (PL), fill-area (FA) and text (TE) records hold the plot coordinates of the map, and
// whose message records (ME) name the map items drawn.
#ifndef MAP_FIXTURE_H
#define MAP_FIXTURE_H

#include <gtest/gtest.h>

#include "domain_util.h"
#include "gks.h"
#include "meta_fixture.h"
#include "test_util.h"
#include "vykgks.h"
#include "vykplot.h"

#include <string>
#include <vector>

namespace maptest {

using Record = vyktest::MetaRecord;

/// A domain made of its fields (vyktest::make_domain, by the name the map tests know it).
inline constexpr auto &domain = vyktest::make_domain;

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
        return vyktest::meta_records(vyktest::read_file(file_));
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

using vyktest::near;

}  // namespace maptest

#endif

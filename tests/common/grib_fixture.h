// Fixtures of the GRIB tests: GRIB files made by eccodes (grib_set and grib_filter on eccodes'
// own samples), what eccodes reads from them (grib_get_data, grib_get), octets of a file
// patched into hostile messages, and GRIB files read through the grid-file contract.
#ifndef GRIB_FIXTURE_H
#define GRIB_FIXTURE_H

#include <gtest/gtest.h>

#include "test_util.h"
#include "grd_file.h"
#include "grd_tool.h"
#include "vykplot.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace gribtest {

/// eccodes' sample of a name ("GRIB1", "regular_gg_sfc_grib1", ...).
inline std::string sample(const std::string &name)
{
    return "/usr/share/eccodes/samples/" + name + ".tmpl";
}

/// The value that make writes as a missing point (with a bit map).
constexpr double MISSING = -12345;

/// Makes out from a sample: grib_set with keys (may be empty), then grib_filter runs the rules
/// pre, sets the values and runs the rules post (a decimal scale factor set there rescales the
/// packed values).  A value MISSING is written as a missing point with a bit map when bitmap
/// is set.  Fails the test when a tool fails.
inline void make(const std::string &out, const std::string &from, const std::string &keys,
                 const std::string &pre, const std::vector<double> &values,
                 const std::string &post = "", bool bitmap = false)
{
    const std::string mid = out + ".mid";
    std::string cmd = keys.empty() ? "cp " + vyktest::quote(from) + " " + vyktest::quote(mid)
                                   : "grib_set -s " + vyktest::quote(keys) + " " +
                                         vyktest::quote(from) + " " + vyktest::quote(mid);
    vyktest::RunResult r = vyktest::run(cmd);
    ASSERT_EQ(r.status, 0) << cmd << "\n" << r.err;
    std::ostringstream rules;
    rules.precision(9);
    if (bitmap) rules << "set missingValue = " << MISSING << ";\nset bitmapPresent = 1;\n";
    rules << pre << "\nset values = {";
    for (size_t i = 0; i < values.size(); i++) rules << (i ? ", " : "") << values[i];
    rules << "};\n" << post << "\nwrite " << '"' << out << '"' << ";\n";
    const std::string rules_file = out + ".rules";
    vyktest::write_file(rules_file, rules.str());
    cmd = "grib_filter " + vyktest::quote(rules_file) + " " + vyktest::quote(mid);
    r = vyktest::run(cmd);
    ASSERT_EQ(r.status, 0) << cmd << "\n" << r.err;
    std::remove(mid.c_str());
    std::remove(rules_file.c_str());
}

/// One point as grib_get_data lists it.
struct Point {
    double lat, lon, value;
    bool missing;
};

/// The points of the first message of a file, in the order of the data.
inline std::vector<Point> points(const std::string &file)
{
    const vyktest::RunResult r = vyktest::run("grib_get_data -m MISSING -F %.9g " +
                                              vyktest::quote(file));
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<Point> p;
    std::istringstream in(r.out);
    std::string line;
    std::getline(in, line);  // the column names
    while (std::getline(in, line)) {
        std::istringstream l(line);
        Point pt{};
        std::string v;
        if (!(l >> pt.lat >> pt.lon >> v)) continue;
        pt.missing = v == "MISSING";
        pt.value = pt.missing ? 0 : std::stod(v);
        p.push_back(pt);
    }
    return p;
}

/// The values of keys (comma-separated) of each message, one line per message.
inline std::string keys(const std::string &file, const std::string &names)
{
    const vyktest::RunResult r = vyktest::run("grib_get -p " + names + " " + vyktest::quote(file));
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

/// A file's octets, and a file of octets.
inline std::string octets(const std::string &file) { return vyktest::read_file(file); }
inline void put_octets(const std::string &file, const std::string &o) { vyktest::write_file(file, o); }

/// A grid record released at the end.
using Rec = GRD_scratch;

/// A GRIB file opened in a slot (with an index file attached when one is named), closed at
/// the end.
struct Open {
    int slot = -1;
    GRD_info info{};
    int info_result = -1;
    int index_result = -1;
    explicit Open(const std::string &file, const std::string &index = "")
    {
        int kind = GRD_GRIB;
        slot = GRD_open(file.c_str(), GRD_ACCESS_READ, &kind);
        if (slot >= 0 && !index.empty()) index_result = GRD_hdr_open(slot, index.c_str());
        if (slot >= 0) info_result = GRD_getinfo(slot, &info);
    }
    ~Open()
    {
        if (slot >= 0) GRD_close(slot);
    }
    Open(const Open &) = delete;
    Open &operator=(const Open &) = delete;
};

/// The number of products a header scan finds.
inline int count_products(int slot)
{
    Rec rec;
    int n = 0;
    while (true) {
        int num = n;
        if (GRD_read(slot, &rec.r, GRD_READ_HEADER, &num) != 0) break;
        n++;
    }
    return n;
}

/// A file of the edition-2 corpus (tests/data/grib2), unpacked into dir when it is compressed.
inline std::string corpus(const vyktest::TempDir &dir, const std::string &name)
{
    const std::string src = vyktest::data("grib2/" + name);
    for (const char *ext : {".xz", ".gz"}) {
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ext) == 0) {
            const std::string out = dir.file(name.substr(0, name.size() - 3));
            const vyktest::RunResult r = vyktest::run(std::string(ext[1] == 'x' ? "xz" : "gzip") +
                                                      " -dc " + vyktest::quote(src) + " > " +
                                                      vyktest::quote(out));
            EXPECT_EQ(r.status, 0) << r.err;
            return out;
        }
    }
    return src;
}

/// The JMA sample of the corpus: one message of 16 fields.
constexpr const char *JMA_16_FIELDS =
    "Z__C_RJTD_20170221120000_MSG_GPV_Gll0p5deg_Pys_B20170221120000_F2017022115-2017022212_"
    "grib2.bin.xz";

/// The sections of the first edition-2 message of some octets: [0] the indicator section,
/// [1] to [7] the last section of each number (empty when absent).
inline std::vector<std::string> sections(const std::string &msg)
{
    std::vector<std::string> s(8);
    const size_t at = msg.find("GRIB");
    if (at == std::string::npos || msg.size() < at + 16) return s;
    s[0] = msg.substr(at, 16);
    size_t p = at + 16;
    auto u4 = [&](size_t k) {
        size_t v = 0;
        for (size_t i = 0; i < 4; i++) v = (v << 8) | static_cast<unsigned char>(msg[k + i]);
        return v;
    };
    while (p + 5 <= msg.size() && msg.compare(p, 4, "7777") != 0) {
        const size_t len = u4(p);
        const int num = static_cast<unsigned char>(msg[p + 4]);
        if (len < 5 || p + len > msg.size() || num < 1 || num > 7) break;
        s[size_t(num)] = msg.substr(p, len);
        p += len;
    }
    return s;
}

/// An edition-2 message of the indicator section ind and the sections given, with its total
/// length written into octets 9 to 16 and the end section added.
inline std::string message(const std::string &ind, const std::vector<std::string> &secs)
{
    std::string m = ind;
    for (const std::string &s : secs) m += s;
    m += "7777";
    const unsigned long long n = m.size();
    for (int k = 0; k < 8; k++) m[size_t(8 + k)] = static_cast<char>((n >> (56 - 8 * k)) & 0xFF);
    return m;
}

}  // namespace gribtest

#endif

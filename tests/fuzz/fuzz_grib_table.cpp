// Fuzz target of the GRIB parameter tables: the edition-2 parameter table "grib2_var.lup" (a
// file) and the tables of edition 1 held in code (units and renumbering by centre and edition,
// the predefined grids, the units of the old grid variable codes).  The input after a mode byte
// is, up to its first zero byte, the parameter table; the octets after it are questions (none:
// the numbers that begin the table's lines).
//
// The table is written into one of two directories by turns, so that every input reads its own
// table (the decoder keeps the table of the last path it read); a small variable table beside
// it names a few variables.  Every line's numbers, and every four octets of the questions, are
// asked of the table, the first few also as the parameter of a built edition-2 message of the
// template the mode byte chooses (analysis, ensemble member, probability), which is read
// through the grid-file layer; every three octets of the questions are given to the edition-1
// tables as centre, edition and variable, and as a predefined grid number and an old code.
//
// Promises checked: a row's texts are terminated within their fields; a parameter's number is
// the variable table's, the coded discipline*1000000 + category*1000 + parameter, or -9999; a
// product's texts are terminated within theirs; a predefined grid is a domain that can be.
#include "../common/grib2_build.h"
#include "fuzz_grib.h"
#include "grib2.h"
#include "grib_table.h"
#include "vykresrc.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using vykfuzz::fail;

constexpr size_t ASKED_MAX = 32;     // questions asked of the table
constexpr int DECODED_MAX = 4;       // of them, asked as the parameter of a message
constexpr int PRODUCT_TEMPLATES[] = {0, 1, 5, 9};

const char VARIABLES[] = "11 tmp Temperature\n33 uwnd U-component of wind\n61 apcp Total "
                         "precipitation\n52 rhum Relative humidity\n";

std::string table_dir()
{
    static int turn = 0;
    const std::string dir = std::string(vykfuzz::work_dir()) + (turn++ % 2 ? "/b" : "/a");
    std::filesystem::create_directories(dir);
    return dir;
}

void terminated(const char *text, size_t size, const char *what)
{
    if (std::memchr(text, 0, size) == nullptr) fail(what);
}

void check_row(const GribParam &r, int disc, int cat, int param)
{
    terminated(r.name, sizeof r.name, "row name not terminated");
    terminated(r.units, sizeof r.units, "row units not terminated");
    terminated(r.lname, sizeof r.lname, "row long name not terminated");
    const bool octets = disc >= 0 && disc < 256 && cat >= 0 && cat < 256 && param >= 0 &&
                        param < 256;
    const int coded = octets ? disc * 1000000 + cat * 1000 + param : -9999;
    const bool named = r.ind == 11 || r.ind == 33 || r.ind == 61 || r.ind == 52;
    if (r.ind != coded && !named) fail("a parameter number neither named nor coded");
}

/// Section 4 of the built message: the template and the parameter (octets 8 to 11).
std::string with_product(std::string msg, int temp, int cat, int param, const uint8_t *q)
{
    size_t at = 16;
    while (at + 5 < msg.size() && msg[at + 4] != 4) {
        size_t len = 0;
        for (size_t k = 0; k < 4; k++) len = (len << 8) | uint8_t(msg[at + k]);
        at += len;
    }
    if (at + 5 >= msg.size()) return msg;
    // A product template of its own length: 4.0's octets, then those of the template.
    std::string s4 = msg.substr(at, 34);
    s4[7] = char(temp >> 8);
    s4[8] = char(temp);
    s4[9] = char(cat);
    s4[10] = char(param);
    s4[11] = char(q[0] % 6);  // the type of generating process (probabilities: 2, 4, 5)
    const size_t want = temp == 9 ? 71 : temp == 5 ? 47 : temp == 1 ? 37 : 34;
    while (s4.size() < want) s4 += char(q[s4.size() % 3]);
    const std::string len = grib2build::be(s4.size(), 4);
    s4.replace(0, 4, len);
    size_t old = 0;
    for (size_t k = 0; k < 4; k++) old = (old << 8) | uint8_t(msg[at + k]);
    msg.replace(at, old, s4);
    msg.replace(8, 8, grib2build::be(msg.size(), 8));
    return msg;
}

void ask_v2(int src, int disc, int cat, int param, unsigned mode, const uint8_t *q)
{
    static int decoded = 0;  // messages decoded for this input
    if (q == nullptr) {
        decoded = 0;
        return;
    }
    const GribParam r = GRIB_get_ver2_param(src, disc, cat, param);
    check_row(r, disc, cat, param);
    if (disc < 0 || disc > 255 || cat < 0 || cat > 255 || param < 0 || param > 255) return;
    if (decoded++ >= DECODED_MAX) return;
    // The same parameter as the product of a message, read through the grid-file layer.
    static const std::string drs = grib2build::be(0, 2) + grib2build::ieee(1.0f) +
                                   grib2build::be(0, 2) + grib2build::be(0, 2) + char(8) + char(0);
    static const std::string base = grib2build::message(2, 2, 0, 4, drs, "", "\x01\x02\x03\x04");
    std::string msg = with_product(base, PRODUCT_TEMPLATES[mode % 4], cat, param, q);
    msg[6] = char(disc);  // the discipline, octet 7 of the indicator section
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, msg.data(), msg.size());
    vykfuzz::GridFile f(path, GRD_GRIB);
    if (!f.has_info) return;
    int num = 0;
    if (GRD_read(f.fd, &f.g, GRD_READ_VALUES, &num) != 0) return;
    terminated(f.g.info, sizeof f.g.info, "info not terminated");
    terminated(f.g.units, sizeof f.g.units, "units not terminated");
    terminated(f.g.datim, sizeof f.g.datim, "datim not terminated");
}

/// The edition-1 tables with centre, edition and variable from three octets.
void ask_v1(const uint8_t *q)
{
    GRD_report g{};
    GRD_init(&g);
    g.source = q[0] == 0 ? 98 : q[0];
    g.version = q[1] % 3;
    g.var = q[2] + (q[1] & 0x80 ? 19280000 : 0);
    GRIB_units(&g);
    terminated(g.units, sizeof g.units, "edition-1 units not terminated");
    Domain d{};
    DOM_init(&d);
    GRIB_set_domain(q[0] | (q[1] << 8), &d);
    if (d.proj != VYK_MISS && (d.nx < 1 || d.ny < 1 || !std::isfinite(d.dx) || d.dx <= 0))
        fail("a predefined grid that cannot be");
    const char *u = GRIB_cdf_units(q[2] | (q[0] << 8));
    if (u != nullptr && std::strlen(u) > 64) fail("old units text too long");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    vykfuzz::scratch_file();  // messages off
    const unsigned mode = data[0];
    data++;
    size--;
    const uint8_t *zero = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const size_t split = zero ? size_t(zero - data) : size;
    const std::string table(reinterpret_cast<const char *>(data), split);
    const uint8_t *q = zero ? zero + 1 : nullptr;
    const size_t nq = zero ? size - split - 1 : 0;

    const std::string dir = table_dir();
    vykfuzz::write_bytes(dir + "/" + GRIB2_VAR_FILE, table.data(), table.size());
    vykfuzz::write_bytes(dir + "/variable.lup", VARIABLES, sizeof VARIABLES - 1);
    RES_put("file_path", dir.c_str());

    static const uint8_t none[3] = {0, 0, 0};
    ask_v2(0, 0, 0, 0, mode, nullptr);  // a new input
    // The numbers that begin the table's lines.
    const char *p = table.c_str();
    for (size_t asked = 0; p && *p && asked < ASKED_MAX; asked++) {
        long v[4] = {0, 0, 0, 0};
        char *end = nullptr;
        for (long &x : v) {
            x = std::strtol(p, &end, 10);
            if (end == p) break;
            p = end;
        }
        const auto clip = [](long x) {
            return int(x > 100000 ? 100000 : x < -100000 ? -100000 : x);
        };
        ask_v2(clip(v[0]), clip(v[1]), clip(v[2]), clip(v[3]), mode, q && nq >= 3 ? q : none);
        p = std::strchr(p, '\n');
        if (p) p++;
    }
    for (size_t k = 0; k + 4 <= nq && k / 4 < ASKED_MAX; k += 4)
        ask_v2(q[k], q[k + 1], q[k + 2], q[k + 3], mode >> 2, q + k);
    for (size_t k = 0; k + 3 <= nq && k / 3 < ASKED_MAX; k += 3) ask_v1(q + k);
    return 0;
}

// upa_bin.cpp: the binary summary form of upper-air files (written only): a 22-byte text
// header with the date, then one 78-byte record per station with the 850, 700 and 500 mb
// values, the tropopause height and the 1000-500 mb thickness as signed little-endian 16-bit
// numbers, 9999 for a missing value (and for a value that does not fit 16 bits).
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"
#include "upa_file.h"
#include "upa_file_internal.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int HEADER_LEN = 22;
constexpr int ID_LEN = 5, WMO_LEN = 7;
constexpr int16_t MISSING = 9999;
constexpr int LEVELS[] = {3, 4, 5};  // mandatory slots of 850, 700 and 500 mb

struct State {
    FILE *fp = nullptr;
    int access = UPA_ACCESS_READ;
    long out_start = -1;
};

State st;

bool has(float v) { return !VYK_is_miss(v); }

/// A value as a 16-bit number: trunc(v), 9999 when missing or out of range.
int16_t value(float v)
{
    if (!has(v) || !std::isfinite(v)) return MISSING;
    const double t = std::trunc(static_cast<double>(v));
    return t < INT16_MIN || t > INT16_MAX ? MISSING : static_cast<int16_t>(t);
}

void put(int16_t v)
{
    fwrite_short_swap(&v, st.fp);
}

void zeros(int n)
{
    for (int i = 0; i < n; i++) put(0);
}

/// A date field for the header: 0 when missing.
int field(int v) { return v == VYK_MISS ? 0 : v; }

int bin_open(const char *name, int access, int)
{
    State s;
    s.fp = upa_open_stream(name, access, true, &s.out_start);
    if (!s.fp) return -1;
    s.access = access;
    st = s;
    return fileno(st.fp);
}

int bin_close()
{
    const int result = upa_close_stream(st.fp, st.access, st.out_start);
    st = State{};
    return result;
}

int bin_rewind() { return -1; }
int bin_getinfo(UPA_info *) { return 1; }
int bin_read(UPA_report *, int, int) { return -1; }

int bin_putinfo(UPA_info *info)
{
    const Date &d = info->date;
    const char *month = DATE_month(d.month);
    char text[64];
    std::snprintf(text, sizeof text, "%2.2d:%2.2dZ XXX %3s %2d %4d", field(d.hour) % 100,
                  field(d.min) % 100, month[0] ? month : "XXX", field(d.day) % 100,
                  field(d.year) % 10000);
    char header[HEADER_LEN];
    std::memset(header, ' ', sizeof header);
    std::memcpy(header, text, std::min(std::strlen(text), sizeof header));
    std::fwrite(header, 1, sizeof header, st.fp);
    swap_setup(2);  // little-endian
    return 0;
}

int bin_write(UPA_report *r, int *statnum)
{
    swap_setup(2);  // little-endian, also when no header was written
    char id[ID_LEN] = {};
    if (std::isalpha(static_cast<unsigned char>(r->id[0])))
        std::memcpy(id, r->id, strnlen(r->id, ID_LEN));  // the field is not terminated
    std::fwrite(id, 1, ID_LEN, st.fp);
    char wmo[WMO_LEN + 1] = {};
    if (r->wmo >= 0 && r->wmo <= 99999) std::snprintf(wmo, sizeof wmo, "%5.5d", r->wmo);
    else std::memcpy(wmo, "99999", 5);
    std::fwrite(wmo, 1, WMO_LEN, st.fp);
    put(value(has(r->lat) ? r->lat * 100 + 0.1f : r->lat));
    put(value(has(r->lon) ? r->lon * 100 + 0.1f : r->lon));
    const UPA_level *m = r->man;
    auto rounded = [](float v) { return has(v) ? v + 0.5f : v; };
    put(value(rounded(m[3].t)));
    zeros(1);
    put(value(rounded(m[4].t)));
    put(value(rounded(m[5].t)));
    zeros(1);
    for (int s : LEVELS) put(value(m[s].h));
    zeros(5);
    for (int s : LEVELS) put(value(has(m[s].dir) ? m[s].dir / 10 : m[s].dir));
    zeros(1);
    for (int s : LEVELS) put(value(m[s].spd));
    zeros(1);
    for (int s : LEVELS)
        put(value(has(m[s].t) && has(m[s].td) ? m[s].t - m[s].td + 0.5f : static_cast<float>(VYK_MISS)));
    put(value(m[UPA_MAN_TROP].h));
    put(value(has(m[5].h) && has(m[1].h) ? m[5].h - m[1].h : static_cast<float>(VYK_MISS)));
    put(r->time == VYK_MISS || r->time < INT16_MIN || r->time > INT16_MAX ? MISSING : static_cast<int16_t>(r->time));
    zeros(4);
    (*statnum)++;
    return 0;
}

}  // namespace

const UPA_backend UPA_bin_backend = {bin_open, bin_close, bin_rewind, bin_getinfo,
                                     bin_putinfo, bin_read, bin_write};

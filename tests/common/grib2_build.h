// GRIB edition 2 messages built octet by octet: one field on a small latitude-longitude grid
// (template 3.0, north-west corner at 50 N 0 E, 1-degree steps; product template 4.0,
// temperature 2 m above ground), whose sections 5 to 7 the caller gives.  Used by the tests and
// the fuzz targets of the edition-2 decoder.
#ifndef VYK_GRIB2_BUILD_H
#define VYK_GRIB2_BUILD_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace grib2build {

/// An unsigned big-endian number of n octets.
inline std::string be(uint64_t v, int n)
{
    std::string s;
    for (int i = n - 1; i >= 0; i--) s += char((v >> (8 * i)) & 0xFF);
    return s;
}

/// A 4-octet IEEE single-precision number.
inline std::string ieee(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return be(u, 4);
}

/// A section: its length, number and body (octets 6 on).
inline std::string section(int num, const std::string &body)
{
    return be(5 + body.size(), 4) + char(num) + body;
}

/// A message of one field of nx by ny points with the scanning mode scan; drs: section 5 from
/// octet 10 (the template number on), points: its octets 6-9; bms: section 6 from octet 6
/// (empty: indicator 255, no bit map); ds: section 7 from octet 6.  With rows (ny entries, the
/// longest nx) the grid is quasi-regular: rows[j] points in row j.
inline std::string message(uint32_t nx, uint32_t ny, int scan, uint32_t points,
                           const std::string &drs, const std::string &bms, const std::string &ds,
                           const std::vector<int> &rows = {})
{
    const std::string s1 = section(1, be(34, 2) + be(0, 2) + char(2) + char(0) + char(1) +
                                          be(2024, 2) + char(1) + char(2) + char(3) + char(0) +
                                          char(0) + char(0) + char(1));
    const int64_t south = 50000000 - 1000000 * int64_t(ny > 0 ? ny - 1 : 0);
    const uint32_t la1 = (scan & 0x40) ? uint32_t(south) : 50000000u;
    const uint32_t la2 = (scan & 0x40) ? 50000000u : uint32_t(south);
    uint64_t total = uint64_t(nx) * ny;
    std::string list;
    if (!rows.empty()) {
        total = 0;
        for (int n : rows) {
            total += uint64_t(n);
            list += char(n);
        }
    }
    const std::string g = char(0) + be(total, 4) + char(rows.empty() ? 0 : 1) +
                          char(rows.empty() ? 0 : 1) + be(0, 2) + char(6) + char(0) + be(0, 4) +
                          char(0) + be(0, 4) + char(0) + be(0, 4) +
                          be(rows.empty() ? nx : 0xFFFFFFFFu, 4) + be(ny, 4) + be(0, 4) + be(0xFFFFFFFF, 4) + be(la1, 4) +
                          be(0, 4) + char(48) + be(la2, 4) +
                          be(1000000 * uint64_t(nx > 0 ? nx - 1 : 0), 4) + be(1000000, 4) +
                          be(1000000, 4) + char(scan) + list;
    const std::string s3 = section(3, g);
    const std::string s4 = section(4, be(0, 2) + be(0, 2) + char(0) + char(0) + char(2) +
                                          char(0) + char(96) + be(0, 2) + char(0) + char(1) +
                                          be(0, 4) + char(103) + char(0) + be(2, 4) + char(255) +
                                          char(0) + be(0, 4));
    const std::string s5 = section(5, be(points, 4) + drs);
    const std::string s6 = section(6, bms.empty() ? std::string(1, char(255)) : bms);
    const std::string s7 = section(7, ds);
    const std::string body = s1 + s3 + s4 + s5 + s6 + s7 + "7777";
    return "GRIB" + be(0, 2) + char(0) + char(2) + be(16 + body.size(), 8) + body;
}

}  // namespace grib2build

#endif

// Writes the station files etc/sao.cty and etc/upa.cty from the ICAO station list of the Debian
// package weather-util-data (/usr/share/weather-util/stations.gz: blocks "[icao]" with a
// "description = Name, ..., State, Country" line and a "location = (lat, lon)" line in radians),
// and the sample profiler stations of tools/prfgen.cpp.
//
//   c++ -std=c++20 -O1 -o ctygen tools/ctygen.cpp -lz
//   ./ctygen /usr/share/weather-util/stations.gz etc
//
// A station line: name ('_' for blanks, 20 characters), state (2, "--" when the source has
// none), country (2), identifier, priority, latitude, longitude, elevation (-9999: the source
// has none), WMO number (99999: none).  Rules, as etc/README.md states them:
//   country: K... "US", P[AFHOP]... "US" (Alaska, Hawaii, Pacific), C... "CA", else the ICAO
//            identifier's first two letters (its location-indicator region);
//   state:   the description's part before the country when it is two capital letters;
//   priority: 1 international airports (the name says "International"), 3 the other stations
//            of the United States and Canada, 5 the rest; the profiler stations 0 with the
//            upper-air mark ("0*").
// Stations without a location are left out.  Lines are sorted by identifier.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double DEG = 57.295779513082320876798;

struct Station {
    std::string id, name, state, country, prior;
    double lat, lon;
    int elev, wmo;
};

// The sample profiler stations (tools/prfgen.cpp).
const Station profilers[] = {
    {"PLTC2", "Platteville", "CO", "US", "0*", 40.18, -104.73, 1503, 74531},
    {"NLGN1", "Neligh", "NE", "US", "0*", 42.21, -97.79, 524, 74532},
    {"LMNO2", "Lamont", "OK", "US", "0*", 36.69, -97.48, 306, 74533},
    {"HKLO2", "Haskell", "OK", "US", "0*", 35.68, -95.86, 219, 74534},
    {"WNFL1", "Winnfield", "LA", "US", "0*", 31.90, -92.78, 56, 74535},
    {"WSMN5", "White_Sands", "NM", "US", "0*", 32.40, -106.35, 1224, 74536},
};

std::vector<std::string> split(const std::string &text, const std::string &sep)
{
    std::vector<std::string> out;
    size_t at = 0;
    for (size_t pos; (pos = text.find(sep, at)) != std::string::npos; at = pos + sep.size())
        out.push_back(text.substr(at, pos - at));
    out.push_back(text.substr(at));
    return out;
}

std::string token(std::string text, size_t width)
{
    for (char &c : text)
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7f) c = '_';
    if (text.empty()) text = "-";
    return text.substr(0, width);
}

bool two_capitals(const std::string &s) { return s.size() == 2 && std::isupper(s[0]) && std::isupper(s[1]); }

std::string country_of(const std::string &id)
{
    if (id[0] == 'K') return "US";
    if (id[0] == 'P' && std::strchr("AFHOP", id[1])) return "US";
    if (id[0] == 'C') return "CA";
    return id.substr(0, 2);
}

bool make(const std::string &icao, const std::string &desc, const std::string &loc, Station &s)
{
    double lat, lon;
    if (std::sscanf(loc.c_str(), "(%lf, %lf)", &lat, &lon) != 2) return false;
    s.id = icao;
    std::transform(s.id.begin(), s.id.end(), s.id.begin(), ::toupper);
    if (s.id.size() < 3 || s.id.size() > 9) return false;
    const std::vector<std::string> parts = split(desc, ", ");
    s.name = token(parts[0], 20);
    s.country = country_of(s.id);
    s.state = parts.size() >= 3 && two_capitals(parts[parts.size() - 2]) ? parts[parts.size() - 2] : "--";
    const bool international = parts[0].find("International") != std::string::npos;
    s.prior = international ? "1" : (s.country == "US" || s.country == "CA") ? "3" : "5";
    s.lat = lat * DEG;
    s.lon = lon * DEG;
    s.elev = -9999;
    s.wmo = 99999;
    return std::fabs(s.lat) <= 90 && std::fabs(s.lon) <= 180;
}

std::vector<Station> read_source(const char *path)
{
    std::vector<Station> out;
    gzFile in = gzopen(path, "rb");
    if (!in) return out;
    char buf[1024];
    std::string icao, desc, loc;
    auto flush = [&]() {
        Station s;
        if (!icao.empty() && make(icao, desc, loc, s)) out.push_back(s);
        icao.clear();
        desc.clear();
        loc.clear();
    };
    while (gzgets(in, buf, sizeof buf)) {
        std::string line = buf;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.size() > 2 && line[0] == '[' && line.back() == ']') {
            flush();
            icao = line.substr(1, line.size() - 2);
        } else if (line.rfind("description = ", 0) == 0) {
            desc = line.substr(14);
        } else if (line.rfind("location = ", 0) == 0) {
            loc = line.substr(11);
        }
    }
    flush();
    gzclose(in);
    return out;
}

bool write(const std::string &path, const std::vector<Station> &list)
{
    FILE *fp = std::fopen(path.c_str(), "w");
    if (!fp) return false;
    for (const Station &s : list)
        std::fprintf(fp, "%-20s %-2s %-2s %-9s %-3s %7.2f %8.2f %6d %05d\n", s.name.c_str(),
                     s.state.c_str(), s.country.c_str(), s.id.c_str(), s.prior.c_str(), s.lat, s.lon,
                     s.elev, s.wmo);
    return std::fclose(fp) == 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ctygen stations.gz outdir\n");
        return 2;
    }
    std::vector<Station> all = read_source(argv[1]);
    if (all.empty()) {
        std::fprintf(stderr, "ctygen: no stations in %s\n", argv[1]);
        return 1;
    }
    all.insert(all.end(), std::begin(profilers), std::end(profilers));
    std::sort(all.begin(), all.end(), [](const Station &a, const Station &b) { return a.id < b.id; });
    std::vector<Station> upa(std::begin(profilers), std::end(profilers));
    const std::string dir = argv[2];
    if (!write(dir + "/sao.cty", all) || !write(dir + "/upa.cty", upa)) {
        std::fprintf(stderr, "ctygen: cannot write into %s\n", dir.c_str());
        return 1;
    }
    std::printf("%zu stations\n", all.size());
    return 0;
}

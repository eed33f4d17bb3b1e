// The identifier patterns of the `identifier` resource: an entry is a plain identifier, WMO
// number or name beginning, or a pattern of parts joined by ':' (Name=, ST=, CN=, ID=, RA<,
// P=, Lat<, Elev>, WMO= ...), every part of which must hold.
#include "vyk.h"
#include "cty.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double EARTH_RADIUS = 63.713;  // units of 100 km
constexpr double RAD = 0.017453292519943334;

// The texts of a station that the rules compare.
struct Station {
    const CTY_data *data;
    char wmo[16];  // "%5.5d"
    char loc[16];  // "%2s_%2s": state and country
};

bool starts(const char *text, const char *prefix)
{
    return strnicmp(text, prefix, static_cast<int>(std::strlen(prefix))) == 0;
}

bool same(const char *a, const char *b) { return stricmp(a, b) == 0; }

bool read_double(const char *text, double &out)
{
    char *end;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool read_long(const char *text, long &out)
{
    char *end;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE) return false;
    out = v;
    return true;
}

// A comparison part: "=" equal, "<" at most, ">" at least.
bool compare(char op, double have, double want)
{
    if (op == '=') return have == want;
    if (op == '<') return have <= want;
    return have >= want;
}

double distance_km(double lat1, double lon1, double lat2, double lon2)
{
    const double a = std::sin(lat1 * RAD) * std::sin(lat2 * RAD) +
                     std::cos(lat1 * RAD) * std::cos(lat2 * RAD) * std::cos((lon2 - lon1) * RAD);
    return EARTH_RADIUS * 100.0 * std::acos(std::fmax(-1.0, std::fmin(1.0, a)));
}

// One rule: the parts it consumes when it holds (0: it does not hold).
typedef int (*Rule)(const Station &s, const std::vector<std::string> &parts, size_t i);

int name_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    if (!starts(p[i].c_str(), "Name=")) return 0;
    const char *text = p[i].c_str() + 5;
    return strnicmp(s.data->name, text, static_cast<int>(std::strlen(text))) == 0 ? 1 : 0;
}

int state_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    const std::string &part = p[i];
    if (starts(part.c_str(), "ST=")) {
        if (part.size() == 5) return same(part.c_str() + 3, s.data->state) ? 1 : 0;
        if (part.size() == 8) return same(part.c_str() + 3, s.loc) ? 1 : 0;
        return 0;
    }
    if (!same(part.c_str(), "ST") || i + 1 >= p.size()) return 0;
    const std::string &next = p[i + 1];
    if (next.size() == 2 && same(next.c_str(), s.data->state)) return 2;
    if (next.size() == 5 && same(next.c_str(), s.loc)) return 2;
    return 0;
}

int country_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    if (starts(p[i].c_str(), "CN=")) return same(p[i].c_str() + 3, s.data->region) ? 1 : 0;
    if (!same(p[i].c_str(), "CN") || i + 1 >= p.size()) return 0;
    return same(p[i + 1].c_str(), s.data->region) ? 2 : 0;
}

int id_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    if (!starts(p[i].c_str(), "ID=")) return 0;
    return same(p[i].c_str() + 3, s.data->id) ? 1 : 0;
}

int range_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    if (!starts(p[i].c_str(), "RA<") || i + 2 >= p.size()) return 0;
    double lat, lon, km;
    if (!read_double(p[i].c_str() + 3, lat) || !read_double(p[i + 1].c_str(), lon) ||
        !read_double(p[i + 2].c_str(), km))
        return 0;
    return distance_km(lat, lon, s.data->lat, s.data->lon) <= km ? 3 : 0;
}

// "KEY=" n, "KEY<" n, "KEY>" n against a number of the station.
int number_rule(const std::string &part, const char *key, bool integer, double have)
{
    const size_t len = std::strlen(key);
    if (part.size() <= len || strnicmp(part.c_str(), key, static_cast<int>(len)) != 0) return 0;
    const char op = part[len];
    if (op != '=' && op != '<' && op != '>') return 0;
    double want;
    long n;
    if (integer) {
        if (!read_long(part.c_str() + len + 1, n)) return 0;
        want = static_cast<double>(n);
    } else if (!read_double(part.c_str() + len + 1, want)) {
        return 0;
    }
    return compare(op, have, want) ? 1 : 0;
}

int prior_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    return number_rule(p[i], "P", true, s.data->prior);
}

int lat_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    return number_rule(p[i], "Lat", false, s.data->lat);
}

int lon_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    return number_rule(p[i], "Lon", false, s.data->lon);
}

int elev_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    return number_rule(p[i], "Elev", false, s.data->el);
}

int wmo_rule(const Station &s, const std::vector<std::string> &p, size_t i)
{
    if (starts(p[i].c_str(), "WMO=")) return same(p[i].c_str() + 4, s.wmo) ? 1 : 0;
    return number_rule(p[i], "WMO", true, s.data->wmo);
}

// In the order they are tried.
constexpr Rule rules[] = {name_rule, state_rule, country_rule, id_rule, range_rule,
                          prior_rule, lat_rule, lon_rule, elev_rule, wmo_rule};

// The entries that count as patterns begin with one of these.
constexpr const char *pattern_prefixes[] = {
    "Name=", "ST=", "ST:", "CN=", "CN:", "ID=", "RA<", "P=", "P<", "P>", "Lat=",
    "Lat<", "Lat>", "Lon=", "Lon<", "Lon>", "Elev=", "Elev<", "Elev>", "WMO=", "WMO<", "WMO>"};

bool is_pattern(const char *entry)
{
    for (const char *prefix : pattern_prefixes)
        if (starts(entry, prefix)) return true;
    return false;
}

std::vector<std::string> split_parts(const char *entry)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char *p = entry; *p; p++) {
        if (*p == ':') {
            parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// Every part is accepted by a rule (a rule may consume the parts after its own).
bool pattern_holds(const Station &s, const char *entry)
{
    const std::vector<std::string> parts = split_parts(entry);
    if (parts.empty()) return false;
    for (size_t i = 0; i < parts.size();) {
        int used = 0;
        for (Rule rule : rules) {
            used = rule(s, parts, i);
            if (used > 0) break;
        }
        if (used == 0) return false;
        i += static_cast<size_t>(used);
    }
    return true;
}

bool plain_match(const Station &s, const char *entry)
{
    const size_t len = std::strlen(entry);
    if (len == 5 && same(entry, s.wmo)) return true;
    if (same(entry, s.data->id)) return true;
    return len > 4 && strnicmp(s.data->name, entry, static_cast<int>(len)) == 0;
}

}  // namespace

int CTY_data_cmp(int numid, char **ids, const CTY_data *data)
{
    if (numid == 0) return 1;
    if (!ids || !data) return -1;
    Station s;
    s.data = data;
    std::snprintf(s.wmo, sizeof s.wmo, "%5.5d", data->wmo);
    std::snprintf(s.loc, sizeof s.loc, "%2s_%2s", data->state, data->region);
    for (int i = 0; i < numid; i++) {
        if (!ids[i]) continue;
        if (pattern_holds(s, ids[i]) || plain_match(s, ids[i])) return i;
    }
    return -1;
}

int CTY_ids_cmp(int numid, char **ids, const char *id)
{
    if (numid == 0) return 1;
    if (!ids || !id) return 0;
    for (int i = 0; i < numid; i++)
        if (ids[i] && (is_pattern(ids[i]) || same(ids[i], id))) return 1;
    return 0;
}

int CTY_id_cmp(const char *ids, const char *id)
{
    if (!ids || !id) return 0;
    return is_pattern(ids) || same(ids, id) ? 1 : 0;
}

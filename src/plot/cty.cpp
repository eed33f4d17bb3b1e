// The station file: one open file at a time, read station by station, and the direct lookups of
// one station in it by identifier, name or WMO number.
//
// Each line is one station.  A line that does not hold the nine fields of a station (a missing
// field, a number that is not one, a priority that is not a digit, a position off the earth) is
// passed over with a warning, so that it never becomes a station made of the previous one's
// fields.
#include "vyk.h"
#include "cty.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int LINE_MAX = 512;     // longest station line read; the rest of a longer one is passed over
constexpr int BYTES_PER_STATION = 59;
constexpr int MAX_BUCKETS = 4000;
constexpr int DEFAULT_PRIOR = 10;
constexpr const char *DEFAULT_FILE = "sao.cty";

struct State {
    FILE *city_file = nullptr;
    int file_type = 1;
    int line = 0;  // lines read from the open file, for messages
};

State st;

// ---------------------------------------------------------------------------------------------
// Reading a line
// ---------------------------------------------------------------------------------------------

// The fields of a line, each token at most its width: a longer token is cut there and the rest
// is read as the next field.
class Fields {
public:
    explicit Fields(const char *line) : p_(line) {}
    bool next(char *out, size_t width)
    {
        while (*p_ == ' ' || *p_ == '\t') p_++;
        if (*p_ == '\0') return false;
        size_t n = 0;
        while (p_[n] && p_[n] != ' ' && p_[n] != '\t' && n < width) n++;
        std::memcpy(out, p_, n);
        out[n] = '\0';
        p_ += n;
        return true;
    }

private:
    const char *p_;
};

bool read_float(const char *text, float &out)
{
    char *end;
    errno = 0;
    const float v = std::strtof(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool read_int(const char *text, int &out)
{
    char *end;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || v < -2147483647L || v > 2147483647L)
        return false;
    out = static_cast<int>(v);
    return true;
}

// The priority token: [*]DIGIT[*].
bool read_prior(const char *tok, CTY_data &city)
{
    city.mos = city.ua = ' ';
    if (*tok == '*') {
        city.mos = '*';
        tok++;
    }
    if (*tok < '0' || *tok > '9') return false;
    city.prior = *tok++ - '0';
    if (*tok == '*') {
        city.ua = '*';
        tok++;
    }
    return *tok == '\0';
}

// One station from a line: the fields converted (9 or 10), or 0 with the reason in why.
int parse_station(const char *line, CTY_data &city, const char *&why)
{
    Fields f(line);
    char tok[LINE_MAX];
    city.num = 0;
    city.mos = city.ua = ' ';
    if (!f.next(city.name, CTY_NAME_LEN - 1) || !f.next(city.state, CTY_STATE_LEN - 1) ||
        !f.next(city.region, CTY_STATE_LEN - 1) || !f.next(city.id, CTY_STID_LEN - 1)) {
        why = "too few fields";
        return 0;
    }
    if (!f.next(tok, 4) || !read_prior(tok, city)) {
        why = "no priority digit";
        return 0;
    }
    float lat, lon, el;
    int wmo;
    if (!f.next(tok, sizeof tok - 1) || !read_float(tok, lat) || !f.next(tok, sizeof tok - 1) ||
        !read_float(tok, lon) || !f.next(tok, sizeof tok - 1) || !read_float(tok, el) ||
        !f.next(tok, sizeof tok - 1) || !read_int(tok, wmo)) {
        why = "position, elevation or WMO number is not a number";
        return 0;
    }
    if (std::fabs(lat) > 90 || std::fabs(lon) > 360) {
        why = "position off the earth";
        return 0;
    }
    city.lat = lat;
    city.lon = lon;
    city.el = el > CTY_ELEV_MAX ? VYK_MISS : el;
    city.wmo = wmo;
    if (!f.next(tok, sizeof tok - 1)) return 9;
    int num;
    if (!read_int(tok, num)) {
        why = "the count is not a number";
        return 0;
    }
    city.num = num;
    return 10;
}

// The next line of the open file (cut at LINE_MAX - 1 characters); false at the end.
bool next_line(char (&line)[LINE_MAX])
{
    if (!std::fgets(line, LINE_MAX, st.city_file)) return false;
    st.line++;
    size_t len = std::strlen(line);
    if (len > 0 && line[len - 1] == '\n') {
        line[--len] = '\0';
    } else if (!std::feof(st.city_file)) {
        int c;
        while ((c = std::fgetc(st.city_file)) != EOF && c != '\n') {}
    }
    if (len > 0 && line[len - 1] == '\r') line[--len] = '\0';
    return true;
}

bool blank(const char *line)
{
    for (; *line; line++)
        if (*line != ' ' && *line != '\t') return false;
    return true;
}

// The full name of the database file; empty when there is none ("none").
std::string database_name(const char *city_file)
{
    const char *res = RES_get("city_file");
    const char *name = city_file ? city_file : DEFAULT_FILE;
    if (res && res[0]) {
        if (stricmp(res, "none") == 0) return "";
        name = res;
    }
    char full[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("file_path"), name, full);
    return full;
}

bool same_text(const char *a, const char *b) { return stricmp(a, b) == 0; }

bool station_is(const CTY_data &city, const char *id)
{
    char wmo[16];
    std::snprintf(wmo, sizeof wmo, "%05d", city.wmo);
    return same_text(id, city.id) || same_text(id, city.name) || same_text(id, wmo);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The open file
// ---------------------------------------------------------------------------------------------

int CTY_data_init(CTY_data *city)
{
    if (!city) return -1;
    city->name[0] = '\0';
    city->id[0] = '\0';
    city->wmo = VYK_MISS;
    city->lat = city->lon = city->el = VYK_MISS;
    return 0;
}

int CTY_open(const char *filename, int f_access, int f_type)
{
    if (!filename || (f_access != 0 && f_access != 1)) return -1;
    FILE *fp = FILE_open(filename, f_access == 0 ? "r" : "w");
    if (!fp) return -1;
    if (st.city_file) FILE_close(st.city_file);
    st.city_file = fp;
    st.file_type = f_type;
    st.line = 0;
    return fileno(fp);
}

int CTY_getinfo(int, CTY_info *info)
{
    if (!st.city_file) return -1;
    CTY_rewind(0);
    if (info) info->dtype = st.file_type;
    return 0;
}

int CTY_rewind(int)
{
    if (!st.city_file) return -1;
    std::rewind(st.city_file);
    st.line = 0;
    return 0;
}

int CTY_close(int)
{
    if (!st.city_file) return -1;
    FILE_close(st.city_file);
    st.city_file = nullptr;
    return 0;
}

int CTY_read(int, CTY_data *city)
{
    if (!st.city_file || !city) return -1;
    char line[LINE_MAX];
    while (next_line(line)) {
        if (blank(line)) continue;
        CTY_data read = *city;
        const char *why = "";
        const int n = parse_station(line, read, why);
        if (n > 0) {
            *city = read;
            return n;
        }
        MESS_print(M_WARN, "CTY_read: line %d is no station (%s); passed over\n", st.line, why);
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Lookups in the file
// ---------------------------------------------------------------------------------------------

int CTY_open_file(const char *city_file, int *num_stats)
{
    const std::string full = database_name(city_file);
    if (full.empty()) return -1;
    const long size = FILE_size(full.c_str());
    if (num_stats) *num_stats = static_cast<int>(std::clamp(size / BYTES_PER_STATION, 1L,
                                                             static_cast<long>(MAX_BUCKETS)));
    const int fd = CTY_open(full.c_str(), 0, 0);
    if (fd < 0) MESS_print(M_WARN, "CTY_open_file: Database file not found: %s\n", full.c_str());
    return fd;
}

int CTY_get(const char *city_file, const char *id, CTY_data *data)
{
    if (!id || !data) return 0;
    int num;
    const int fd = CTY_open_file(city_file, &num);
    if (fd < 0) return 0;
    MESS_print(M_MESS, "Searching the city database file for: %s ...\n", id);
    CTY_rewind(fd);
    bool found = false;
    while (!found && CTY_read(fd, data) > 0) found = station_is(*data, id);
    CTY_close(fd);
    return found ? 1 : 0;
}

int CTY_get_loc(const char *city_file, const char *id, float *lat, float *lon)
{
    CTY_data city;
    CTY_data_init(&city);
    if (CTY_get(city_file, id, &city) != 1) return 0;
    if (lat) *lat = city.lat;
    if (lon) *lon = city.lon;
    return 1;
}

int CTY_get_prior()
{
    int prior = DEFAULT_PRIOR;
    if (RES_get("stat_prior") && RES_getval("stat_prior", &prior, CV_int) != 0) return prior;
    return prior;
}

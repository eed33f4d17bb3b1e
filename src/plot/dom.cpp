// Domains and domain strings: emptying, comparing and measuring a Domain; the domain string
// (the text form of a domain in resources, files and prompts) with its reader DOM_decode and
// its printer DOM_print; the projection names; and the station plotting priority that follows
// from the size of the plotted domain.
//
// A domain string is a ','-separated list of fields read by the first of a table of layouts
// that fits it (projection, pole, centre, counts and spacings in several short forms, a station
// or a region).  What DOM_print writes reads back as the same domain for every kind.
#include "dom_internal.h"
#include "vyk.h"
#include "cty.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace vykdom;

namespace {

constexpr const char *DEFAULT_CITY_FILE = "sao.cty";

struct State {
    int priority = 3;   // station plotting priority of the current plot
    int loc_prior = 4;  // location priority (kept for the plot parameters)
    int depth = 0;      // DOM_decode calls in progress (regions name regions)
    bool no_domain = false;  // the text loaded a region menu and gave no domain
};

State state;

// ---------------------------------------------------------------------------------------------
// Projection names
// ---------------------------------------------------------------------------------------------

/// One projection name: a name matches when it begins with text (compared over len characters,
/// without regard to case); WHOLE compares the whole name.
struct ProjName {
    const char *text;
    int len;
    int kind;
};
constexpr int WHOLE = 0;

constexpr ProjName PROJ_NAMES[] = {
    {"ll", 2, DOM_LATLON},     {"lat", 3, DOM_LATLON},    {"polar", 5, DOM_PSTEREO},
    {"ps", 2, DOM_PSTEREO},    {"sat", 3, DOM_SAT},       {"lambaz", 6, DOM_LAMBAZ},
    {"lamb", 4, DOM_LAMB},     {"lc", 2, DOM_LAMB},       {"la", 2, DOM_LAMBAZ},
    {"gn", 2, DOM_GNOM},       {"or", 2, DOM_ORTHO},      {"mo", 2, DOM_MOLL},
    {"me", 2, DOM_MERC},       {"pix", 3, DOM_PIXEL},     {"xy", 2, DOM_XY},
    {"xz", WHOLE, DOM_XZ},     {"xlogy", 5, DOM_XLOGP},   {"xlogp", 5, DOM_XLOGP},
    {"cat", 3, DOM_CAT},       {"skewt", 5, DOM_SKEWT},   {"ema", 3, DOM_EMA},
    {"teph", 4, DOM_TEPH},     {"rteph", 5, DOM_RTEPH},   {"therm", 5, DOM_SKEWT},
    {"stuve", 5, DOM_STUVE},   {"hodo", 4, DOM_HODO},     {"vert", 4, DOM_XLOGP},
    {"xp", WHOLE, DOM_XP},     {"zoom", 4, DOM_ZOOM},     {"size", 4, DOM_SIZE},
    {"miss", WHOLE, DOM_NONE},
};

/// The name DOM_print writes for each kind that has one.
struct PrintedName {
    int kind;
    const char *name;
};
constexpr PrintedName PRINTED_NAMES[] = {
    {DOM_PSTEREO, "pstereo"}, {DOM_LATLON, "latlon"}, {DOM_MERC, "merc"},
    {DOM_LAMB, "lamb"},       {DOM_ORTHO, "ortho"},   {DOM_GNOM, "gnom"},
    {DOM_MOLL, "moll"},       {DOM_LAMBAZ, "lambaz"}, {DOM_SAT, "sat"},
    {DOM_XY, "xy"},           {DOM_XZ, "xz"},         {DOM_XLOGP, "xlogp"},
    {DOM_HODO, "hodo"},       {DOM_CAT, "cat"},       {DOM_XP, "xp"},
    {DOM_SKEWT, "skewt"},     {DOM_STUVE, "stuve"},   {DOM_EMA, "ema"},
    {DOM_TEPH, "teph"},       {DOM_RTEPH, "rteph"},   {DOM_ZOOM, "zoom"},
    {DOM_SIZE, "size"},       {DOM_PIXEL, "pixel"},
};

// ---------------------------------------------------------------------------------------------
// Layouts of domain strings, tried in order; the first that fits wins and its defaults follow.
// ---------------------------------------------------------------------------------------------

/// Defaults filled in after a layout fits.
enum Defaults : unsigned {
    D_NONE = 0,
    D_PROJ1 = 1,      // proj 1 (polar stereographic)
    D_COUNTS = 2,     // nx 25, ny 17
    D_DY_DX = 4,      // dy = dx
    D_SPACING = 8,    // dx = dy = 1.2
    D_PROJ_SIZE = 16, // by kind: size, zoom, others (proj,clat,clon)
};

struct Layout {
    const char *name;
    int fields[8];
    unsigned defaults;
    bool size_only;  // tried only when the first field is "size"
};

constexpr int P = DOM_F_PROJ, PLON = DOM_F_PLON, ST = DOM_F_STATION, LAT = DOM_F_CLAT,
              LON = DOM_F_CLON, NX = DOM_F_NX, NY = DOM_F_NY, DX = DOM_F_DX, DY = DOM_F_DY,
              REG = DOM_F_REGION;

constexpr Layout LAYOUTS[] = {
    {"proj,nx,ny", {P, NX, NY}, D_NONE, true},
    {"proj,plon,clat,clon,nx,ny,dx,dy", {P, PLON, LAT, LON, NX, NY, DX, DY}, D_NONE, false},
    {"proj,clat,clon,nx,ny,dx,dy", {P, LAT, LON, NX, NY, DX, DY}, D_NONE, false},
    {"proj,plon,clat,clon,dx,dy", {P, PLON, LAT, LON, DX, DY}, D_COUNTS, false},
    {"proj,clat,clon,nx,ny,dx", {P, LAT, LON, NX, NY, DX}, D_DY_DX, false},
    {"clat,clon,nx,ny,dx,dy", {LAT, LON, NX, NY, DX, DY}, D_PROJ1, false},
    {"proj,clat,clon,dx,dy", {P, LAT, LON, DX, DY}, D_COUNTS, false},
    {"clat,clon,nx,ny,dx", {LAT, LON, NX, NY, DX}, D_PROJ1 | D_DY_DX, false},
    {"proj,clat,clon,dx", {P, LAT, LON, DX}, D_COUNTS | D_DY_DX, false},
    {"clat,clon,nx,ny", {LAT, LON, NX, NY}, D_PROJ1 | D_SPACING, false},
    {"clat,clon,dx", {LAT, LON, DX}, D_PROJ1 | D_COUNTS | D_DY_DX, false},
    {"proj,clat,clon", {P, LAT, LON}, D_PROJ_SIZE, false},
    {"clat,clon", {LAT, LON}, D_PROJ1 | D_COUNTS | D_SPACING, false},
    {"station", {ST}, D_PROJ1 | D_COUNTS | D_SPACING, false},
    {"reg:REG", {REG}, D_NONE, false},
};

/// A float within int range truncated, else missing.
int truncated(float v)
{
    return std::isfinite(v) && std::fabs(v) < 2.0e9f && !VYK_is_miss(v) ? static_cast<int>(v)
                                                                         : VYK_MISS;
}

void apply_defaults(unsigned defaults, Domain *d)
{
    if (defaults & D_PROJ1) d->proj = DOM_PSTEREO;
    if (defaults & D_COUNTS) {
        d->nx = 25;
        d->ny = 17;
    }
    if (defaults & D_SPACING) d->dx = d->dy = 1.2f;
    if (defaults & D_DY_DX) d->dy = d->dx;
    if (defaults & D_PROJ_SIZE) {
        if (d->proj == DOM_SIZE) {
            d->nx = truncated(d->clat);
            d->ny = truncated(d->clon);
            d->clat = d->clon = VYK_MISS;
        } else {
            d->dx = d->dy = d->proj == DOM_ZOOM ? 1.0f : 1.2f;
            d->nx = 25;
            d->ny = 17;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Reading fields
// ---------------------------------------------------------------------------------------------

/// The decimal number at the start of text (blanks before it skipped, trailing text ignored):
/// true with the value, false when text does not begin with a finite number.
bool lead_double(const char *text, double &v, bool integer)
{
    const char *p = text;
    while (*p == ' ' || *p == '\t') p++;
    const char *start = p;
    if (*p == '+') start = ++p;
    else if (*p == '-') p++;
    const char *digits = p;
    while (*p >= '0' && *p <= '9') p++;
    bool any = p > digits;
    if (!integer && *p == '.') {
        p++;
        const char *frac = p;
        while (*p >= '0' && *p <= '9') p++;
        any = any || p > frac;
    }
    if (!any) return false;
    if (!integer && (*p == 'e' || *p == 'E')) {
        const char *q = p + 1;
        if (*q == '+' || *q == '-') q++;
        if (*q >= '0' && *q <= '9') {
            while (*q >= '0' && *q <= '9') q++;
            p = q;
        }
    }
    const auto r = std::from_chars(start, p, v);
    return r.ec == std::errc() && std::isfinite(v);
}

/// A float field: empty leaves the value missing; no leading number fails.
bool read_float(const char *text, float *out)
{
    if (*text == '\0') return true;
    double v;
    if (!lead_double(text, v, false) || std::fabs(v) > 3.0e38) return false;
    *out = static_cast<float>(v);
    return true;
}

bool read_int(const char *text, int *out)
{
    if (*text == '\0') return true;
    double v;
    if (!lead_double(text, v, true) || std::fabs(v) > 2147483647.0) return false;
    *out = static_cast<int>(v);
    return true;
}

/// The projection field: a name and ':'-separated parts: "e" (ellipsoid), plat, plon and up to
/// four parameters; a name and a single part after one ':' gives plon.  Empty parts stay
/// missing.
bool read_proj(const char *text, Domain *d)
{
    const char *colon = std::strchr(text, ':');
    const std::string name = colon ? std::string(text, static_cast<size_t>(colon - text)) : text;
    const int kind = DOM_proj_str(name.c_str());
    if (kind == DOM_UNKNOWN) return false;
    d->proj = kind;
    if (colon == nullptr) return true;

    std::vector<std::string> parts;
    int colons = 0;
    for (const char *p = colon; *p == ':';) {
        colons++;
        const char *q = std::strchr(p + 1, ':');
        const char *end = q ? q : p + 1 + std::strlen(p + 1);
        parts.emplace_back(p + 1, static_cast<size_t>(end - p - 1));
        if (q == nullptr) break;
        p = q;
    }
    while (!parts.empty() && parts.back().empty()) parts.pop_back();

    size_t k = 0;
    if (!parts.empty() && parts[0] == "e") {
        d->ellipse = 1;
        k = 1;
    }
    if (k == 0 && parts.size() == 1 && colons == 1) return read_float(parts[0].c_str(), &d->plon);
    float *slots[] = {&d->plat, &d->plon, &d->param[0], &d->param[1], &d->param[2], &d->param[3]};
    for (float *slot : slots) {
        if (k >= parts.size()) break;
        if (!read_float(parts[k++].c_str(), slot)) return false;
    }
    return true;
}

/// "id:" followed by a station identifier, or by a station file, ':' and an identifier.
bool read_station(const char *text, Domain *d)
{
    if (strnicmp(text, "id:", 3) != 0) return false;
    const char *rest = text + 3;
    const char *colon = std::strchr(rest, ':');
    std::string file = DEFAULT_CITY_FILE;
    if (colon != nullptr) {
        file.assign(rest, static_cast<size_t>(colon - rest));
        rest = colon + 1;
        if (!dom_file_name_ok(file.c_str())) return false;
    }
    if (*rest == '\0') return false;
    float lat = VYK_MISS, lon = VYK_MISS;
    if (CTY_get_loc(file.c_str(), rest, &lat, &lon) != 1) return false;
    d->clat = lat;
    d->clon = lon;
    return true;
}

bool read_field(int kind, const char *text, Domain *d)
{
    switch (kind) {
    case DOM_F_PROJ: return read_proj(text, d);
    case DOM_F_PLON: return read_float(text, &d->plon);
    case DOM_F_STATION: return read_station(text, d);
    case DOM_F_CLAT: return read_float(text, &d->clat);
    case DOM_F_CLON: return read_float(text, &d->clon);
    case DOM_F_NX: return read_int(text, &d->nx);
    case DOM_F_NY: return read_int(text, &d->ny);
    case DOM_F_DX: return read_float(text, &d->dx);
    case DOM_F_DY: return read_float(text, &d->dy);
    case DOM_F_REGION:
        switch (dom_read_region(text, d)) {
        case RegionField::domain: return true;
        case RegionField::menu_only: state.no_domain = true; return true;
        case RegionField::failed: return false;
        }
        return false;
    default: return false;
    }
}

/// The text as the file-name key 'r': no directory separators or control characters.
void set_region_key(const char *str)
{
    char key[FILE_KEY_MAX + 1];
    size_t n = 0;
    for (; str[n] != '\0' && n < sizeof key - 1; n++) {
        const unsigned char c = static_cast<unsigned char>(str[n]);
        key[n] = c == '/' || c == '\\' || c < 0x20 || c >= 0x7f ? '_' : static_cast<char>(c);
    }
    key[n] = '\0';
    FILE_set_key('r', key);
}

/// Counts DOM_decode calls in progress for as long as it lives.
struct DepthGuard {
    DepthGuard() { state.depth++; }
    ~DepthGuard() { state.depth--; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;
};

/// Tries the layouts in order; the result of the first that fits, or -1.
int decode_fields(int count, char **fields, Domain *domain)
{
    for (const Layout &l : LAYOUTS) {
        if (l.size_only && stricmp(fields[0], "size") != 0) continue;
        if (DOM_set_params(count, fields, domain, l.fields[0], l.fields[1], l.fields[2],
                           l.fields[3], l.fields[4], l.fields[5], l.fields[6], l.fields[7]) != 0)
            continue;
        apply_defaults(l.defaults, domain);
        MESS_print(M_DEBUG_C, "%2d %s\n", 0, l.name);
        return l.fields[0] == DOM_F_REGION ? DOM_REGION : DOM_DOMAIN;
    }
    return DOM_INVALID;
}

}  // namespace

int DOM_init(Domain *domain)
{
    if (domain == nullptr) return -1;
    *domain = Domain{VYK_MISS, VYK_MISS, VYK_MISS, {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS},
                     VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0};
    return 0;
}

namespace {

/// The poles agree: equal, or one missing and the other equal to its domain's centre.
bool pole_agrees(float p1, float c1, float p2, float c2)
{
    return (VYK_is_miss(p1) && p2 == c1) || (VYK_is_miss(p2) && p1 == c2) || p1 == p2;
}

bool same_projection(const Domain *a, const Domain *b)
{
    if (a->proj != b->proj || a->ellipse != b->ellipse) return false;
    if (!pole_agrees(a->plat, a->clat, b->plat, b->clat)) return false;
    if (!pole_agrees(a->plon, a->clon, b->plon, b->clon)) return false;
    for (int k = 0; k < 5; k++)
        if (a->param[k] != b->param[k]) return false;
    return true;
}

}  // namespace

int DOM_comp(const Domain *dom1, const Domain *dom2)
{
    if (dom1 == nullptr || dom2 == nullptr) return 0;
    return same_projection(dom1, dom2) && dom1->clat == dom2->clat && dom1->clon == dom2->clon &&
                   dom1->dx == dom2->dx && dom1->dy == dom2->dy && dom1->nx == dom2->nx &&
                   dom1->ny == dom2->ny
               ? 1
               : 0;
}

int DOM_comp_proj(const Domain *dom1, const Domain *dom2)
{
    if (dom1 == nullptr || dom2 == nullptr) return 0;
    return same_projection(dom1, dom2) ? 1 : 0;
}

float DOM_aspect(const Domain *domain)
{
    if (domain == nullptr || domain->nx <= 1 || domain->ny <= 1) return 1.0f;
    return static_cast<float>((domain->nx - 1.0) / (domain->ny - 1.0));
}

int DOM_proj_str(const char *proj)
{
    if (proj == nullptr) return DOM_UNKNOWN;
    for (const ProjName &p : PROJ_NAMES) {
        const int len = p.len == WHOLE ? static_cast<int>(std::strlen(p.text)) + 1 : p.len;
        if (strnicmp(proj, p.text, len) == 0) return p.kind;
    }
    return DOM_UNKNOWN;
}

const char *DOM_proj_name(int proj)
{
    for (const PrintedName &p : PRINTED_NAMES)
        if (p.kind == proj) return p.name;
    return "";
}

int DOM_set_params(int paramc, char **paramv, Domain *domain, int i1, int i2, int i3, int i4,
                   int i5, int i6, int i7, int i8)
{
    if (domain == nullptr || paramv == nullptr || paramc < 1) return -1;
    const int given[8] = {i1, i2, i3, i4, i5, i6, i7, i8};
    int kinds[8];
    int count = 0;
    for (int k = 0; k < 8 && given[k] != DOM_F_END; k++) {
        // One station field stands for the pair clat,clon.
        if (given[k] == DOM_F_CLAT && count < paramc && strnicmp(paramv[count], "id:", 3) == 0) {
            kinds[count++] = DOM_F_STATION;
            if (k + 1 < 8 && given[k + 1] == DOM_F_CLON) k++;
            continue;
        }
        kinds[count++] = given[k];
    }
    if (count != paramc) return -1;
    DOM_init(domain);
    if (stricmp(paramv[0], "miss") == 0 || stricmp(paramv[0], "none") == 0) return 0;
    for (int k = 0; k < count; k++)
        if (!read_field(kinds[k], paramv[k], domain)) return kinds[k];
    return 0;
}

int DOM_decode(const char *str, Domain *domain)
{
    if (domain == nullptr) return DOM_INVALID;
    DOM_init(domain);
    if (str == nullptr || *str == '\0' || stricmp(str, "miss") == 0) return DOM_NONE;
    if (state.depth >= DOM_MAX_DEPTH) {
        MESS_print(M_WARN, "DOM_decode: Invalid domain: regions nested deeper than %d\n",
                   DOM_MAX_DEPTH);
        return DOM_INVALID;
    }
    DepthGuard guard;

    int count = 0;
    char **fields = nullptr;
    if (parse_string(str, ',', &count, &fields) != 0) return DOM_INVALID;
    MESS_print(M_DEBUG_C, "******** PARSING DOMAIN: %d %s\n", count, str);
    state.no_domain = false;
    int result = decode_fields(count, fields, domain);
    free_parsed_array(count, fields);

    if (state.no_domain) {
        // A region file loaded as the menu: no domain, nothing else changes.
        state.no_domain = false;
        DOM_init(domain);
        return DOM_NONE;
    }
    if (result == DOM_INVALID && state.depth == 1)
        MESS_print(M_WARN, "DOM_decode: Invalid plot domain\n");
    FLAG_set(FLAG_REGION, result);
    set_region_key(str);
    DOM_set_base_prior(static_cast<float>((domain->ny - 1.0) * domain->dy));
    return result;
}

int DOM_print(M_type level, const Domain *domain)
{
    if (domain == nullptr || !MESS_check(level)) return 0;
    std::string line = DOM_proj_name(domain->proj);
    if (domain->ellipse == 1) line += ":e";
    char buf[200];
    const float poles[] = {domain->plat, domain->plon, domain->param[0], domain->param[1],
                           domain->param[2]};
    for (float v : poles) {
        if (VYK_is_miss(v)) {
            line += ':';
        } else {
            std::snprintf(buf, sizeof buf, ":%3.3f", v);
            line += buf;
        }
    }
    std::snprintf(buf, sizeof buf, ",%3.3f,%3.3f,%d,%d,%4.4f,%4.4f\n", domain->clat, domain->clon,
                  domain->nx, domain->ny, domain->dx, domain->dy);
    line += buf;
    MESS_print(level, "%s", line.c_str());
    return 0;
}

int DOM_set_base_prior(float size)
{
    int prior = size > 50.0f ? 1 : size > 25.0f ? 2 : size > 12.5f ? 3 : size > 6.25f ? 4
                : size > 3.0f ? 5 : 6;
    const char *adjust = RES_get("stat_prior");
    if (adjust != nullptr) {
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (adjust[0] == '+' && digit(adjust[1])) prior += adjust[1] - '0';
        else if (adjust[0] == '-' && digit(adjust[1])) prior -= adjust[1] - '0';
        else if (digit(adjust[0])) prior = adjust[0] - '0';
    }
    state.priority = prior;
    return 0;
}

int DOM_set_prior(int prior)
{
    state.priority = prior;
    return 0;
}

int DOM_get_prior() { return state.priority; }

int DOM_set_loc_prior(int prior)
{
    state.loc_prior = prior;
    return 0;
}

int DOM_get_loc_prior() { return state.loc_prior; }

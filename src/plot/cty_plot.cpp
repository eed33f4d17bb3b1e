// The station plot: the stations of the database drawn as labelled points over the current map,
// chosen by the station priority of the plot and the `identifier` entries.  An entry may carry,
// after its first ':', a label part for the first station it selects: a label, or
// "lat:lon:label" that moves that station (each part given replaces the station's own); a
// label part that no station took draws a point of its own when it holds a position.
//
// Labels come from the file and from the user's entries: each is cut to the datum's text field,
// and '_' stands for a blank.  A station's datum carries its priority as value, so that the
// point plotter's colouring by value (explicit levels, an interval) colours the stations by
// priority instead of leaving out datums without a value.  A position whose numbers do not read, or that gives a latitude
// without a longitude, moves nothing and draws no point of its own.
#include "vyk.h"
#include "cont.h"
#include "cty.h"
#include "dom.h"
#include "vykgks.h"
#include "map.h"
#include "vykrawplot.h"
#include "vykvar.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char *DEFAULT_COLOR = "green";
constexpr float FILL_BASE = 0.5f;      // with colour filling each priority gets its own band
constexpr float FILL_INTERVAL = 1.0f;
constexpr int MARKER_TEXT = 5;          // "mark=" and the marker word
constexpr int NZERO_TEXT = 6;           // "nzero=" and a number

/// The label of a station when none is given.
enum Output { OUT_ID = 0, OUT_WMO = 1, OUT_NUM = 2, OUT_ID_WORD = 3 };

/// Station-plot options: set by the plot_param words and kept for later plots.
struct State {
    int marker = 0;      // marker type drawn at the stations (0: their labels)
    int output = OUT_ID; // the label kind
    int nzero = 0;       // non-zero: stations whose num is 0 are left out
    bool fill = false;   // stations coloured by priority
};

State st;

// ---------------------------------------------------------------------------------------------
// Plot parameters
// ---------------------------------------------------------------------------------------------

// A whole text as a finite number.
bool read_number(const std::string &text, float &out)
{
    if (text.empty()) return false;
    char *end;
    errno = 0;
    const float v = std::strtof(text.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    out = v;
    return true;
}

void set_marker(const char *word)
{
    const int marker = std::strlen(word) > MARKER_TEXT ? ATTR_parse_marker(word + MARKER_TEXT) : 0;
    if (marker > 0) st.marker = marker;
}

void set_wmo(const char *) { st.output = OUT_WMO; }
void set_num(const char *) { st.output = OUT_NUM; }
void set_id(const char *) { st.output = OUT_ID_WORD; }

void set_nzero(const char *word)
{
    if (std::strlen(word) <= NZERO_TEXT) {
        st.nzero = 1;
        return;
    }
    char *end;
    errno = 0;
    const long v = std::strtol(word + NZERO_TEXT, &end, 10);
    if (end == word + NZERO_TEXT || *end != '\0' || errno == ERANGE || v < 0 || v > 2147483647L) {
        MESS_print(M_WARN, "CTY_plot_param: Unable to read: %s\n", word);
        return;
    }
    st.nzero = static_cast<int>(v);
}

/// The station-plot words of plot_param, by prefix in this order.
struct ParamWord {
    const char *prefix;
    void (*apply)(const char *word);
};
constexpr ParamWord PARAM_WORDS[] = {
    {"mark", set_marker}, {"wmo", set_wmo}, {"num", set_num}, {"id", set_id}, {"nzero", set_nzero},
};

void apply_word(const char *word)
{
    for (const ParamWord &w : PARAM_WORDS)
        if (strnicmp(word, w.prefix, static_cast<int>(std::strlen(w.prefix))) == 0) {
            w.apply(word);
            return;
        }
}

// ---------------------------------------------------------------------------------------------
// Entries and their label parts
// ---------------------------------------------------------------------------------------------

/// A label part as read.
struct LabelPart {
    bool position = false;       // it begins with a number: "lat[:lon[:label]]"
    bool readable = true;        // every number of the position reads
    bool has_lat = false, has_lon = false, has_label = false;
    float lat = 0, lon = 0;
    std::string label;
};

/// One `identifier` entry: the pattern before its first ':', the label part after it.
struct Entry {
    std::string pattern;
    bool has_part = false;
    bool used = false;  // a label part serves the first station its entry selects
    LabelPart part;
};

bool begins_with_number(const std::string &text)
{
    if (text.empty()) return false;
    const char c = text[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

LabelPart read_part(const std::string &text)
{
    LabelPart s;
    if (!begins_with_number(text)) {
        s.has_label = true;
        s.label = text;
        return s;
    }
    s.position = true;
    const size_t c1 = text.find(':');
    s.has_lat = read_number(text.substr(0, c1), s.lat);
    s.readable = s.has_lat;
    if (c1 == std::string::npos) return s;
    const size_t c2 = text.find(':', c1 + 1);
    s.has_lon = read_number(text.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1), s.lon);
    s.readable = s.readable && s.has_lon;
    if (c2 != std::string::npos) {
        s.has_label = true;
        s.label = text.substr(c2 + 1);
    }
    return s;
}

std::vector<Entry> read_entries()
{
    int n = 0;
    char **ids = nullptr;
    RES_getvals("identifier", &n, &ids);
    std::vector<Entry> entries;
    for (int k = 0; k < n; k++) {
        const std::string text = ids[k] ? ids[k] : "";
        Entry e;
        const size_t colon = text.find(':');
        e.pattern = text.substr(0, colon);
        if (colon != std::string::npos && colon + 1 < text.size()) {
            e.has_part = true;
            e.part = read_part(text.substr(colon + 1));
            if (!e.part.readable)
                MESS_print(M_WARN, "CTY_plot: Unable to read the position of: %s\n", text.c_str());
        }
        entries.push_back(e);
    }
    free_parsed_array(n, ids);
    return entries;
}

/// A label into the datum's text, cut to the field, '_' standing for a blank.
void set_label(RAW_data &datum, const char *label)
{
    strfcpy(datum.data, label);
    fill_string(datum.data, '_', ' ');
}

/// The label of a station by the label kind.
void default_label(RAW_data &datum, const CTY_data &city)
{
    char text[RAW_DATUM_DATA_LEN];
    if (st.output == OUT_WMO) std::snprintf(text, sizeof text, "%5.5d", city.wmo);
    else if (st.output == OUT_NUM) std::snprintf(text, sizeof text, "%d", city.num);
    else strfcpy(text, city.id);
    set_label(datum, text);
}

/// Applies an unused label part of the station's entry to the station and its datum: true
/// when it gave the label.
bool apply_part(Entry &e, CTY_data &city, RAW_data &datum)
{
    if (!e.has_part || e.used) return false;
    e.used = true;
    const LabelPart &s = e.part;
    if (s.position && !s.readable) return false;
    if (s.has_lat) city.lat = s.lat;
    if (s.has_lon) city.lon = s.lon;
    if (!s.has_label) return false;
    set_label(datum, s.label.c_str());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

/// What one plot shares while it reads the stations.
struct Plot {
    std::vector<Entry> entries;
    std::vector<char *> patterns;  // the entries' patterns, for CTY_data_cmp
    int prior = 0;
    Gattribs last_attr{};          // the attributes and value of the last station drawn
    float last_value = VYK_MISS;
};

/// Prepares the point plotter for the stations: false when nothing is to be drawn.
bool set_up_drawing()
{
    Gattribs attr;
    ATTRIB_init(&attr);
    ATTRIB_get("color_data", DEFAULT_COLOR, &attr);
    float scale = 1;
    if (!RES_getval("plot_scale", &scale, CV_float) || !std::isfinite(scale) || scale <= 0) scale = 1;
    if (RES_get("color_fill")) st.fill = true;
    if (RAW_plot_init(&attr, scale) != 0) return false;
    if (st.fill) {
        CONT_set_fill_colors(nullptr, 0);
        CONT_set_base(FILL_BASE);
        CONT_set_intrvl(FILL_INTERVAL);
    }
    if (st.marker != 0) RAW_set_marker(st.marker);
    return true;
}

/// Draws one station read from the file, when the plot keeps it.
void plot_station(Plot &p, CTY_data &city)
{
    if (city.prior > p.prior) return;
    if (st.nzero != 0 && city.num == 0) return;
    RAW_data datum;
    datum.type = VAR_T_DATA;
    RAW_data_init(&datum);
    bool labelled = false;
    if (!p.entries.empty()) {
        const int k = CTY_data_cmp(static_cast<int>(p.patterns.size()), p.patterns.data(), &city);
        if (k < 0) return;
        labelled = apply_part(p.entries[static_cast<size_t>(k)], city, datum);
    }
    MAP_tran(city.lat, city.lon, &datum.x, &datum.y);
    if (VYK_is_miss(datum.x) || VYK_is_miss(datum.y)) return;
    datum.value[0] = static_cast<float>(city.prior);
    if (st.fill) CONT_get_fill_attrib(datum.value[0], &datum.attr);
    if (!labelled) default_label(datum, city);
    if (RAW_plot_data(&datum) == 0) {
        p.last_attr = datum.attr;
        p.last_value = datum.value[0];
    }
}

/// The label parts that no station took and that hold a whole position, as points of their own.
void plot_extra_points(const Plot &p)
{
    for (const Entry &e : p.entries) {
        if (!e.has_part || e.used) continue;
        const LabelPart &s = e.part;
        if (!s.position || !s.readable) continue;
        if (!s.has_lon) {
            MESS_print(M_WARN, "CTY_plot: No longitude for the point of: %s\n", e.pattern.c_str());
            continue;
        }
        RAW_data datum;
        datum.type = VAR_T_DATA;
        RAW_data_init(&datum);
        datum.attr = p.last_attr;
        datum.value[0] = p.last_value;
        MAP_tran(s.lat, s.lon, &datum.x, &datum.y);
        if (VYK_is_miss(datum.x) || VYK_is_miss(datum.y)) continue;
        set_label(datum, s.has_label ? s.label.c_str() : e.pattern.c_str());
        RAW_plot_data(&datum);
    }
}

}  // namespace

int CTY_plot_param()
{
    int n = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &n, &words);
    for (int k = 0; k < n; k++)
        if (words[k]) apply_word(words[k]);
    free_parsed_array(n, words);
    return 0;
}

int CTY_plot()
{
    int num_stats = 0;
    const int fd = CTY_open_file(nullptr, &num_stats);
    if (fd < 0) return 0;
    CTY_plot_param();
    Plot p;
    p.entries = read_entries();
    for (Entry &e : p.entries) p.patterns.push_back(e.pattern.data());
    p.prior = DOM_get_prior();
    ATTRIB_init(&p.last_attr);
    if (!set_up_drawing()) {
        CTY_close(fd);
        return 0;
    }
    CTY_data city;
    CTY_data_init(&city);
    CTY_rewind(fd);
    while (CTY_read(fd, &city) > 0) plot_station(p, city);
    CTY_close(fd);
    plot_extra_points(p);
    return 0;
}

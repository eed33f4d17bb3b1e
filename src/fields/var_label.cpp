// var_label.cpp: time, level and variable codes written as the short texts of file keys and
// listings and as the long texts of plot labels.  How much a label says depends on the plot's
// label type: types -1 to 1 write the time statistic and the level before the variable, types
// below 0 the variable's abbreviation instead of its description, types above 0 the slot's
// format after it.
#include "var_internal.h"
#include "plt_label.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using std::optional;
using std::string;

string fmt(const char *format, ...) __attribute__((format(printf, 1, 2)));
string fmt(const char *format, ...)
{
    char buf[128];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    return buf;
}

char *put(char *str, size_t size, const string &text)
{
    if (str && size > 0) strfcpy(str, size, text.c_str());
    return str;
}

const char *stat_word(int stat)
{
    switch (stat) {
    case 2: return "rng ";
    case 3: return "avg ";
    case 4: return "acc ";
    case 5: return "dif ";
    case 6: return "max ";
    case 7: return "min ";
    case 13: return "iavg ";
    case 18: return "var ";
    case 23: return "uavg ";
    default: return "";
    }
}

/// The pieces of a time code: statistic, start P1, end P2 and the length N of its range.
struct TimeCode {
    int stat, p1, p2, n;
    explicit TimeCode(int time)
        : stat(time / 1000000), p1(time % 1000000 / 1000), p2(time % 1000),
          n(stat <= 9 ? std::abs(p2 - p1) : p2)
    {
    }
};

struct NamedText {
    int type;
    const char *brief;  // VAR_level
    const char *full;   // VAR_make_datalevel
};

constexpr NamedText NAMED[] = {
    {2, "cld_bot", "Cloud base"},
    {3, "cld_top", "Cloud top"},
    {4, "frz", "Frz level"},
    {5, "lcl", "LCL"},
    {6, "mwnd", "Max wind"},
    {7, "trop", "Tropopause"},
    {8, "top", "Top"},
    {102, "sl", "Sea level"},
    {200, "whole", "Whole atms"},
    {204, "top_frz", "Top frz level"},
    {206, "gscld_bot", "Grid cld bot lvl"},
    {207, "gscld_top", "Grid cld top lvl"},
    {209, "blcld_bot", "Bound lyr cld bot"},
    {210, "blcld_top", "Bound lyr cld top"},
    {211, "blcld_lyr", "Bound lyr cld lyr"},
    {212, "lcld_bot", "Low cld bot lvl"},
    {213, "lcld_top", "Low cld top lvl"},
    {214, "lcld_lyr", "Low cld lyr"},
    {215, "cld_ceil", "Cld ceiling"},
    {222, "mcld_bot", "Mid cld bot lvl"},
    {223, "mcld_top", "Mid cld top lvl"},
    {224, "mcld_lyr", "Mid cld lyr"},
    {232, "hcld_bot", "High cld bot lvl"},
    {233, "hcld_top", "High cld top lvl"},
    {234, "hcld_lyr", "High cld lyr"},
    {242, "conv_bot", "Conv cld bot lvl"},
    {243, "conv_top", "Conv cld top lvl"},
    {244, "conv_lyr", "Conv cld lyr"},
    {245, "wbzero", "Wet bulb zero lvl"},
    {246, "maxepot", "Max eq pot temp lvl"},
    {247, "equilib", "Equilibrium lvl"},
    {248, "sccld_bot", "Shal Conv cld bot lvl"},
    {249, "sccld_top", "Shal Conv cld top lvl"},
    {251, "dccld_bot", "Deep Conv cld bot lvl"},
    {252, "dccld_top", "Deep Conv cld top lvl"},
    {253, "sclw_bot", "Supercool liq wat bot"},
    {254, "sclw_top", "Supercool liq wat top"},
};

const NamedText *named(int ltype)
{
    for (const NamedText &n : NAMED)
        if (n.type == ltype) return &n;
    return nullptr;
}

// Markers in the units part of a layer, as written.
constexpr int SFC_BOTTOM = 1900, SFC_OFFSET = 2000, TROP_BOTTOM = 1950;
constexpr int TROP_ABOVE = 995, TROP_BELOW = 996;

/// The short level text; nothing for a level type without one (the caller's text stays).
optional<string> brief_level(int ltype, int level)
{
    const int t = level / 1000, b = level % 1000;
    switch (ltype) {
    case 0:
    case 9:
    case 10: return "";
    case 1:
        if (level > SFC_OFFSET) return fmt("sfc[%d]", level - SFC_OFFSET);
        if (level >= 1) return fmt("sfc[%d]", level);
        return "sfc";
    case 100: return fmt("%dmb", level);
    case 101: {
        if (level <= 1000) return "";
        const int bottom = 10 * b, top = 10 * t;
        if (bottom == SFC_BOTTOM || bottom == SFC_OFFSET) return fmt("sfc-%dmb", top);
        if (bottom > SFC_OFFSET) return fmt("sfc[%d]-%dmb", bottom - SFC_OFFSET, top);
        return fmt("%d-%dmb", top, bottom);
    }
    case 103: return fmt("%dm", level);
    case 105: return fmt("%dm_ag", level);
    case 104: return fmt("%d-%dm", 100 * b, 100 * t);
    case 106: return fmt("%d-%dm_ag", 100 * b, 100 * t);
    case 107: return fmt("%3.2fsig", level / 10000.0);
    case 119: return fmt("%3.2feta", level / 10000.0);
    case 108: return fmt("%3.2f-%3.2fsig", b / 100.0, t / 100.0);
    case 120: return fmt("%3.2f-%3.2feta", b / 100.0, t / 100.0);
    case 109: return fmt("%dlev", level);
    case 111: return fmt("%dcm_bg", level);
    case 112: return fmt("%d-%dcm_bg", b, t);
    case 113: return fmt("%dK", level);
    case 114: return fmt("%3.0f-%3.0fK", static_cast<double>(b), static_cast<double>(t));
    case 115: return fmt("%dmb_ag", level);
    case 116: return fmt("%d-%dmb_ag", b, t);
    case 117: return fmt("%d*10^-6Km2/kgs", level);
    default: break;
    }
    if (const NamedText *n = named(ltype)) return string(n->brief);
    if (ltype > 0) MESS_print(M_WARN, "VAR_make_datatype: no ltype: %d\n", ltype);
    return std::nullopt;
}

/// The long level text of a label.
string full_level(int ltype, int level)
{
    const int t = level / 1000, b = level % 1000;
    switch (ltype) {
    case 0:
    case 9:
    case 10: return "";
    case 1:
        if (level > SFC_OFFSET) return fmt("Surface[%d]", level - SFC_OFFSET);
        if (level >= 1) return fmt("Surface[%d]", level);
        return "Surface";
    case 100: return fmt("%d mb", level);
    case 101: {
        if (level == 510) return "1000-500 mb";
        if (level == 508) return "850-500 mb";
        if (level == 599) return "SFC-500 mb";
        if (level <= 1000) return "";
        const int bottom = 10 * b, top = 10 * t;
        if (bottom == SFC_BOTTOM || bottom == SFC_OFFSET) return fmt("sfc-%d mb", top);
        if (bottom == TROP_BOTTOM) return fmt("trop-%d mb", top);
        if (bottom > SFC_OFFSET) return fmt("sfc[%d]-%d mb", bottom - SFC_OFFSET, top);
        return fmt("%d-%d mb", bottom, top);
    }
    case 103: return fmt("%d m", level);
    case 105: return fmt("%d m AG", level);
    case 104:
        if (b == TROP_ABOVE) return fmt("trop+%d m", 100 * t);
        if (b == TROP_BELOW) return fmt("trop-%d m", 100 * t);
        return fmt("%d-%d m", 100 * b, 100 * t);
    case 106: return fmt("%d-%d m AG", 100 * b, 100 * t);
    case 107: return fmt("%3.2f sigma", level / 10000.0);
    case 119: return fmt("%3.2f Eta", level / 10000.0);
    case 108: return fmt("%3.2f-%3.2f sigma", b / 100.0, t / 100.0);
    case 120: return fmt("%3.2f-%3.2f Eta", b / 100.0, t / 100.0);
    case 109: return fmt("%d lev", level);
    case 111: return fmt("%d cm BG", level);
    case 112: return fmt("%d-%d cm BG", b, t);
    case 113: return fmt("%d K", level);
    case 114: return fmt("%3.0f-%3.0f K", static_cast<double>(b), static_cast<double>(t));
    case 115: return fmt("%d mb AG", level);
    case 116: return fmt("%d-%d mb AG", b, t);
    case 117: return fmt("%d*10^-6 Km2/kgs", level);
    case 102:
    default: break;
    }
    if (const NamedText *n = named(ltype)) return n->full;
    if (ltype > 0) MESS_print(M_WARN, "VAR_make_datatype: no ltype: %d\n", ltype);
    return "";
}

/// The time statistic and level of a label.
string data_level(int time, int ltype, int level)
{
    string text;
    const TimeCode tc(time);
    if (tc.stat > 1) {
        const char *unit = tc.p2 < 800 ? "%d hour " : tc.p2 < 900 ? "%d day " : "%d month ";
        text = fmt(unit, tc.n);
        text += stat_word(tc.stat);
    }
    return text + full_level(ltype, level);
}

bool with_level(int lab_type) { return lab_type >= -1 && lab_type <= 1; }

string data_type(int time, int ltype, int level, int variable, const char *units)
{
    string text;
    if (with_level(PLT_get_label_type())) {
        text = data_level(time, ltype, level);
        if (!text.empty()) text += ' ';
    }
    char var[VAR_LABEL_LEN];
    return text + VAR_str(var, variable, units);
}

string form_data_type(const VAR_data &d)
{
    string text = data_type(d.time, d.ltype, d.level, d.var[0], d.units);
    if (d.format[0] && PLT_get_label_type() > 0) text += string(" - ") + d.format;
    return text;
}

}  // namespace

char *VAR_time(char *str, size_t size, int time)
{
    if (time == VYK_MISS) return put(str, size, "miss");
    const TimeCode tc(time);
    if (tc.stat < 2) return put(str, size, tc.p2 == 0 ? string("init") : fmt("%dhr", tc.p2));
    return put(str, size, fmt("%dhr-%d", tc.p2, tc.n) + stat_word(tc.stat));
}

char *VAR_level(char *str, size_t size, int ltype, int level)
{
    const optional<string> text = brief_level(ltype, level);
    return text ? put(str, size, *text) : str;
}

int VAR_make_datalevel(int time, int ltype, int level, char *str, size_t size)
{
    put(str, size, data_level(time, ltype, level));
    return 0;
}

int VAR_make_datatype(int time, int ltype, int level, int variable, const char *units, char *str,
                      size_t size)
{
    put(str, size, data_type(time, ltype, level, variable, units));
    return 0;
}

int VAR_make_var_datatype(int ind, char *str, size_t size)
{
    const VAR_data *d = VAR_get_var(ind);
    put(str, size, data_type(d->time, d->ltype, d->level, d->var[0], d->units));
    return 0;
}

int VAR_make_var_form_datatype(int ind, char *str, size_t size)
{
    put(str, size, form_data_type(*VAR_get_var(ind)));
    return 0;
}

int VAR_make_vardata_form_datatype(const VAR_data *var, char *str, size_t size)
{
    if (var) put(str, size, form_data_type(*var));
    return 0;
}

int VAR_make_devtype(int time, int ltype, int level, const char *variable, const char *units,
                     char *str, size_t size)
{
    string text;
    if (with_level(PLT_get_label_type())) {
        text = data_level(time, ltype, level);
        if (!text.empty()) text += ' ';
    }
    text += string(variable ? variable : "") + " (" + (units ? units : "") + ")";
    put(str, size, text);
    return 0;
}

int VAR_print_info(M_type lev, const VAR_data *data)
{
    if (!data) return 0;
    const string text = data_type(data->time, data->ltype, data->level, data->var[0], data->units);
    MESS_print(lev, "%s\n", text.c_str());
    return 0;
}

int VAR_param_decode()
{
    int count = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &count, &words);
    static const struct {
        const char *word;
        int type;
    } types[] = {{"labm", PLT_LABEL_MIN},
                 {"labs", PLT_LABEL_SIMPLE},
                 {"labn", PLT_LABEL_NORMAL},
                 {"labc", PLT_LABEL_COMPLETE}};
    for (int i = 0; i < count; i++)
        for (const auto &t : types)
            if (strnicmp(words[i], t.word, 4) == 0) PLT_set_label_type(t.type);
    free_parsed_array(count, words);
    return 0;
}

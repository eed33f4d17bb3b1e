// therm_raw.cpp: the current sounding as a point-data ("DADODU") file.  The file is a pressure-
// level point-data file (its second field is "P"), so the point-data reader hands back each
// row's label, its pressure and its values by column; the rows of the temperature sounding
// come first, the wind sounding begins at the row labelled "WIND", and "TROP" and "MWND" rows
// carry the special levels.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_report.h"
#include "therm_raw.h"
#include "upa_load.h"
#include "dadodu.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr float MISS = VYK_MISS;
constexpr const char *FIELD_LINE = " Lev   P     H     T     Td    Dir Spd $\n";
constexpr size_t LABEL_DATE_LEN = 30;  // the date label: 29 characters
constexpr size_t ID_LEN = 20;          // the identifier: 19 characters
constexpr int SECTION_MAX = UPA_MAX_LEVELS;

// Value columns of a row (their index in the field line).
enum { COL_H = 2, COL_T = 3, COL_TD = 4, COL_DIR = 5, COL_SPD = 6 };

bool has(float v) { return !VYK_is_miss(v); }

/// One row: its label, then P H T Td Dir Spd, a dash for a missing value but the pressure.
void put_row(FILE *fp, const char *label, const UPA_level &l)
{
    std::fprintf(fp, "%s%4.0f ", label, static_cast<double>(l.p));
    if (has(l.h)) std::fprintf(fp, "%5.0f ", static_cast<double>(l.h));
    else std::fputs("    - ", fp);
    if (has(l.t)) std::fprintf(fp, " %5.1f ", static_cast<double>(l.t));
    else std::fputs("     - ", fp);
    if (has(l.td)) std::fprintf(fp, "%5.1f ", static_cast<double>(l.td));
    else std::fputs("    - ", fp);
    if (has(l.dir)) std::fprintf(fp, "%4.0f ", static_cast<double>(l.dir));
    else std::fputs("   - ", fp);
    if (has(l.spd)) std::fprintf(fp, "%3.0f", static_cast<double>(l.spd));
    else std::fputs("  - ", fp);
    std::fputc('\n', fp);
}

/// The naming convention of the output: "upa_snd", or the last out_file word that names one.
void select_convention()
{
    FILE_set_name("upa_snd");
    int num = 0;
    char **words = nullptr;
    RES_getvals("out_file", &num, &words);
    for (int i = 0; i < num; i++) {
        const char *w = words[i];
        if (strnicmp(w, "gif", 3) == 0) continue;
        if (strnicmp(w, "raw", 3) == 0) FILE_set_name(std::strlen(w) > 4 ? w + 4 : "upa_snd");
        else FILE_set_name(w);
    }
    free_parsed_array(num, words);
}

void write_rows(FILE *fp)
{
    UPA_level *sm = THERM_get_SM(), *wm = THERM_get_WM();
    const int sm_num = THERM_get_SM_num(), wm_num = THERM_get_WM_num();
    UPA_calc_wind(sm, sm_num, wm, wm_num);  // the current sounding keeps the filled winds
    const float sfc_p = THERM_get_sfc()->p;
    char label[16];
    for (int i = 0; i < sm_num; i++) {
        if (sm[i].p == sfc_p) strfcpy(label, " SFC ");
        else std::snprintf(label, sizeof label, "%4d ", i);
        put_row(fp, label, sm[i]);
    }
    for (int i = 0; i < wm_num; i++) {
        if (i == 0) strfcpy(label, "WIND ");
        else std::snprintf(label, sizeof label, "%4d ", i);
        put_row(fp, label, wm[i]);
    }
    if (has(THERM_get_trop()->p)) put_row(fp, "TROP ", *THERM_get_trop());
    if (has(THERM_get_mwnd()->p)) put_row(fp, "MWND ", *THERM_get_mwnd());
    std::fputc('\n', fp);
}

/// Where the rows of a file go while it is read.
struct Reading {
    UPA_level *sm, *wm;
    int sm_num = 0, wm_num = 0;
    bool wind = false;     // the wind section has begun
    bool cut = false;      // a section had more rows than it holds
    UPA_level trop{}, mwnd{};
    bool has_trop = false, has_mwnd = false;
    UPA_level *cur = nullptr;  // the level of the row being read
    float sfc_p = MISS;
};

/// A new level for a row of the given label; NULL when its section is full.
UPA_level *begin_row(Reading &rd, const char *label)
{
    if (stricmp(label, "mwnd") == 0) {
        rd.has_mwnd = true;
        UPA_level_init(&rd.mwnd);
        return &rd.mwnd;
    }
    if (stricmp(label, "trop") == 0) {
        rd.has_trop = true;
        UPA_level_init(&rd.trop);
        return &rd.trop;
    }
    if (stricmp(label, "wind") == 0 && !rd.wind) {
        rd.wind = true;
        rd.wm_num = 0;
    }
    UPA_level *levels = rd.wind ? rd.wm : rd.sm;
    int &num = rd.wind ? rd.wm_num : rd.sm_num;
    if (num >= SECTION_MAX) {
        if (!rd.cut)
            MESS_print(M_WARN, "THERM_read_raw: more than %d levels in a section, the rest left out\n",
                       SECTION_MAX);
        rd.cut = true;
        return nullptr;
    }
    UPA_level_init(&levels[num]);
    return &levels[num++];
}

void store(UPA_level &l, int column, float value)
{
    switch (column) {
    case COL_H: l.h = value; break;
    case COL_T: l.t = value; break;
    case COL_TD: l.td = value; break;
    case COL_DIR: l.dir = value; break;
    case COL_SPD: l.spd = value; break;
    default: break;
    }
}

void read_rows(int slot, Reading &rd)
{
    RAW_report rep{};
    for (int line = 0;;) {
        const int got = RAW_read(slot, &rep, RAW_field(RAW_FIELD_EACH), &line);
        if (got < 0) break;
        if (got == 0) {
            line++;
            continue;
        }
        if (MESS_check(M_DEBUG_C)) {
            const char *name = RAW_get_field_name(slot, RAW_field(RAW_FIELD_DATA - 3 + rep.type));
            MESS_print(M_DEBUG_C, "%d %d %s %f %f %d %s = %f %s\n", line, rep.type, rep.id,
                       static_cast<double>(rep.lat), static_cast<double>(rep.lon), rep.type,
                       name ? name : "", static_cast<double>(rep.value[0]), rep.data);
        }
        if (stricmp(rep.id, "sfc") == 0) rd.sfc_p = rep.lat;
        if (rep.type == VYK_MISS) {
            rd.cur = nullptr;  // a row without values: no level, and the last one stays as it is
            continue;
        }
        if (rep.type == COL_H) rd.cur = begin_row(rd, rep.id);
        if (!rd.cur) continue;
        rd.cur->p = rep.lat;
        store(*rd.cur, rep.type, rep.value[0]);
    }
}

}  // namespace

int THERM_out_raw()
{
    select_convention();
    const Date date = THERM_get_date();
    char name[FILE_NAME_MAX + 1] = "";
    FILE_set_date(&date, name);
    // The name carries the station: a plain file, never a command.
    FILE *fp = name[0] ? std::fopen(name, "w") : nullptr;
    if (!fp) {
        MESS_print(M_WARN, "THERM_out_raw: Unable to open output file: %s\n", name);
        return 0;
    }
    char label[LABEL_DATE_LEN] = "";
    Date d = date;
    DATE_make_label(&d, label, sizeof label);
    std::fprintf(fp, "%s\n%s\n!%s Sounding\n%s", RAW_MAGIC, label, THERM_get_id(), FIELD_LINE);
    write_rows(fp);
    if (FILE_close_output(fp, -1, 0) != 0) {
        MESS_print(M_WARN, "THERM_out_raw: Unable to write output file: %s\n", name);
        return 0;
    }
    MESS_print(M_MESS_B, "Written raw file to: %s\n", name);
    return 1;
}

int THERM_read_raw(const char *filename)
{
    char name[FILE_NAME_MAX + 1] = "";
    strfcpy(name, filename ? filename : "");
    int type = RAW_TYPE_NONE;
    const int slot = RAW_open(name, RAW_READ, &type);
    if (slot < 0) {
        MESS_print(M_ERROR, "Unable to open file:%s\n", name);
        VYK_exit(VYK_EXIT_NO_FILE);
    }
    RAW_info info{};
    RAW_getinfo(slot, &info);
    MESS_print(M_OUT1_A, "ID: %s\n", info.info);
    MESS_print(M_OUT1_A, "Date: %s\n", info.datim);
    char id[ID_LEN] = "";
    std::sscanf(info.info, "%19s", id);
    THERM_set_id(id, VYK_MISS);
    Date date;
    DATE_init(&date);
    DATE_decode_label(info.datim, &date);
    THERM_set_date(&date);
    UPA_set_datim(info.datim);
    if (MESS_check(M_DEBUG_C))
        for (int k = 0; k < RAW_get_num_field(slot); k++) {
            const char *field = RAW_get_field_name(slot, RAW_field(RAW_FIELD_DATA - 3 + k));
            MESS_print(M_DEBUG_C, "NAME: %d %s\n", k, field ? field : "");
        }

    Reading rd;
    rd.sm = THERM_own_SM();
    rd.wm = THERM_own_WM();
    read_rows(slot, rd);
    RAW_close(slot);
    if (!has(rd.sfc_p) && rd.sm_num > 0) rd.sfc_p = rd.sm[0].p;
    if (rd.has_trop) THERM_set_trop(&rd.trop);
    if (rd.has_mwnd) THERM_set_mwnd(&rd.mwnd);
    if (rd.wind) THERM_set_data(rd.sfc_p, rd.sm, rd.sm_num, rd.wm, rd.wm_num);
    else THERM_set_data(rd.sfc_p, rd.sm, rd.sm_num, rd.sm, rd.sm_num);
    return 0;
}

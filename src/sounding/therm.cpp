// therm.cpp: the current sounding: the working soundings SM and WM, the surface, tropopause,
// maximum-wind and parcel starting levels, the parcel options, the 0-6000 m mean wind and the
// storm motion.  Installing a sounding reads the options, interpolates the surface level and
// derives the storm motion.
//
// The state is one struct with its start values; the getters hand out the addresses of its
// levels, which stay valid and see every later change.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_interp.h"
#include "upa_row.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr float MISS = VYK_MISS;

/// A special level before any load: every field missing but a calm speed.
constexpr UPA_level SPECIAL_START = {MISS, MISS, MISS, MISS, MISS, 0};

constexpr float PAR_THICK_START = 100;  // mb
constexpr float STORM_TURN = 30;        // degrees to the right of the mean wind
constexpr float STORM_FRACTION = 0.75f; // of the mean wind's speed
constexpr float MEAN_DEPTH = 6000;      // m above the surface
constexpr size_t PAR_FIELD_LEN = 20;    // the level field of a parcel word: 19 characters
constexpr int ID_KEY = 'i';             // the file-name key of the station identifier

struct State {
    UPA_level *sm = nullptr;  // temperature sounding, by pressure, surface first
    int sm_num = 0;
    UPA_level *wm = nullptr;  // wind sounding, by height
    int wm_num = 0;
    UPA_level sfc = SPECIAL_START;
    UPA_level trop = SPECIAL_START;
    UPA_level mwnd = SPECIAL_START;
    UPA_level par = SPECIAL_START;  // parcel starting level
    UPA_level choice = SPECIAL_START;  // the level the parcel options chose
    int par_type = THERM_PAR_LAYER;
    float par_thick = PAR_THICK_START;
    WIND mean6 = {0, 0};  // knots
    WIND storm = {0, 0};  // knots
    THERM_values values = {};  // every field 0
    char id[THERM_ID_LEN] = "";  // station identifier
    Date file_date = {};         // every field 0
    std::vector<UPA_level> own_sm;  // the component's working arrays, allocated on first use
    std::vector<UPA_level> own_wm;
};

State st;

/// A count of levels kept within 0 and the working limit, with a warning when cut.
int level_count(const char *who, const UPA_level *levels, int num)
{
    if (!levels || num < 0) return 0;
    if (num > UPA_MAX_LEVELS) {
        MESS_print(M_WARN, "%s: %d levels, only the first %d are used\n", who, num,
                   UPA_MAX_LEVELS);
        return UPA_MAX_LEVELS;
    }
    return num;
}

/// A finite number of the whole text (blanks around it allowed); false when it is none.
bool read_number(const char *text, float &value)
{
    char *end = nullptr;
    errno = 0;
    const float v = std::strtof(text, &end);
    if (end == text || errno == ERANGE || !std::isfinite(v)) return false;
    while (*end == ' ') end++;
    if (*end) return false;
    value = v;
    return true;
}

/// The parcel options of a word beginning "par": "par=LEVEL[:T[:TD]]".
void parcel_word(const char *word)
{
    st.par_type = THERM_PAR_USER;
    // The parcel's own temperature and dew point come from the word alone: the analysis uses
    // the sounding's values where these are missing.
    st.par = st.sfc;
    st.par.t = st.par.td = MISS;
    // After "par" and a separator: the level field, then ':' and the temperature, then ':' and
    // the dew point.
    const std::string rest = std::strlen(word) > 4 ? word + 4 : "";
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t colon = rest.find(':', start);
        parts.push_back(rest.substr(start, colon == std::string::npos ? colon : colon - start));
        if (colon == std::string::npos || parts.size() == 3) break;
        start = colon + 1;
    }
    char field[PAR_FIELD_LEN];
    strfcpy(field, parts[0].c_str());
    float value;
    if (parts.size() > 1 && read_number(parts[1].c_str(), value)) st.par.t = value;
    if (parts.size() > 2 && read_number(parts[2].c_str(), value)) st.par.td = value;

    if (!field[0] || stricmp(field, "sfc") == 0) {
        st.par_type = THERM_PAR_SFC;
    } else if (stricmp(field, "maxt") == 0) {
        st.par_type = THERM_PAR_MAXT;
    } else if (stricmp(field, "layer") == 0) {
        // The number after the level field is the depth of the mixed layer.
        st.par_type = THERM_PAR_LAYER;
        st.par_thick = st.par.t > 0 ? st.par.t : PAR_THICK_START;
        st.par.t = MISS;
    } else if (read_number(field, value)) {
        st.par.p = value;
    } else {
        MESS_print(M_WARN, "THERM_param: parcel level not known: %s (the surface is used)\n",
                   field);
        st.par_type = THERM_PAR_SFC;
    }
    st.choice = st.par;
}

/// The storm motion of a mean wind: turned 30 degrees to the right at 75 % of its speed.
WIND storm_of(WIND mean)
{
    if (VYK_is_miss(mean.dir)) return {MISS, MISS};
    float dir = mean.dir + STORM_TURN;
    if (dir > 360) dir -= 360;
    const float spd = VYK_is_miss(mean.spd) ? MISS : STORM_FRACTION * mean.spd;
    return {dir, spd};
}

/// A station identifier as a file-name key: characters other than letters, digits, '_', '-' and
/// '+' become '_', so that no identifier read from data can reach another directory.
std::string id_key(const char *id)
{
    std::string key = id;
    for (char &c : key)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '+')
            c = '_';
    return key;
}

/// A working array of 300 levels and the end marker of the hydrostatic fills.
UPA_level *own_array(std::vector<UPA_level> &array)
{
    if (array.empty())
        array.assign(UPA_MAX_LEVELS + 1, UPA_level{MISS, MISS, MISS, MISS, MISS, MISS});
    return array.data();
}

}  // namespace

int THERM_set_id(const char *str, int val)
{
    strfcpy(st.id, str ? str : "");
    st.values.wmo = val;
    const std::string key = id_key(st.id);
    if (key != st.id)
        MESS_print(M_WARN, "THERM_set_id: identifier %s is named %s in file names\n", st.id,
                   key.c_str());
    FILE_set_key(ID_KEY, key.c_str());
    return 0;
}

const char *THERM_get_id() { return st.id; }
int THERM_get_wmo() { return st.values.wmo; }

int THERM_set_date(const Date *date)
{
    if (date) st.file_date = *date;
    else FILE_get_date(&st.file_date);
    return 0;
}

Date THERM_get_date() { return st.file_date; }
UPA_level *THERM_own_SM() { return own_array(st.own_sm); }
UPA_level *THERM_own_WM() { return own_array(st.own_wm); }
UPA_level THERM_get_par_choice() { return st.choice; }
WIND THERM_get_mean6() { return st.mean6; }

int THERM_init_values(THERM_values *values)
{
    if (!values) return 0;
    values->wmo = VYK_MISS;
    for (float *f : {&values->lat, &values->lon, &values->elev, &values->plcl, &values->precip,
                     &values->thick, &values->li, &values->si, &values->tt, &values->k,
                     &values->sweat})
        *f = MISS;
    return 0;
}

THERM_values *THERM_get_values() { return &st.values; }

int THERM_set_storm(const WIND *wind)
{
    if (wind) st.storm = *wind;
    return 0;
}

WIND THERM_get_storm() { return st.storm; }
UPA_level *THERM_get_SM() { return st.sm; }
UPA_level *THERM_get_WM() { return st.wm; }
int THERM_get_SM_num() { return st.sm_num; }
int THERM_get_WM_num() { return st.wm_num; }
UPA_level *THERM_get_sfc() { return &st.sfc; }
UPA_level *THERM_get_trop() { return &st.trop; }
UPA_level *THERM_get_mwnd() { return &st.mwnd; }
UPA_level *THERM_get_parcel() { return &st.par; }
int THERM_get_par_type() { return st.par_type; }
float THERM_get_par_thick() { return st.par_thick; }

int THERM_set_trop(const UPA_level *lev)
{
    if (lev) st.trop = *lev;
    return 0;
}

int THERM_set_mwnd(const UPA_level *lev)
{
    if (lev) st.mwnd = *lev;
    return 0;
}

float THERM_get_sfc_level(int ltype)
{
    switch (ltype) {
    case UPA_LT_HGHT: case UPA_LT_HGHT_LAYER:
        return st.sfc.h;
    case UPA_LT_THETA: case UPA_LT_THETA_LAYER:
        return pot_temp(VYK_is_miss(st.sfc.t) ? MISS : st.sfc.t + 273.15f, st.sfc.p);
    default:
        return st.sfc.p;
    }
}

int THERM_set_data(float pr, UPA_level *smi, int smi_num, UPA_level *wmi, int wmi_num)
{
    st.sfc.p = pr;
    st.sm = smi;
    st.sm_num = level_count("THERM_set_data", smi, smi_num);
    st.wm = wmi;
    st.wm_num = level_count("THERM_set_data", wmi, wmi_num);
    THERM_param();
    THERM_init_values(&st.values);
    UPA_interp(st.sm, st.sm_num, UPA_LT_PRES, pr, &st.sfc);
    if (MESS_check(M_DEBUG_D)) {
        MESS_print(M_DEBUG_D, "SFCP: %f\n", st.sfc.p);
        UPA_print_level(M_DEBUG_D, M_DEBUG_D, UPA_ROW_SFC, &st.sfc);
    }
    return THERM_calc_storm();
}

int THERM_empty_SM()
{
    st.sm_num = 0;
    return 0;
}

int THERM_calc_storm()
{
    const float top = VYK_is_miss(st.sfc.h) ? MISS : st.sfc.h + MEAN_DEPTH;
    layer_wind_mean(st.wm, st.wm_num, UPA_LT_HGHT, st.sfc.h, top, &st.mean6);
    st.storm = storm_of(st.mean6);
    return 0;
}

int THERM_param()
{
    int count = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &count, &words);
    for (int i = 0; i < count; i++) {
        const char *word = words[i];
        if (!word) continue;
        if (stricmp(word, "page") == 0) MESS_set_page(1);
        else if (stricmp(word, "nopage") == 0) MESS_set_page(0);
        else if (strnicmp(word, "par", 3) == 0) parcel_word(word);
    }
    free_parsed_array(count, words);
    return 0;
}

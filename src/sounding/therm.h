// therm.h: the current sounding (therm.cpp): the temperature sounding SM (ordered by pressure)
// and the wind sounding WM (ordered by height), the surface, tropopause, maximum-wind and parcel
// starting levels, the parcel options, the 0-6000 m mean wind and the storm motion.
//
// One current sounding per process, private to therm.cpp.  Before anything is loaded SM and WM
// are NULL with 0 levels, the special levels have every field missing but a speed of 0, and the
// storm motion is 0, 0: level decoding then finds no surface, tropopause or maximum wind.
#ifndef THERM_H
#define THERM_H

#include "upa_layer.h"
#include "vykdate.h"

constexpr int UPA_MAX_LEVELS = 300;  // levels of a working sounding and of an interpolation
constexpr int THERM_ID_LEN = 20;     // the station identifier: 19 characters and the end

// Parcel kinds.
enum {
    THERM_PAR_SFC = 1,    // the surface air
    THERM_PAR_LAYER = 2,  // the mean of the lowest par_thick mb
    THERM_PAR_MAXT = 3,   // the surface with the estimated maximum temperature
    THERM_PAR_USER = 5,   // a level chosen by the user
};

/// The computed values and indices of the current sounding; -9999 marks a missing value.
struct THERM_values {
    int wmo;           // WMO station number
    float lat, lon;    // degrees
    float elev;        // m
    float plcl;        // LCL of the surface air, mb
    float tlcl;        // its temperature, K
    float frz;         // freezing level, mb
    float wb0;         // wet-bulb zero level, mb; -1 below the ground
    float lapse57;     // 700-500 mb lapse rate, C per km
    float max_t;       // estimated maximum surface temperature, C
    float precip;      // precipitable water, inches
    float mean_rh;     // mean relative humidity surface to 500 mb, %
    float thick;       // 1000-500 mb thickness, m
    THETAE_params thetae;
    float ccl;         // convective condensation level, mb; -1 none
    float wbar;        // mean mixing ratio of its layer, g/kg
    float ct;          // convective temperature, K
    float li;          // lifted index, C
    float cap;         // cap strength, C
    float si;          // Showalter index, C
    float tt;          // total totals
    float k;           // K index
    float sweat;       // SWEAT index
    float ei;          // energy index
    UPA_level par_lev; // written by nothing: the starting level in use is the parcel level
    PARCEL_params parcel;
    HELICITY_params helicity;  // lowest 3000 m
    SHEAR_params shear;        // lowest 3000 m
    float brn;         // bulk Richardson number
    float bshear;      // bulk shear, m/s
    float ehi;         // energy-helicity index
};

/// Keeps the station identifier (at most 19 characters) and its WMO number, and makes the
/// identifier the file-name key 'i' (characters other than letters, digits, '_', '-' and '+'
/// become '_' there).  Returns 0.
int THERM_set_id(const char *str, int val);
/// The identifier kept (empty before any is set).
const char *THERM_get_id();
/// The value record's WMO number (0 before any is set; a load resets it to -9999).
int THERM_get_wmo();
/// Keeps the sounding's date; NULL takes the current data file's date.  Returns 0.
int THERM_set_date(const Date *date);
/// The sounding's date (every field 0 before any is set).
Date THERM_get_date();
/// The component's own working arrays for the temperature and wind soundings: 300 levels and
/// the end marker each, allocated on first use and never released.  A merge or a file read
/// writes into these, whatever arrays a caller installed with THERM_set_data.
UPA_level *THERM_own_SM();
UPA_level *THERM_own_WM();

/// Sets wmo, lat, lon, elev, plcl, precip, thick, li, si, tt, k and sweat to -9999; the fields
/// that an analysis always fills keep their values.  Returns 0.
int THERM_init_values(THERM_values *values);
/// The component's value record (every field 0 at start).
THERM_values *THERM_get_values();

int THERM_set_storm(const WIND *wind);
WIND THERM_get_storm();
UPA_level *THERM_get_SM();
UPA_level *THERM_get_WM();
int THERM_get_SM_num();
int THERM_get_WM_num();
/// The component's own levels; the pointers stay valid and see every later change.
UPA_level *THERM_get_sfc();
UPA_level *THERM_get_trop();
UPA_level *THERM_get_mwnd();
UPA_level *THERM_get_parcel();
int THERM_set_trop(const UPA_level *lev);
int THERM_set_mwnd(const UPA_level *lev);
/// The surface in the coordinate of level type ltype: its height for 103 and 104, its
/// potential temperature for 113 and 114, else its pressure.
float THERM_get_sfc_level(int ltype);
int THERM_get_par_type();
float THERM_get_par_thick();
/// The parcel level that the options chose: its pressure, and the temperature and dew point the
/// parcel word gave (each -9999 when the word gave none; the sounding's own values are then
/// used).  Unlike the parcel starting level, an analysis does not change it.
UPA_level THERM_get_par_choice();
/// The 0-6000 m mean wind of the last load (0, 0 before any).
WIND THERM_get_mean6();

/// Installs smi and wmi (used in place, at most 300 levels each) as SM and WM with pr as the
/// surface pressure: reads the parcel and paging options, resets the value record
/// (THERM_init_values), interpolates the surface level and derives the 0-6000 m mean wind and
/// the storm motion; returns 0.
int THERM_set_data(float pr, UPA_level *smi, int smi_num, UPA_level *wmi, int wmi_num);
/// Leaves the temperature sounding without levels (a merge that found no temperature levels
/// wrote into its array); everything else stays.  Returns 0.
int THERM_empty_SM();
/// Recomputes the 0-6000 m mean wind and the storm motion from WM; returns 0.
int THERM_calc_storm();
/// Reads the parcel options and the paging switch from the "plot_param" words; returns 0.
int THERM_param();

#endif

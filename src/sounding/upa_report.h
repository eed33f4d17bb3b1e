// upa_report.h: the upper-air report record, the header of an upper-air file and the file
// kinds (upa_report.cpp).
//
// One radiosonde ascent of one station: the mandatory and special levels by slot, the
// significant temperature levels and the significant wind levels (heights in feet, as the file
// forms carry them).  -9999 marks every missing value.
#ifndef UPA_REPORT_H
#define UPA_REPORT_H

#include "upa_level.h"
#include "vykdate.h"

constexpr int UPA_NUM_MAN = 25;   // mandatory and special slots
constexpr int UPA_NUM_SIG = 200;  // significant temperature levels
constexpr int UPA_NUM_WND = 100;  // significant wind levels

// Slots of the mandatory levels: 1 to 16 are the mandatory pressures of UPA_mandatory.
enum {
    UPA_MAN_SFC = 0,
    UPA_MAN_10MB = 16,    // the last mandatory pressure
    UPA_MAN_ABOVE = 17,   // 17 to 21: levels above 10 mb (7, 5, 3, 2, 1 mb), in file order
    UPA_MAN_LAST = 21,    // the last pressure slot
    UPA_MAN_TROP = 22,    // tropopause
    UPA_MAN_MWND = 23,    // maximum wind
    UPA_MAN_EXTRA = 24,   // carried only by the netCDF forms
};

/// A significant level with respect to temperature.
struct UPA_sig_level {
    float p;   // mb
    float t;   // degrees C
    float td;  // degrees C
};

/// A significant level with respect to wind.
struct UPA_wnd_level {
    float h;    // height, FEET
    float dir;  // degrees
    float spd;  // knots
};

struct UPA_report {
    char id[11];    // station identifier; empty when unknown
    char area[11];  // region code (netCDF forms)
    int wmo;        // WMO block and station number
    float lat, lon; // degrees, west negative
    float elev;     // m
    int time;       // observation time
    int type;       // report origin code (never reset)
    UPA_level man[UPA_NUM_MAN];
    int numman;     // nonzero when mandatory data are present
    UPA_sig_level sig[UPA_NUM_SIG];
    int numsig;
    UPA_wnd_level wnd[UPA_NUM_WND];
    int numwnd;
};

/// The header of an upper-air file.
struct UPA_info {
    char datim[40];       // date label
    char file[20];        // file-time key
    const char *cmdline;  // history text; NULL: the default
    Date date;            // decoded from datim
};

// Upper-air file kinds.
enum {
    UPA_FILE_DETECT = 0,   // detect from the file (reading only)
    UPA_FILE_OLD4 = 1,     // older fixed text form: 4 mandatory, 14 significant, 16 winds
    UPA_FILE_OLD8 = 2,     // older fixed text form: 8 mandatory, 21 significant, 21 winds
    UPA_FILE_TEXT = 3,     // "ZAZUDI": 28 significant levels and 28 winds
    UPA_FILE_PLUS = 4,     // "ZAZUDI+": lists ended by markers
    UPA_FILE_X = 5,        // "ZAZUDIx": station token with WMO number and position
    UPA_FILE_CDF_STN = 11, // netCDF by "station": knots, wind heights in feet
    UPA_FILE_CDF_REP = 12, // netCDF by "report": m/s, wind heights in m
    UPA_FILE_BINARY = 41,  // binary summary (writing only)
    UPA_FILE_XML = 51,     // XML (writing only)
};

/// 1 for the newer text forms (kinds 3, 4 and 5), else 0.
int UPA_is_new_text(int kind);

/// Resets a report: empty texts, every value -9999, no levels; type is left as it was.
int UPA_initialize(UPA_report *report);
/// The header of the component's open upper-air file (date label, file key, history, date).
UPA_info *UPA_get_info();
/// The header's date label (empty until set).
const char *UPA_get_datim();
/// Copies str (at most 39 characters) into the header's date label; returns 0.
int UPA_set_datim(const char *str);

#endif

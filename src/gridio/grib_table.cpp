// GRIB parameter units and predefined grids.
//
// Sources of the tables:
// - units of edition 1: WMO Manual on Codes (WMO-No. 306) Vol. I.2, FM 92 GRIB edition 1, code
//   table 2 (parameters 1 to 127) and NCEP's table 2 of Office Note 388 (128 to 255; 491 is
//   this system's number for a radar reflectivity of centre-local tables);
// - ECMWF local parameters: ECMWF's local code table 2, version 128;
// - edition-0 element numbers: GRIB edition 0 (WMO, 1985) table of parameters, in the units
//   the old grid variable codes carry;
// - predefined grids: NCEP Office Note 388, table B (grids 21 to 64 latitude-longitude, 211,
//   212 and 215 Lambert conformal on standard parallels 25 N, 25 N with orientation 95 W).
#include "grib_table.h"

#include "dom.h"

#include <cstring>

namespace {

constexpr int ECMWF = 98;
constexpr int ECMWF_LOCAL_FIRST = 129;  // ECMWF numbers above 128 are local
constexpr int NO_LEVEL = -1;            // a row that sets no level

struct EcmwfRow {
    int ecmwf, var;
    const char *units;
    int ltype, level;  // NO_LEVEL: not set; ltype set without level: level kept
};
constexpr EcmwfRow ECMWF_ROWS[] = {
    {129, 6, "m^2/s^2", NO_LEVEL, NO_LEVEL}, {130, 11, "K", NO_LEVEL, NO_LEVEL},
    {139, 11, "K", NO_LEVEL, NO_LEVEL},      {131, 33, "m/s", NO_LEVEL, NO_LEVEL},
    {132, 34, "m/s", NO_LEVEL, NO_LEVEL},    {134, 1, "Pa", NO_LEVEL, NO_LEVEL},
    {135, 39, "Pa/s", NO_LEVEL, NO_LEVEL},   {146, 122, "W/m^2", NO_LEVEL, NO_LEVEL},
    {147, 121, "W/m^2", NO_LEVEL, NO_LEVEL}, {151, 1, "Pa", 102, NO_LEVEL},
    {157, 52, "%", NO_LEVEL, NO_LEVEL},      {164, 71, "%", 200, 0},
    {165, 33, "m/s", 105, 10},               {166, 34, "m/s", 105, 10},
    {167, 11, "K", 105, 2},                  {168, 17, "K", 105, 2},
    {172, 81, "", NO_LEVEL, NO_LEVEL},       {176, 111, "W/m^2", NO_LEVEL, NO_LEVEL},
    {177, 112, "W/m^2", NO_LEVEL, NO_LEVEL}, {180, 326, "N/m^2", NO_LEVEL, NO_LEVEL},
    {181, 327, "N/m^2", NO_LEVEL, NO_LEVEL}, {228, 61, "m", NO_LEVEL, NO_LEVEL},
};

struct Ed0Row {
    int ed0, var;
    const char *units;
};
constexpr Ed0Row ED0_ROWS[] = {
    {1, 1, "hPa"},          {2, 7, "10 m"},        {3, 8, "10 m"},         {4, 11, "C"},
    {5, 15, "C"},           {6, 16, "C"},          {8, 13, "C"},           {10, 17, "C"},
    {11, 18, "dC"},         {12, 51, ".1 g/kg"},   {13, 52, "%"},          {14, 53, ".1 g/kg"},
    {15, 131, "dC"},        {17, 132, "dC"},       {21, 32, "m/s"},        {23, 33, "m/s"},
    {24, 34, "m/s"},        {29, 35, "10^5 m^2/s"}, {30, 43, "10^-5 /s"}, {31, 41, "10^-5 /s"},
    {40, 38, "mb/s"},       {44, 136, "m/s/km"},   {47, 54, "mm"},         {48, 63, "mm"},
    {50, 61, "mm"},         {51, 66, "cm"},        {55, 62, "mm"},         {61, 80, ".1 C"},
    {64, 100, ".5 m"},      {75, 107, "10 deg"},   {76, 108, "s"},
};

/// Units of edition 1 by parameter: a units text and its parameters as ranges first..last.
struct UnitsRow {
    const char *units;
    int ranges[12][2];
};
constexpr UnitsRow ED1_UNITS[] = {
    {"Pa", {{1, 2}, {26, 26}, {55, 56}, {128, 130}}},
    {"Pa/s", {{3, 3}, {39, 39}}},
    {"m^2/s^2", {{6, 6}, {37, 37}, {190, 190}}},
    {"m", {{7, 9}, {20, 20}, {66, 66}, {83, 83}, {100, 100}, {221, 221}}},
    {"Dobson", {{10, 10}}},
    {"K", {{11, 17}, {80, 80}, {85, 85}, {133, 133}}},
    {"dK", {{18, 18}, {24, 25}, {131, 132}}},
    {"K/m", {{19, 19}}},
    {"Dbz", {{21, 21}}},
    {"", {{22, 23}, {28, 30}, {81, 81}, {91, 91}, {134, 134}, {140, 144}, {191, 192},
          {209, 209}}},
    {"gpm", {{27, 27}, {222, 222}, {230, 230}}},
    {"deg", {{31, 31}, {47, 47}, {107, 107}, {571, 571}}},
    {"m/s", {{32, 34}, {40, 40}, {48, 49}, {196, 197}}},
    {"m^2/s", {{35, 36}}},
    {"/s", {{38, 38}, {41, 46}, {136, 136}}},
    {"kg/kg", {{50, 51}, {53, 53}, {76, 76}, {153, 154}}},
    {"%", {{52, 52}, {60, 60}, {71, 71}, {84, 84}, {193, 195}, {201, 201}, {207, 207},
           {213, 213}}},
    {"kg/m^2", {{54, 54}, {57, 58}, {61, 63}, {65, 65}, {86, 86}, {90, 90}, {223, 223}}},
    {"kg/m^2/s", {{59, 59}, {214, 214}}},
    {"kg/m^3", {{77, 77}}},
    {"s", {{108, 108}}},
    {"W/m^2", {{111, 114}, {121, 122}, {145, 145}, {155, 155}, {160, 168}, {204, 205},
               {211, 212}}},
    {"N/m^2", {{124, 125}, {147, 148}, {172, 172}, {226, 227}}},
    {"kg/kg/s", {{135, 135}}},
    {"/s^2", {{138, 138}}},
    {"/s/m", {{139, 139}}},
    {"J/kg", {{146, 146}, {156, 158}}},
    {"m^2/s/kg", {{149, 149}}},
    {"km/s", {{151, 151}}},
    {"kg-m/m^2-s", {{208, 208}}},
    {"K/s", {{216, 216}}},
    {"dBZ", {{491, 491}}},
};
constexpr const char *ED1_UNKNOWN = "-";

struct CdfRow {
    int code;
    const char *units;
};
constexpr CdfRow CDF_UNITS[] = {
    {1, "hectopascals"}, {2, "geopotential dekameters"}, {4, "celsius"}, {15, "celsius"},
    {13, "percent"},     {23, "meters/second"},          {24, "meters/second"},
    {40, "millibars/second"}, {50, "kg/m2"},             {61, "0.5 degC"}, {62, "degC"},
    {64, "0.5 meters"},  {75, "10 degrees"},             {76, "seconds"}, {101, "pascals"},
    {102, "geopotential meters"}, {104, "kelvin"},       {140, "pascals/second"},
    {161, "degK"},       {164, "meters"},                {175, "degrees"},
};

struct GridRow {
    int type, proj, nx, ny;
    float dx, dy, clat, clon;
};
constexpr GridRow GRIDS[] = {
    {21, DOM_LATLON, 37, 37, 5, 2.5f, 45, 90},      {22, DOM_LATLON, 37, 37, 5, 2.5f, 45, -90},
    {23, DOM_LATLON, 37, 37, 5, 2.5f, -45, 90},     {24, DOM_LATLON, 37, 37, 5, 2.5f, -45, -90},
    {25, DOM_LATLON, 73, 19, 5, 5, 45, 180},        {26, DOM_LATLON, 73, 19, 5, 5, -45, 180},
    {37, DOM_LATLON, 73, 73, 1.25f, 1.25f, 45, 15}, {38, DOM_LATLON, 73, 73, 1.25f, 1.25f, 45, 105},
    {39, DOM_LATLON, 73, 73, 1.25f, 1.25f, 45, -165},
    {40, DOM_LATLON, 73, 73, 1.25f, 1.25f, 45, -75},
    {41, DOM_LATLON, 73, 73, 1.25f, 1.25f, -45, 15},
    {42, DOM_LATLON, 73, 73, 1.25f, 1.25f, -45, 105},
    {43, DOM_LATLON, 73, 73, 1.25f, 1.25f, -45, -165},
    {44, DOM_LATLON, 73, 73, 1.25f, 1.25f, -45, -75},
    {50, DOM_LATLON, 36, 33, 2.5f, 1.25f, 40, -96.25f},
    {61, DOM_LATLON, 91, 46, 2, 2, 45, 90},         {62, DOM_LATLON, 91, 46, 2, 2, 45, -90},
    {63, DOM_LATLON, 91, 46, 2, 2, -45, 90},        {64, DOM_LATLON, 91, 46, 2, 2, -45, -90},
    {211, DOM_LAMB, 93, 65, 0.8127f, 0.8127f, 40.607f, -100.553f},
    {212, DOM_LAMB, 185, 129, 0.4063f, 0.4063f, 40.606f, -100.554f},
    {215, DOM_LAMB, 369, 257, 0.2032f, 0.2032f, 40.607f, -100.553f},
};
// The Lambert conformal grids: orientation and standard parallels.
constexpr float LAMB_PLON = -95, LAMB_LAT1 = 25, LAMB_LAT2 = 25, LAMB_PARAM3 = 1;

void set_units(GRD_report *grd, const char *units) { strfcpy(grd->units, units); }

int ecmwf_units(GRD_report *grd)
{
    for (const EcmwfRow &r : ECMWF_ROWS)
        if (r.ecmwf == grd->var) {
            grd->var = r.var;
            set_units(grd, r.units);
            if (r.ltype != NO_LEVEL) grd->ltype = r.ltype;
            if (r.level != NO_LEVEL) grd->level = r.level;
            return 0;
        }
    MESS_print(M_WARN_C, "Invalid GRIB variable: %d\n", grd->var);
    return 0;
}

int ed0_units(GRD_report *grd)
{
    for (const Ed0Row &r : ED0_ROWS)
        if (r.ed0 == grd->var) {
            grd->var = r.var;
            set_units(grd, r.units);
            return 0;
        }
    MESS_print(M_WARN_C, "Invalid GRIB variable: %d\n", grd->var);
    return 0;
}

const char *ed1_units(int var)
{
    const int p = var % 1000;
    for (const UnitsRow &r : ED1_UNITS)
        for (const auto &range : r.ranges)
            if (range[1] != 0 && p >= range[0] && p <= range[1]) return r.units;
    return ED1_UNKNOWN;
}

}  // namespace

int GRIB_units(GRD_report *grd)
{
    if (!grd) return 0;
    grd->units[0] = '\0';
    if (grd->source == ECMWF && grd->var >= ECMWF_LOCAL_FIRST) return ecmwf_units(grd);
    if (grd->version == 0) {
        if (grd->source != ECMWF) ed0_units(grd);
    } else if (grd->version == 1) {
        set_units(grd, ed1_units(grd->var));
    }
    return 0;
}

int GRIB_set_domain(int type, Domain *domain)
{
    if (!domain) return 1;
    for (const GridRow &g : GRIDS)
        if (g.type == type) {
            domain->proj = g.proj;
            domain->nx = g.nx;
            domain->ny = g.ny;
            domain->dx = g.dx;
            domain->dy = g.dy;
            domain->clat = g.clat;
            domain->clon = g.clon;
            if (g.proj == DOM_LAMB) {
                domain->plon = LAMB_PLON;
                domain->param[0] = LAMB_LAT1;
                domain->param[1] = LAMB_LAT2;
                domain->param[2] = LAMB_PARAM3;
            }
            break;
        }
    return 1;
}

const char *GRIB_cdf_units(int var_id)
{
    for (const CdfRow &r : CDF_UNITS)
        if (r.code == var_id) return r.units;
    return nullptr;
}

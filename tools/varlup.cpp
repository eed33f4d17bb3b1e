// varlup: writes the variable table "variable.lup" and the source table "source.lup" from the
// WMO code tables that the Debian package libeccodes-data ships:
//   GRIB edition 1 code table 2 (parameters, version 3): grib1/2.0.3.table
//   Common code table C-1 (originating centres):          common/c-1.table
//     c++ -std=c++20 -O1 -o varlup tools/varlup.cpp
//     ./varlup [-d /usr/share/eccodes/definitions] -o etc
// The WMO tables give numbers and descriptions; the abbreviations are the package's own (the
// names its variable language reads), listed below, with the package's aliases and local
// numbers after the WMO parameters.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t DESC_MAX = 49;    // a description of the variable table
constexpr size_t ABBR_MAX = 9;     // an abbreviation
constexpr size_t SOURCE_MAX = 40;  // a source name

// Abbreviations of GRIB edition 1 table 2 parameters 1 to 127.  Where the package's Parts name a
// variable (dewp, rhum, wdir, wspd, uwnd, vwnd, vvel, ...) that name is used; the others follow
// the usual lower-case short names of the parameters.  None is a plot-type keyword or a grid
// function name of the language (so stream function is "stfn", global radiation "glrad").
const char *const ABBR[128] = {
    nullptr, "pres",  "prmsl", "ptend", "pvort", "icaht", "gp",    "hgt",   "dist",  "hstdv",
    "tozne", "tmp",   "vtmp",  "pot",   "epot",  "tmax",  "tmin",  "dewp",  "depr",  "lapr",
    "vis",   "rdsp1", "rdsp2", "rdsp3", "pli",   "tmpa",  "presa", "gpa",   "wvsp1", "wvsp2",
    "wvsp3", "wdir",  "wspd",  "uwnd",  "vwnd",  "stfn",  "vpot",  "mntsf", "sgcvv", "vvel",
    "dzdt",  "absv",  "absd",  "relv",  "reld",  "vucsh", "vvcsh", "dirc",  "spc",   "uogrd",
    "vogrd", "spfh",  "rhum",  "mixr",  "pwat",  "vapp",  "satd",  "evp",   "cice",  "prate",
    "tstm",  "apcp",  "ncpcp", "acpcp", "srweq", "weasd", "snod",  "mixht", "tthdp", "mthd",
    "mtha",  "tcdc",  "cdcon", "lcdc",  "mcdc",  "hcdc",  "cwat",  "bli",   "snoc",  "snol",
    "wtmp",  "land",  "dslm",  "sfcr",  "albdo", "tsoil", "soilm", "veg",   "salty", "den",
    "watr",  "icec",  "icetk", "diced", "siced", "uice",  "vice",  "iceg",  "iced",  "snom",
    "htsgw", "wvdir", "wvhgt", "wvper", "swdir", "swell", "swper", "dirpw", "perpw", "dirsw",
    "persw", "nswrs", "nlwrs", "nswrt", "nlwrt", "lwavr", "swavr", "glrad", "brtmp", "lwrad",
    "swrad", "lhtfl", "shtfl", "blydp", "uflx",  "vflx",  "wmixe", "imgd",
};

struct Entry {
    int number;
    const char *abbr;
    const char *desc;
};

// Further names of WMO parameters: the words of the package's profiler variables and of its grid
// functions whose results are WMO parameters.  Looked up by name only: a number's text and
// abbreviation come from its first entry above.
const Entry ALIASES[] = {
    {11, "temp", "Temperature"},
    {18, "dewd", "Dew-point depression (or deficit)"},
    {12, "vtemp", "Virtual temperature"},
    {13, "theta", "Potential temperature"},
    {14, "thetae", "Pseudo-adiabatic potential temperature"},
    {41, "avort", "Absolute vorticity"},
    {43, "rvort", "Relative vorticity"},
    {44, "diverg", "Relative divergence"},
    {51, "shum", "Specific humidity"},
    {53, "mixrat", "Humidity mixing ratio"},
    {55, "vapor", "Vapour pressure"},
};

// Local numbers.  128 to 254 are those of the NCEP table (Office Note 388, table 2, the
// numbers an NCEP GRIB file carries); 300 and up are the package's own quantities, which have
// no GRIB parameter (above 255, so no GRIB edition 1 number reaches them).
const Entry LOCAL[] = {
    {131, "lftx", "Surface lifted index"},
    {132, "blftx", "Best (4-layer) lifted index"},
    {136, "vwsh", "Vertical speed shear"},
    {136, "shear", "Vertical speed shear"},
    {156, "cin", "Convective inhibition"},
    {157, "cape", "Convective available potential energy"},
    {190, "hlcy", "Storm relative helicity"},
    {190, "hel", "Storm relative helicity"},
    {300, "city", "Station identifier"},
    {301, "wbrb", "Wind barbs"},
    {302, "wbrbc", "Wind barbs with calm circles"},
    {303, "wind", "Wind"},
    {304, "wetblb", "Wet-bulb temperature"},
    {305, "wchill", "Wind chill temperature"},
    {306, "wchill2", "Wind chill temperature (second formula)"},
    {307, "heat", "Heat index"},
    {308, "thetav", "Virtual potential temperature"},
    {309, "ugeos", "u-component of geostrophic wind"},
    {310, "vgeos", "v-component of geostrophic wind"},
    {311, "uq", "u-component of Q-vector"},
    {312, "vq", "v-component of Q-vector"},
    {313, "def1", "Stretching deformation"},
    {314, "def2", "Shearing deformation"},
    {315, "conv", "Convergence"},
    {316, "vconv", "Moisture convergence"},
    {332, "wvect", "Wind vectors"},
    {333, "wstrm", "Streamlines"},
};

std::vector<std::string> read_lines(const std::string &path)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << "varlup: cannot read " << path << "\n";
        std::exit(1);
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string cut(std::string s, size_t max)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    if (s.size() > max) s.resize(max);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

/// GRIB edition 1 table 2: "number shortName SHORTNAME name units"; the name and units text of
/// parameters 1 to 127.
std::map<int, std::string> grib1_params(const std::string &dir)
{
    std::map<int, std::string> params;
    for (const std::string &line : read_lines(dir + "/grib1/2.0.3.table")) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        int number = 0;
        std::string id1, id2;
        if (!(in >> number >> id1 >> id2) || number < 1 || number > 127) continue;
        std::string rest;
        std::getline(in, rest);
        params[number] = rest;
    }
    return params;
}

/// The name part of a table row's "name units" text: the units are the trailing words, known
/// by their form (the longest unit that ends the text).
std::string name_of(const std::string &text)
{
    static const char *const UNITS[] = {
        " Pa s**-1", " K m**2 kg**-1 s**-1", " m**2 s**-2", " gpm", " Dobson (kg m**-2)",
        " K s**-1", " m**-1 sr**-1", " W m**-1 sr**-1", " Degree true", " m s**-1", " m s*-1",
        " m**2 s**-1", " s**-1", " kg kg**-1", " kg m**-2 s**-1", " kg m**-2", " kg m**-3",
        " m (of water equivalent)", " (0 - 1)", " W m**-2", " N m**-2", " %", " Pa", " K", " m",
        " s", " J", " -"};
    std::vector<std::string> units(std::begin(UNITS), std::end(UNITS));
    std::sort(units.begin(), units.end(),
              [](const std::string &a, const std::string &b) { return a.size() > b.size(); });
    std::string s = text;
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    s.erase(0, s.find_first_not_of(' '));
    for (const std::string &u : units)
        if (s.size() > u.size() && s.compare(s.size() - u.size(), u.size(), u) == 0)
            return s.substr(0, s.size() - u.size());
    return s;
}

void write_variables(const std::string &dir, const std::string &out)
{
    const std::map<int, std::string> params = grib1_params(dir);
    std::ofstream o(out);
    for (int n = 1; n <= 127; n++) {
        const auto it = params.find(n);
        if (it == params.end()) {
            std::cerr << "varlup: parameter " << n << " missing from the table\n";
            std::exit(1);
        }
        o << n << ' ' << ABBR[n] << ' ' << cut(name_of(it->second), DESC_MAX) << '\n';
    }
    for (const Entry &e : ALIASES) o << e.number << ' ' << e.abbr << ' ' << cut(e.desc, DESC_MAX) << '\n';
    for (const Entry &e : LOCAL) o << e.number << ' ' << e.abbr << ' ' << cut(e.desc, DESC_MAX) << '\n';
}

void write_sources(const std::string &dir, const std::string &out)
{
    std::ofstream o(out);
    for (const std::string &line : read_lines(dir + "/common/c-1.table")) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        int number = 0;
        std::string id;
        if (!(in >> number >> id)) continue;
        std::string name;
        std::getline(in, name);
        const size_t start = name.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        o << number << ' ' << cut(name.substr(start), SOURCE_MAX) << '\n';
    }
}

}  // namespace

int main(int argc, char **argv)
{
    std::string dir = "/usr/share/eccodes/definitions", out = "etc";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "-d") == 0) dir = argv[i + 1];
        else if (std::strcmp(argv[i], "-o") == 0) out = argv[i + 1];
    }
    for (size_t n = 1; n < 128; n++)
        if (std::strlen(ABBR[n]) > ABBR_MAX) return 1;
    write_variables(dir, out + "/variable.lup");
    write_sources(dir, out + "/source.lup");
    return 0;
}

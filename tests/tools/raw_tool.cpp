// Point-data files and stations from the shell:
//   raw_tool [options] math WORD ...      runs one arithmetic command ("sum a1 a2 = out",
//                                         "a1 sub #10 = out", "ext a1-2 = out", "series ...")
//   raw_tool [options] read FILE[-COL]    prints each datum: "id lat lon value value2 data format"
//   raw_tool [options] write OUT INFO DATE   writes the lines "id lat lon value ..." of standard
//                                         input as a header file, one column per value
//   raw_tool [options] find               prints the stations of the station file that pass the
//                                         -id patterns: "id wmo prior lat lon name"
//   raw_tool [options] near LAT LON       the nearest station (within 4.9 degrees)
//   raw_tool [options] get ID             one station by identifier, name or WMO number
// Options: -fp path (station file), -cf file, -id patterns, -pa parameters, -pf plot format,
// -rp raw path, -pr priority, -me mask.  Exit status 0 on success, 1 on failure, 2 for usage.
#include "dadodu.h"
#include "tool_args.h"
#include "cty.h"
#include "vykplot.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

const res_type res_key[] = {RES_help,      RES_batch,      RES_message,    RES_file_path, RES_city_file,
                            RES_identifier, RES_parameter, RES_plot_format, RES_raw_path,
                            RES_stat_prior, RES_current,   RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

int math(std::vector<std::string> w)
{
    std::vector<char *> argv;
    for (size_t i = 1; i < w.size(); i++) argv.push_back(w[i].data());
    return RAW_math_command(static_cast<int>(argv.size()), argv.data()) == 1 ? 0 : 1;
}

int read(std::string file_arg)
{
    const char *des, *fmt;
    const int slot = RAW_file_open(file_arg.data(), &des, &fmt, RAW_READ);
    if (slot < 0) return 1;
    RAW_info info{};
    if (RAW_getinfo(slot, &info) == 0) std::printf("# %s | %s\n", info.datim, info.info);
    const bool each = des == RAW_field(RAW_FIELD_EACH);
    RAW_report r{};
    for (int line = 0;;) {
        const int got = RAW_read(slot, &r, des, &line);
        if (got < 0) break;
        if (each && got == 0) {
            line++;
            continue;
        }
        if (!each) line++;
        std::printf("%s %g %g %g %g %s %s\n", r.id, static_cast<double>(r.lat),
                    static_cast<double>(r.lon), static_cast<double>(r.value[0]),
                    static_cast<double>(r.value[1]), r.data[0] ? r.data : "-",
                    r.format[0] ? r.format : "-");
    }
    RAW_close(slot);
    return 0;
}

int write(std::string out, const std::string &desc, const std::string &date)
{
    int type = RAW_TYPE_HEADER;
    const int slot = RAW_open(out.data(), RAW_WRITE, &type);
    if (slot < 0) {
        std::fprintf(stderr, "raw_tool: cannot write %s\n", out.c_str());
        return 1;
    }
    RAW_info info{};
    strfcpy(info.info, desc.c_str());
    strfcpy(info.datim, date.c_str());
    RAW_putinfo(slot, &info);
    char line[RAW_LINE_LEN + 1];
    while (std::fgets(line, sizeof line, stdin)) {
        std::istringstream in(line);
        RAW_report r{};
        std::string id;
        if (!(in >> id >> r.lat >> r.lon)) continue;
        strfcpy(r.id, id.c_str());
        RAW_write(slot, &r, RAW_START, nullptr);
        std::string tok;
        while (in >> tok) {
            r.type = VAR_T_VALUE;
            r.value[0] = tok == "-" ? static_cast<float>(VYK_MISS) : std::strtof(tok.c_str(), nullptr);
            RAW_write(slot, &r, RAW_VALUE, nullptr);
        }
        RAW_write(slot, &r, RAW_END, nullptr);
    }
    return RAW_close(slot) == 0 ? 0 : 1;  // a file not written whole is reported and removed
}

void print_station(const CTY_data &c)
{
    std::printf("%s %05d %d %.2f %.2f %s\n", c.id, c.wmo, c.prior, static_cast<double>(c.lat),
                static_cast<double>(c.lon), c.name);
}

int find()
{
    int num = 0;
    char **ids = nullptr;
    RES_getvals("identifier", &num, &ids);
    int buckets;
    if (CTY_open_file(nullptr, &buckets) < 0) return 1;
    CTY_data c;
    CTY_data_init(&c);
    int found = 0;
    while (CTY_read(0, &c) > 0)
        if (c.prior <= CTY_get_prior() && CTY_data_cmp(num, ids, &c) >= 0) {
            print_station(c);
            found++;
        }
    CTY_close(0);
    free_parsed_array(num, ids);
    return found > 0 ? 0 : 1;
}

int near(float lat, float lon)
{
    Domain dom;
    DOM_decode("ll,0,0,361,181,1,1", &dom);
    if (CTY_store(nullptr, CTY_STORE_XY_LOC, &dom, 9) == 0) return 1;
    CTY_locate loc{};
    if (CTY_search_loc(lat, lon, &loc) != 1) return 1;
    float slat, slon;
    MAP_untran(loc.x, loc.y, &slat, &slon);
    std::printf("%s %05d %d %.2f %.2f\n", loc.id, loc.wmo, loc.pr, static_cast<double>(slat),
                static_cast<double>(slon));
    return 0;
}

int get(const std::string &id)
{
    CTY_data c;
    CTY_data_init(&c);
    if (CTY_get(nullptr, id.c_str(), &c) != 1) return 1;
    print_station(c);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "raw_tool", res_key, res_pos)) return 0;
    const std::vector<std::string> w = file_arguments();
    if (w.empty()) return 2;
    const std::string &cmd = w[0];
    if (cmd == "math" && w.size() > 1) return math(w);
    if (cmd == "read" && w.size() == 2) return read(w[1]);
    if (cmd == "write" && w.size() == 4) return write(w[1], w[2], w[3]);
    if (cmd == "find" && w.size() == 1) return find();
    if (cmd == "near" && w.size() == 3)
        return near(std::strtof(w[1].c_str(), nullptr), std::strtof(w[2].c_str(), nullptr));
    if (cmd == "get" && w.size() == 2) return get(w[1]);
    std::fprintf(stderr, "raw_tool: unknown command or wrong number of words: %s\n", cmd.c_str());
    return 2;
}

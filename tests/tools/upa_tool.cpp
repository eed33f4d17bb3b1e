// Upper-air files from the shell:
//   upa_tool [options] kind FILE            prints the detected kind (-1 when not recognised)
//   upa_tool [options] list FILE            lists the stations (the file layer's own list)
//   upa_tool [options] dump FILE [MODE]     prints every station read in MODE (default 30) as
//                                           one block of lines (see dump below)
//   upa_tool [options] select FILE          the station of -id (or of the prompt) and the level
//                                           of -le (or of the menu): the station's block, then
//                                           "level TYPE VALUE TEXT"
//   upa_tool [options] convert IN OUT KIND  reads every station of IN and writes OUT in KIND
//                                           (1 to 5, 11, 12, 41, 51) with IN's date label
//   upa_tool [options] analyse FILE         loads the station of -id (or of the prompt) as the
//                                           current sounding, analyses it and prints the
//                                           sounding, index, wind, wind level and storm reports
//                                           (batch mode narrows the messages: add -me out3)
// Options: -id identifier, -le level, -ba batch, -fp file path, -if in_file, -of out_file,
// -pp plot parameters, -me mask.  Exit status 0 on success, 1 on failure, 2 for usage.
#include "tool_args.h"
#include "zazudi.h"
#include "vykvar.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const res_type res_key[] = {RES_help,      RES_batch,    RES_message,  RES_file_path,
                            RES_identifier, RES_level,   RES_in_file,  RES_out_file,
                            RES_plot_param, RES_data_path, RES_raw_path, RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

void value(float v)
{
    if (VYK_is_miss(v)) std::printf(" -");
    else std::printf(" %g", static_cast<double>(v));
}

/// One station: "station ID WMO LAT LON ELEV AREA numman NUMMAN numsig NUMSIG numwnd NUMWND",
/// then "man SLOT P H T TD DIR SPD" for every slot with a value, "sig P T TD" and
/// "wnd H DIR SPD" for the levels in use; '-' for a missing value.
void dump(const UPA_report &r)
{
    std::printf("station %s %d", r.id[0] ? r.id : "-", r.wmo);
    value(r.lat);
    value(r.lon);
    value(r.elev);
    std::printf(" %s numman %d numsig %d numwnd %d\n", r.area[0] ? r.area : "-", r.numman,
                r.numsig, r.numwnd);
    for (int s = 0; s < UPA_NUM_MAN; s++) {
        const UPA_level &l = r.man[s];
        const float v[] = {l.p, l.h, l.t, l.td, l.dir, l.spd};
        bool any = false;
        for (float x : v) any = any || !VYK_is_miss(x);
        if (!any) continue;
        std::printf("man %d", s);
        for (float x : v) value(x);
        std::printf("\n");
    }
    for (int i = 0; i < r.numsig && i < UPA_NUM_SIG; i++) {
        std::printf("sig");
        value(r.sig[i].p);
        value(r.sig[i].t);
        value(r.sig[i].td);
        std::printf("\n");
    }
    for (int i = 0; i < r.numwnd && i < UPA_NUM_WND; i++) {
        std::printf("wnd");
        value(r.wnd[i].h);
        value(r.wnd[i].dir);
        value(r.wnd[i].spd);
        std::printf("\n");
    }
}

int kind(const std::string &file)
{
    std::printf("%d\n", UPA_chktype(file.c_str()));
    return 0;
}

int list(const std::string &file)
{
    if (!UPA_open_file(file.c_str())) return 1;
    UPA_list_stations();
    UPA_close_file();
    return 0;
}

int dump_file(const std::string &file, int mode)
{
    int k = UPA_FILE_DETECT;
    const int fd = UPA_open(file.c_str(), UPA_ACCESS_READ, &k);
    if (fd < 0) {
        std::fprintf(stderr, "upa_tool: cannot read %s\n", file.c_str());
        return 1;
    }
    UPA_info info{};
    UPA_getinfo(fd, &info);
    std::printf("kind %d date %s\n", k, info.datim);
    UPA_report r;
    UPA_initialize(&r);
    for (int n = 0; UPA_read(fd, &r, mode, &n) == 0; n++) dump(r);
    UPA_close(fd);
    return 0;
}

int select(const std::string &file)
{
    if (!UPA_open_file(file.c_str())) return 1;
    UPA_report r;
    UPA_initialize(&r);
    if (UPA_prompt_station(&r) != 1) return 1;
    dump(r);
    if (UPA_prompt_level() == 1)
        std::printf("level %d %ld %s\n", FLAG_get(FLAG_LEVEL_TYPE), FLAG_getl(FLAG_LEVEL),
                    RES_get("level") ? RES_get("level") : "");
    UPA_close_file();
    return 0;
}

int convert(const std::string &in, const std::string &out, int out_kind)
{
    int k = UPA_FILE_DETECT;
    int fd = UPA_open(in.c_str(), UPA_ACCESS_READ, &k);
    if (fd < 0) {
        std::fprintf(stderr, "upa_tool: cannot read %s\n", in.c_str());
        return 1;
    }
    UPA_info info{};
    UPA_getinfo(fd, &info);
    std::vector<UPA_report> reports;
    UPA_report r;
    UPA_initialize(&r);
    for (int n = 0; UPA_read(fd, &r, UPA_READ_ALL, &n) == 0; n++) reports.push_back(r);
    UPA_close(fd);
    fd = UPA_open(out.c_str(), UPA_ACCESS_WRITE, &out_kind);
    if (fd < 0) {
        std::fprintf(stderr, "upa_tool: cannot write %s\n", out.c_str());
        return 1;
    }
    UPA_putinfo(fd, &info);
    int n = 0;
    for (UPA_report &rep : reports) {
        const int record = n;
        UPA_write(fd, &rep, UPA_READ_ALL, &n);
        if (n == record) n++;  // the netCDF kinds leave the counting to the caller
    }
    return UPA_close(fd) == 0 ? 0 : 1;
}

int analyse(const std::string &file)
{
    if (!UPA_open_file(file.c_str())) return 1;
    UPA_report r;
    UPA_initialize(&r);
    if (UPA_prompt_station(&r) != 1) return 1;
    UPA_close_file();
    if (UPA_merge_report(&r) != 1) {
        std::fprintf(stderr, "upa_tool: station %s has no temperature levels\n", r.id);
        return 1;
    }
    THERM_set_id(r.id, r.wmo);  // after the load, which resets the WMO number
    Date date;
    UPA_get_date(&date);
    THERM_set_date(&date);
    THERM_calc();
    // The reports print under the output classes unless the user chose a mask.
    MESS_set(MESS_DEF_ADD, M_OUT1 | M_OUT2 | M_OUT3);
    THERM_sig_table();
    THERM_indices();
    THERM_wind();
    THERM_wind_table();
    THERM_storm_table();
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "upa_tool", res_key, res_pos)) return 0;
    const std::vector<std::string> w = file_arguments();
    if (w.empty()) return 2;
    const std::string &cmd = w[0];
    if (cmd == "kind" && w.size() == 2) return kind(w[1]);
    if (cmd == "list" && w.size() == 2) return list(w[1]);
    if (cmd == "dump" && (w.size() == 2 || w.size() == 3))
        return dump_file(w[1], w.size() == 3 ? std::atoi(w[2].c_str()) : UPA_READ_ALL);
    if (cmd == "select" && w.size() == 2) return select(w[1]);
    if (cmd == "analyse" && w.size() == 2) return analyse(w[1]);
    if (cmd == "convert" && w.size() == 4) return convert(w[1], w[2], std::atoi(w[3].c_str()));
    std::fprintf(stderr, "upa_tool: unknown command or wrong number of words: %s\n", cmd.c_str());
    return 2;
}

// Fixtures of the variable tests: a scratch directory on the file path with a small variable
// table, a source table and a variable file of macros and menu records; and the slots written
// as compact rows.
#ifndef VAR_FIXTURE_H
#define VAR_FIXTURE_H

#include "test_util.h"
#include "vykvar.h"

#include <string>
#include <vector>

namespace vartest {

// Flags start unset (-9999) as after the resource layer's start.
inline const bool flags_unset = (FLAG_reset(VYK_MISS), true);

inline const char *const TABLE =
    "7 hgt Geopotential height\n"
    "11 tmp Temperature\n"
    "17 dewp Dew-point temperature\n"
    "31 wdir Wind direction\n"
    "32 wspd Wind speed\n"
    "33,133,233 uwnd U-component of wind   \r\n"
    "34 vwnd V-component of wind\n"
    "52 rhum Relative humidity\n"
    "11 temp Temperature again\n"
    "301 wbrb Wind barbs\n"
    "300000 big A big number\n"
    "2147483000 huge A huge number\n";

inline const char *const VAR_FILE =
    "wbrb    Wind_barbs      1 wbrb:knt:wbarb\n"
    "both    Temp_and_dew    1 tmp, dewp\n"
    "pair    Pair_at_500     1 12:500mb:tmp,\\\n"
    "        dewp\n"
    "loop    Self_loop       1 tmp,loop\n"
    "ping    Ping            1 pong\n"
    "pong    Pong            1 ping\n"
    "hid     Hidden          0 tmp\n"
    "eta12   Eta_at_12       mo=eta*&ft=12 tmp\n"
    "either  Eta_or_ngm      mo=eta,mo=ngm tmp\n"
    "fmt     Formats         1 tmp:C:value:%5.1f:%s:fm=%n:fm=%4.0f:co=red\n";

inline const char *const SOURCES =
    "# sources\n"
    "7 US National Weather Service - NCEP (WMC)\n"
    "98 European Centre for Medium-Range Weather Forecasts  \r\n"
    "x 5 not a line\n";

/// The directory on the file path with "variable.lup", "source.lup" and "test.var".
class Files {
public:
    explicit Files(const std::string &var_file = VAR_FILE, const std::string &table = TABLE)
    {
        vyktest::write_file(dir_.file("variable.lup"), table);
        vyktest::write_file(dir_.file("source.lup"), SOURCES);
        vyktest::write_file(dir_.file("test.var"), var_file);
        RES_put("file_path", dir_.path().c_str());
    }
    std::string file(const std::string &name) const { return dir_.file(name); }

private:
    vyktest::TempDir dir_;
};

/// One slot as "name|flag|type|time|ltype|level|var0|units|format".
inline std::string row(const VAR_data &v)
{
    return std::string(v.name) + "|" + std::to_string(v.flag) + "|" + std::to_string(v.type) +
           "|" + std::to_string(v.time) + "|" + std::to_string(v.ltype) + "|" +
           std::to_string(v.level) + "|" + std::to_string(v.var[0]) + "|" + v.units + "|" +
           v.format;
}

/// The filled slots.
inline std::vector<std::string> rows()
{
    std::vector<std::string> out;
    for (int i = 0; i < VAR_get_num(); i++) out.push_back(row(*VAR_get_var(i)));
    return out;
}

}  // namespace vartest

#endif

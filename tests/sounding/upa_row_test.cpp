// Rows of the thermodynamic level table: the header, rows with and without the dash option,
// the narrow table of a silent second mask, labels, and values too wide for their columns.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace sndtest;

namespace {

constexpr M_type BASIC = M_OUT1_A, EXTENDED = M_OUT1_B;

std::string row(int ind, const UPA_level &lev, M_type mask = BASIC | EXTENDED)
{
    return printed(mask, [&] { UPA_print_level(BASIC, EXTENDED, ind, &lev); });
}

/// "%W.Pf" of a value, as the columns print it.
std::string f(const char *format, double v)
{
    char buf[32];
    snprintf(buf, sizeof buf, format, v);
    return buf;
}

TEST(UpaRow, Header)
{
    const std::string wide = printed(BASIC | EXTENDED, [] {
        UPA_print_level(BASIC, EXTENDED, 0, nullptr);
    });
    const std::string r1 = std::string(39, '-') + std::string(40, '-') + "\n";
    EXPECT_EQ(wide, r1 +
                        "LEV PRES  HGHT  TEMP  DEWP  RH  DD   WETB DIR SPD THETA THE-V THE-W "
                        "THE-E   W\n"
                        "     mb     m     C     C    %   C     C  deg knt   K     K     K     "
                        "K    g/kg\n" +
                        r1);
    const std::string narrow = printed(BASIC, [] { UPA_print_level(BASIC, EXTENDED, 0, nullptr); });
    EXPECT_EQ(narrow, std::string(39, '-') + "\nLEV PRES  HGHT  TEMP  DEWP  RH DIR SPD\n"
                                             "     mb     m     C     C    % deg knt\n" +
                          std::string(39, '-') + "\n");
}

TEST(UpaRow, RowWithEveryColumn)
{
    const UPA_level lev = L(850, 1460, 8, 2, 240, 25);
    const float T = 281.15f, Td = 275.15f;
    const std::string want = "  3  850  1460   8.0   2.0 " + f("%3.0f ", rel_hum(T, Td)) +
                             " 6.0 " + f("%5.1f ", wet_bulb(T, Td, 850) - 273.15f) +
                             "240  25 " + f("%5.1f ", pot_temp(T, 850)) +
                             f("%5.1f ", virt_pot_temp(T, Td, 850)) +
                             f("%5.1f ", wet_bulb_pot_temp(T, Td, 850)) +
                             f("%5.1f ", eq_pot_temp(T, Td, 850)) + f("%5.2f", mix_ratio(Td, 850)) +
                             "\n";
    EXPECT_EQ(row(3, lev), want);
    EXPECT_NEAR(rel_hum(T, Td), 66, 1);  // Magnus: e(2 C) / e(8 C)
    EXPECT_NEAR(pot_temp(T, 850), 281.15 * std::pow(1000 / 850.0, 0.286), 1e-3);
}

TEST(UpaRow, MissingValuesAsBlanksOrDashes)
{
    const UPA_level lev = L(700, 3000, -2, M, 250, M);
    const std::string blank = row(5, lev, BASIC);
    EXPECT_EQ(blank, "  5  700  3000  -2.0           250     \n");
    UPA_set_miss_dash();
    EXPECT_EQ(row(5, lev, BASIC), "  5  700  3000  -2.0     -   - 250   - \n");
    const std::string wide = row(5, lev);
    EXPECT_NE(wide.find("  - 250   - "), std::string::npos);
    EXPECT_NE(wide.find("   - "), std::string::npos);  // DD
    EXPECT_EQ(wide.substr(wide.size() - 6), "    -\n");  // W
}

TEST(UpaRow, LabelsAndPressureDecimals)
{
    EXPECT_EQ(row(UPA_ROW_SFC, L(1000, 100), BASIC).substr(0, 9), "SFC 1000 ");
    EXPECT_EQ(row(UPA_ROW_SFC, L(500, 100), BASIC).substr(0, 9), " -1  500 ");
    EXPECT_EQ(row(UPA_ROW_TRP, L(250, M), BASIC).substr(0, 4), "TRP ");
    EXPECT_EQ(row(UPA_ROW_EL, L(250, M), BASIC).substr(0, 4), " EL ");
    EXPECT_EQ(row(UPA_ROW_FRZ, L(250, M), BASIC).substr(0, 4), "FRZ ");
    EXPECT_EQ(row(-11, L(250, M), BASIC).substr(0, 4), "-11 ");
    EXPECT_EQ(row(7, L(5, M), BASIC).substr(0, 9), "  7  5.0 ");
    EXPECT_EQ(row(7, L(10, M), BASIC).substr(0, 9), "  7   10 ");
    EXPECT_EQ(row(7, L(M, M), BASIC).substr(0, 9), "  7      ");
}

TEST(UpaRow, TooWideValuesKeepTheColumns)
{
    // Each column keeps its width: a value that does not fit prints as stars.
    // (The dew point above the temperature gives a humidity of more than 999 %.)
    const UPA_level lev = L(10500, 123456, -100.5, 5, 1000, 2500);
    EXPECT_EQ(row(1234, lev, BASIC), "*** **** ***** *****   5.0 *** *** *** \n");
    const std::string wide = row(1, lev);
    EXPECT_EQ(wide.size(), row(1, L(850, 1460, 8, 2, 240, 25)).size());
}

}  // namespace

// Fuzz target of domain strings and the region file "vyk.reg": the input up to its first zero
// byte is a domain string (also taken as a region name), the rest the region file (without a
// zero byte the whole input is both).  The text is decoded, the file searched, loaded as the
// menu and listed; the decoded domain is made current and points go through the transforms and
// the direction functions, whose outputs must be finite or the missing value -9999.
#include "vyk.h"
#include "vykplot.h"
#include "fuzz_util.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

using vykfuzz::fail;
using vykfuzz::work_dir;
using vykfuzz::write_bytes;

void check(float v, const char *what)
{
    if (!std::isfinite(v)) fail(what);
}

void exercise_domain(const Domain &d)
{
    MAP_domain(&d);
    MAP_limits l;
    MAP_get_limits(&l);
    static const float places[][2] = {{0, 0},     {45, -100}, {-60, 140}, {89.9f, 10},
                                      {-90, 180}, {10, 1e20f}, {NAN, 0},  {-9999, -9999}};
    for (const auto &p : places) {
        float x, y, lat, lon;
        MAP_tran(p[0], p[1], &x, &y);
        check(x, "MAP_tran: x not finite");
        check(y, "MAP_tran: y not finite");
        MAP_untran(x, y, &lat, &lon);
        check(lat, "MAP_untran: lat not finite");
        check(lon, "MAP_untran: lon not finite");
        check(MAP_dir_adj(45, x, y), "MAP_dir_adj: not finite");
        check(MAP_undir_adj(45, x, y), "MAP_undir_adj: not finite");
        float xf, yf;
        MAP_offset(x, y, 30, 100, &xf, &yf);
        check(xf, "MAP_offset: not finite");
    }
    MAP_set_plot_limit(2);
    MAP_plot_grid_init();
    MAP_plot_grid(l.x_min, l.y_max);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool prepared = [] {
        MESS_set(MESS_PROG_SET, 0);
        FLAG_set_batch(1);
        RES_put("file_path", work_dir());
        return true;
    }();
    (void)prepared;

    const uint8_t *zero = static_cast<const uint8_t *>(memchr(data, 0, size));
    const std::string text(reinterpret_cast<const char *>(data),
                           zero ? static_cast<size_t>(zero - data) : size);
    const uint8_t *file = zero ? zero + 1 : data;
    write_bytes(std::string(work_dir()) + "/vyk.reg", file, size - static_cast<size_t>(file - data));

    Domain d;
    const int r = DOM_decode(text.c_str(), &d);
    if (r != -9999 && r != -1 && r != 1 && r != 2) fail("DOM_decode: result out of range");
    exercise_domain(d);

    char domstr[DOM_STR_LEN];
    std::memset(domstr, 'x', sizeof domstr);
    if (DOM_search_file("vyk.reg", text.c_str(), domstr) == 1 &&
        std::memchr(domstr, 0, sizeof domstr) == nullptr)
        fail("DOM_search_file: domain string not terminated");
    DOM_search_file("vyk.reg", nullptr, domstr);
    DOM_decode("fi:vyk.reg", &d);
    DOM_read_menu("vyk.reg");
    for (int k = 0; k < DOM_MENU_ROWS; k++) {
        const char *name = DOM_get_region_name(k);
        if (name != nullptr && std::strlen(name) > DOM_NAME_MAX && k > 0)
            fail("DOM_read_menu: name longer than its field");
    }
    DOM_print_file("vyk.reg");
    Domain first;
    DOM_get_region(&first, 4);
    exercise_domain(first);
    return 0;
}

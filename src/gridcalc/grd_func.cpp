// grd_func.cpp: the names of the grid functions, classified for the variable language and the
// data-plotting driver before anything is computed.
//
// A grid-function text is a name, optionally a '-' and the type (the variable the result
// carries).  Only the name counts: it is compared whole and with letter case against one table;
// a name longer than GRD_FUNC_NAME_MAX characters names no function.
#include "vykcalc.h"

#include <cstring>
#include <string_view>

namespace {

// Plot-type codes given to the results (the variable language's codes).
constexpr int TYPE_NONE = 0;
constexpr int TYPE_GRID = 10;
constexpr int TYPE_WIND = 20;
constexpr int TYPE_VECT = 21;
constexpr int TYPE_STRM = 23;

struct Func {
    std::string_view name;
    int type;   // what GRD_is_math_func answers
    bool plot = false;  // a plotting marker: nothing is computed
    bool vect = false;  // two output grids
};

// In the order the names are compared.  "grad" and "vdiff" are computed by the evaluator but not
// classified: their type comes from the variable language's other rules.
constexpr Func FUNCS[] = {
    {"wind", TYPE_WIND, true, false},   {"vect", TYPE_VECT, true, false},
    {"stream", TYPE_STRM, true, false}, {"strm", TYPE_STRM, true, false},
    {"grad", TYPE_NONE, false, true},   {"vdiff", TYPE_NONE, false, true},
    {"copy", TYPE_GRID},   {"max", TYPE_GRID},    {"min", TYPE_GRID},     {"add", TYPE_GRID},
    {"sum", TYPE_GRID},    {"avg", TYPE_GRID},    {"interp", TYPE_GRID},  {"sub", TYPE_GRID},
    {"thick", TYPE_GRID},  {"mul", TYPE_GRID},    {"mod", TYPE_GRID},     {"sqrt", TYPE_GRID},
    {"pow", TYPE_GRID},    {"exp", TYPE_GRID},    {"log", TYPE_GRID},     {"log10", TYPE_GRID},
    {"abs", TYPE_GRID},    {"div", TYPE_GRID},    {"sin", TYPE_GRID},     {"cos", TYPE_GRID},
    {"tan", TYPE_GRID},    {"asin", TYPE_GRID},   {"acos", TYPE_GRID},    {"atan", TYPE_GRID},
    {"atan2", TYPE_GRID},  {"dx", TYPE_GRID},     {"dy", TYPE_GRID},      {"dewp", TYPE_GRID},
    {"rhum", TYPE_GRID},   {"wetblb", TYPE_GRID}, {"show", TYPE_GRID},    {"wchill", TYPE_GRID},
    {"wchill2", TYPE_GRID}, {"heat", TYPE_GRID},  {"theta", TYPE_GRID},   {"thetae", TYPE_GRID},
    {"vtemp", TYPE_GRID},  {"thetav", TYPE_GRID}, {"vapor", TYPE_GRID},   {"shum", TYPE_GRID},
    {"mixrat", TYPE_GRID}, {"wspd", TYPE_GRID},   {"spd", TYPE_GRID},     {"mag", TYPE_GRID},
    {"wdir", TYPE_GRID},   {"dir", TYPE_GRID},    {"dot", TYPE_GRID},     {"cross", TYPE_GRID},
    {"ugeos", TYPE_GRID},  {"vgeos", TYPE_GRID},  {"uq", TYPE_GRID},      {"vq", TYPE_GRID},
    {"lapl", TYPE_GRID},   {"conv", TYPE_GRID},   {"diverg", TYPE_GRID},  {"def1", TYPE_GRID},
    {"def2", TYPE_GRID},   {"vconv", TYPE_GRID},  {"rvort", TYPE_GRID},   {"avort", TYPE_GRID},
    {"adv", TYPE_GRID},
};

/// The table row of a text's name (the text before its first '-'), or NULL.
const Func *find(const char *str)
{
    if (!str) return nullptr;
    const char *dash = std::strchr(str, '-');
    const std::string_view name(str, dash ? static_cast<size_t>(dash - str) : std::strlen(str));
    if (name.empty() || name.size() > GRD_FUNC_NAME_MAX) return nullptr;
    for (const Func &f : FUNCS)
        if (f.name == name) return &f;
    return nullptr;
}

}  // namespace

int GRD_is_vect_func(const char *str)
{
    const Func *f = find(str);
    return f && f->vect ? 1 : 0;
}

int GRD_is_plot_func(const char *str)
{
    const Func *f = find(str);
    return f && f->plot ? 1 : 0;
}

int GRD_is_math_func(const char *str)
{
    const Func *f = find(str);
    return f ? f->type : TYPE_NONE;
}

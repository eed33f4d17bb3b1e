// grd_math_internal.h: what the function files of the grid-function evaluator share: one call
// of a function (its slots, setup, arguments and point loop) and the tables of functions that
// the evaluator dispatches to (general functions in grd_math.cpp, thermodynamic ones in
// grd_therm.cpp, wind and kinematic ones in grd_wind.cpp).
#ifndef GRD_MATH_INTERNAL_H
#define GRD_MATH_INTERNAL_H

#include "grd_internal.h"
#include "vykcalc.h"

#include <span>
#include <string_view>

/// An argument read point by point: a grid's values (step 1) or a constant (step 0).
struct MathArg {
    const float *p = nullptr;
    size_t step = 0;
    float operator[](size_t k) const { return p[k * step]; }
};

/// A grid argument: a record with a source and values.
inline bool grd_holds_values(const GRD_report *g) { return g && g->source != 0 && grd_points(g) > 0; }

/// Splits a grid-function text into its name (before the first '-') and type (after it, up to
/// white space), each copied when it has at most GRD_FUNC_NAME_MAX characters (else the name
/// is left empty, the type cut).  The whole name part, for messages.
std::string_view grd_split_func(const char *str, char (&func)[GRD_FUNC_NAME_MAX + 1],
                                char (&type)[GRD_FUNC_NAME_MAX + 1]);

/// One call of a grid function.  Argument k (from 1) stands in slot k, or k + 1 for a
/// two-output function.  Nothing past the slots that the function's setup covered is read.
class MathCall {
public:
    MathCall(const char *func, const char *type, GRD_report **grids, const float *values);
    MathCall(const MathCall &) = delete;
    MathCall &operator=(const MathCall &) = delete;

    const char *func() const { return func_; }
    const char *type() const { return type_; }
    /// Label words are given to a result only when the function text names no type.
    bool labelled() const { return type_[0] == '\0'; }

    /// The evaluator's setup for num arguments with the result's units (none when NULL or
    /// empty), under the function name func (this call's own when NULL).  false after
    /// "GRD_math: Invalid grids".
    bool setup(int num, const char *units = nullptr, const char *func = nullptr);
    /// Says "GRD_math: Invalid grids" and returns 0, the result of a refused call.
    int refuse() const;
    /// The number of arguments present (GRD_find_num_data).
    int count() const { return GRD_find_num_data(grids_, values_); }

    GRD_report *out(int o = 0) const { return grids_[o]; }
    float *out_values(int o = 0) const { return ptr_[o]; }
    size_t points() const { return static_cast<size_t>(nx_) * static_cast<size_t>(ny_); }
    int nx() const { return nx_; }
    int ny() const { return ny_; }
    /// Argument k's record when it is a grid, else NULL.
    GRD_report *rec(int k) const;
    /// Argument k as values to read point by point (set up arguments only).
    MathArg arg(int k) const;
    /// Converts grid argument k to units in place (constants are left as they are).
    void convert(int k, const char *units) const;

    /// out_values()[k] = f(k) for every point.
    template <class F> void each(F f) const
    {
        float *o = ptr_[0];
        const size_t n = points();
        for (size_t k = 0; k < n; k++) o[k] = f(k);
    }

private:
    int slot(int k) const { return k + shift_; }
    const char *func_;
    const char *type_;
    GRD_report **grids_;
    const float *values_;
    int shift_;
    float *ptr_[GRD_MATH_SLOTS] = {};
    int nx_ = 0, ny_ = 0;
};

/// One function of the evaluator: its name and how it runs (1 done, 0 refused).
struct MathFunc {
    std::string_view name;
    int (*run)(MathCall &c);
};

std::span<const MathFunc> grd_general_funcs();  // grd_math.cpp
std::span<const MathFunc> grd_therm_funcs();    // grd_therm.cpp
std::span<const MathFunc> grd_wind_funcs();     // grd_wind.cpp

/// The units of argument k of c (empty for a constant), copied so that they outlive changes
/// to the record.
struct ArgUnits {
    char text[GRD_UNITS_LEN] = "";
    ArgUnits(const MathCall &c, int k)
    {
        if (const GRD_report *g = c.rec(k)) strfcpy(text, g->units);
    }
};

#endif

// vykunit.h: unit conversion (unit.cpp).
#ifndef VYKUNIT_H
#define VYKUNIT_H

#include <cstddef>

// A unit text is an optional numeric factor ("100 m", "1e-05 K/m", "10^-3 kg", "-Pa") and a
// bare name; letter case does not matter and '_' equals a blank.  Different names convert
// through the lookup file "units.lup" on the file_path resource, read once.

/// value converted from iunit to ounit.  -9999 passes through; equal texts, or an empty text on
/// either side, return value.  A pair that cannot be converted (no "units.lup", no entry, a zero
/// or unusable factor) gives -9999 with one warning (mask 192).
float UNIT_cvt(float value, const char *iunit, const char *ounit);
/// Writes "%.0e %s%s" (in's factor times scale, in's bare name, mstr) into out (size bytes).
int UNIT_scale(const char *in, float scale, const char *mstr, char *out, size_t size);
template <size_t N> int UNIT_scale(const char *in, float scale, const char *mstr, char (&out)[N])
{
    return UNIT_scale(in, scale, mstr, out, N);
}
/// Splits "name (units)": var gets the text before the first '(' without trailing blanks, units
/// the text between it and the next ')'; both cut to their buffers.
int UNIT_parse(const char *str, char *var, size_t var_size, char *units, size_t units_size);
template <size_t N, size_t M> int UNIT_parse(const char *str, char (&var)[N], char (&units)[M])
{
    return UNIT_parse(str, var, N, units, M);
}
/// Rewrites the label str (size bytes) as "%s (%s)" with its name and the new units.
int UNIT_change(char *str, size_t size, const char *units);
template <size_t N> int UNIT_change(char (&str)[N], const char *units)
{
    return UNIT_change(str, N, units);
}

#endif

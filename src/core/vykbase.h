// vykbase.h: the conventions every component shares.
//
// Results follow one convention: 0 for success and -1 for failure, predicates 1 or 0, lookups a
// pointer or NULL.  VYK_MISS (-9999) marks a value that is not known.
#ifndef VYKBASE_H
#define VYKBASE_H

/// The missing value: the value of every int or float field and result that has no value.
constexpr int VYK_MISS = -9999;
/// The missing-value test.
constexpr bool VYK_is_miss(float v) { return v == static_cast<float>(VYK_MISS); }

#endif

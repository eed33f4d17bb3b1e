// bench_field.h: the square grid that the grid benchmarks compute on, write and read.
#ifndef BENCH_FIELD_H
#define BENCH_FIELD_H

#include "vykgrd.h"
#include "vykplot.h"

#include <cmath>

/// A grid of n x n values offset + scale * sin(k / 1000) at point k, every 97th point missing,
/// on a latitude-longitude domain or the one given.
struct BenchField {
    GRD_report r{};
    explicit BenchField(int n, float scale = 30, float offset = 0,
                        const char *domain = "ll,40,-100,10,10,0.25,0.25")
    {
        MESS_set(0, 0);
        GRD_init(&r);
        DOM_decode(domain, &r.domain);
        r.domain.nx = r.domain.ny = n;
        GRD_alloc(&r);
        for (int k = 0; k < n * n; k++)
            r.grid[k] = k % 97 == 0 ? VYK_MISS
                                    : offset + scale * std::sin(0.001f * static_cast<float>(k));
    }
    ~BenchField() { GRD_free(&r); }
    BenchField(const BenchField &) = delete;
    BenchField &operator=(const BenchField &) = delete;
};

#endif

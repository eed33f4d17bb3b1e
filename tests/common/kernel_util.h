// Helpers of the kernel tests: colour representations, world coordinates that are the own
// window's pixels, and a small colour table.  For the tests of graphics and the folders above it.
#ifndef VYK_KERNEL_UTIL_H
#define VYK_KERNEL_UTIL_H

#include <gtest/gtest.h>

#include "gks.h"
#include "test_util.h"
#include "vykgks.h"
#include "vykresrc.h"

namespace vyktest {

/// Gives colour ind of workstation 1 the representation (r, g, b); a refusal fails the test.
inline void define(int ind, float r, float g, float b)
{
    const Gcolr_rep rep = {r, g, b};
    ASSERT_EQ(gset_colr_rep(1, ind, &rep), 0);
}

/// Transformation 1 maps world (x, y) to pixel (x, 511 - y) of the default 640 x 512 window.
inline void pixel_world()
{
    const Glim ws = {0, 1, 0, 511.0f / 639.0f};
    gset_ws_win(1, &ws);
    const Glim win = {0, 639, 0, 511};
    gset_win(1, &win);
    gset_vp(1, &ws);
    gsel_norm_tran(1);
}

/// The world point whose pixel is (px, py) under transformation 1 as open_pixel_square sets it.
inline Gpt at_pixel(int px, int py)
{
    return {static_cast<float>(px), static_cast<float>(511 - py)};
}

/// Opens the kernel on the own window with transformation 1 in pixels of its left 512 x 512
/// square; colour 0 black, 2 red, 3 white; no text shadow; the square painted in colour ground.
inline void open_pixel_square(int ground = 0)
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    const Glim win = {0, 511, 0, 511};
    ASSERT_EQ(gset_win(1, &win), 0);
    ASSERT_EQ(gsel_norm_tran(1), 0);
    define(0, 0, 0, 0);
    define(2, 1, 0, 0);
    define(3, 1, 1, 1);
    ASSERT_EQ(gset_font_drop(0), 0);  // no shadow unless a test asks for one
    ASSERT_EQ(gset_fill_colr_ind(ground), 0);
    const Gpt all[] = {at_pixel(0, 0), at_pixel(511, 0), at_pixel(511, 511), at_pixel(0, 511)};
    ASSERT_EQ(gfill_area(4, all), 0);
}

/// Loads a small colour table while it lives (file_path names its scratch folder): red 0,
/// green 1, magenta 2, white 3.
class Colours {
public:
    Colours()
    {
        write_file(dir_.file("t.clr"), "red 1 0 0\ngreen 0 1 0\nmagenta 1 0 1\nwhite 1 1 1\n");
        RES_put("file_path", dir_.path().c_str());
        CLR_read_table("t.clr");
    }

private:
    TempDir dir_;
};

}  // namespace vyktest

#endif

// Helpers shared by the tests that check pixels: colours, binary PPM images, captures of the
// kernel's own window, and image records that release themselves.
#ifndef VYK_IMAGE_UTIL_H
#define VYK_IMAGE_UTIL_H

#include "vykimg.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace vyktest {

/// A colour, 8 bits a component; {-1, -1, -1} stands for a pixel outside an image.
struct Rgb {
    int r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream &operator<<(std::ostream &os, const Rgb &c);

/// An RGB image, 8 bits a component, rows from the top.
struct RgbImage {
    int width = 0, height = 0;
    int border = 0;  // a window capture holds the window's border around its inside
    std::string pixels;
    /// The pixel at (x, y) of the window's inside.
    Rgb at(int x, int y) const;
};

/// A binary PPM: "P6", width, height and the largest value (255), with comment lines among
/// them, then the pixels.  A text that is not one is a test failure (and an empty image).
RgbImage parse_ppm(const std::string &ppm);

/// The kernel's own window as it is on the screen (xwd | convert), brought up to date first.
RgbImage capture_window();

/// Writes a binary PPM (maximum 255) of w x h pixels, rows from the top.
void write_ppm(const std::string &file, int w, int h, const std::vector<Rgb> &px);

/// ImageMagick's decoding of a file (of its frame `frame` when that is not negative): 8-bit
/// RGB triples, rows from the top.
std::vector<Rgb> magick_rgb(const std::string &file, int frame = -1);

/// Four bytes, most significant first.
std::string be32(uint32_t v);

/// An image record that releases itself.
struct ImageRecord {
    IMG_report r;
    ImageRecord() { IMG_init(&r); }
    ~ImageRecord() { IMG_free(&r); }
    ImageRecord(const ImageRecord &) = delete;
    ImageRecord &operator=(const ImageRecord &) = delete;
};

}  // namespace vyktest

#endif

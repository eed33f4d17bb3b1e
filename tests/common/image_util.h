// Helpers shared by the tests that check pixels: colours, binary PPM images, captures of the
// kernel's own window, and image records that release themselves.
#ifndef VYK_IMAGE_UTIL_H
#define VYK_IMAGE_UTIL_H

#include "img.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
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
    /// Every pixel, rows from the top.
    std::vector<Rgb> rgb() const;
};

/// A binary PPM ("P6") or PGM ("P5", read as grey triples): the magic, width, height and the
/// largest value (up to 65535, scaled to 8 bits), with comment lines among them, then the
/// pixels.  A text that is not one is a test failure (and an empty image).
RgbImage parse_ppm(const std::string &ppm);

/// A picture file as ImageMagick reads it, 8 bits a component.
RgbImage read_picture(const std::string &file);

/// The kernel's own window as it is on the screen (xwd | convert), brought up to date first.
RgbImage capture_window();

/// A window of an X server (display empty: $DISPLAY) as the screen shows it, without its border
/// (xwd | convert); a PNG copy is kept in png when one is named.
RgbImage capture_xwd(unsigned long window, const std::string &display = "",
                     const std::string &png = "");

/// Writes a binary PPM (maximum 255) of w x h pixels, rows from the top.
void write_ppm(const std::string &file, int w, int h, const std::vector<Rgb> &px);

/// ImageMagick's decoding of a file (of its frame `frame` when that is not negative): 8-bit
/// RGB triples, rows from the top.
std::vector<Rgb> magick_rgb(const std::string &file, int frame = -1);

/// Four bytes, most significant first.
std::string be32(uint32_t v);

/// Makes a TrueColor record of 4-byte pixels, least significant byte first (as a 24-bit window
/// capture gives it: masks 0xff0000, 0xff00, 0xff; the fourth byte, which no mask selects, holds
/// 0x77) with the colours px, rows from the top.
void make_truecolor(IMG_report *im, int w, int h, const std::vector<Rgb> &px);

/// Gives a record w x h pixels of depth bits, each taking bits bits of rows of bytes_line bytes,
/// the pixel area a copy of data; the other fields stay as they are.
void set_pixels(IMG_report *im, int w, int h, int depth, int bits, int bytes_line,
                const std::vector<unsigned char> &data);

/// Makes a record's pixels index a colour table of n entries, black but for the (index, colour)
/// entries listed.
void set_table(IMG_report *im, int n, const std::vector<std::pair<int, IMG_color>> &entries);

/// The colour of pixel (x, y) of a record: its colour-table entry (indexed records; {-1, -1, -1}
/// for an index beyond the table), its value as grey (no masks) or the colour its masks select.
Rgb record_rgb(const IMG_report &im, int x, int y);

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

#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vyktest {

std::ostream &operator<<(std::ostream &os, const Rgb &c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Rgb RgbImage::at(int x, int y) const
{
    x += border;
    y += border;
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const size_t p =
        3 * (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x));
    return {static_cast<unsigned char>(pixels[p]), static_cast<unsigned char>(pixels[p + 1]),
            static_cast<unsigned char>(pixels[p + 2])};
}

std::vector<Rgb> RgbImage::rgb() const
{
    std::vector<Rgb> px;
    for (size_t p = 0; p + 2 < pixels.size(); p += 3)
        px.push_back({static_cast<unsigned char>(pixels[p]),
                      static_cast<unsigned char>(pixels[p + 1]),
                      static_cast<unsigned char>(pixels[p + 2])});
    return px;
}

RgbImage parse_ppm(const std::string &ppm)
{
    size_t pos = 0;
    int fields[4] = {0, 0, 0, 0};  // the magic (5 or 6), width, height, largest value
    for (int &field : fields) {
        while (pos < ppm.size() && (std::isspace(static_cast<unsigned char>(ppm[pos])) ||
                                    ppm[pos] == '#')) {
            if (ppm[pos] == '#') pos = ppm.find('\n', pos);
            else pos++;
        }
        if (pos >= ppm.size()) break;
        if (&field == fields) {
            const bool magic = ppm[pos] == 'P' && pos + 1 < ppm.size() &&
                               (ppm[pos + 1] == '5' || ppm[pos + 1] == '6');
            field = magic ? ppm[pos + 1] - '0' : 0;
            pos += 2;
        } else {
            field = std::atoi(ppm.c_str() + pos);
            while (pos < ppm.size() && std::isdigit(static_cast<unsigned char>(ppm[pos]))) pos++;
        }
    }
    const int maxval = fields[3];
    if (fields[0] == 0 || fields[1] <= 0 || fields[2] <= 0 || maxval < 1 || maxval > 65535 ||
        pos >= ppm.size()) {
        ADD_FAILURE() << "not a PPM image";
        return {};
    }
    const size_t per = fields[0] == 6 ? 3 : 1, bytes = maxval > 255 ? 2 : 1;
    const size_t n = static_cast<size_t>(fields[1]) * static_cast<size_t>(fields[2]);
    const auto *p = reinterpret_cast<const unsigned char *>(ppm.data()) + pos + 1;
    if (ppm.size() - pos - 1 < n * per * bytes) {
        ADD_FAILURE() << "short PPM image";
        return {};
    }
    auto sample = [&](size_t i) {
        const unsigned char *q = p + i * bytes;
        const long v = bytes == 2 ? (q[0] << 8) | q[1] : q[0];
        return static_cast<char>((v * 255L + maxval / 2) / maxval);
    };
    RgbImage img;
    img.width = fields[1];
    img.height = fields[2];
    img.pixels.reserve(3 * n);
    for (size_t i = 0; i < n; i++)
        for (size_t k = 0; k < 3; k++) img.pixels += sample(per == 3 ? 3 * i + k : i);
    return img;
}

RgbImage read_picture(const std::string &file)
{
    const auto r = run("convert " + quote(file) + " -depth 8 ppm:-");
    EXPECT_EQ(r.status, 0) << r.err;
    return parse_ppm(r.out);
}

RgbImage capture_xwd(unsigned long window, const std::string &display, const std::string &png)
{
    std::string xwd = "xwd -silent -nobdrs -id " + std::to_string(window);
    if (!display.empty()) xwd += " -display " + quote(display);
    if (!png.empty()) {
        const auto r = run(xwd + " | convert xwd:- png:" + quote(png));
        EXPECT_EQ(r.status, 0) << r.err;
        return read_picture(png);
    }
    const auto r = run(xwd + " | convert xwd:- -depth 8 ppm:-");
    EXPECT_EQ(r.status, 0) << r.err;
    return parse_ppm(r.out);
}

void write_ppm(const std::string &file, int w, int h, const std::vector<Rgb> &px)
{
    std::string s = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (const Rgb &c : px) {
        s += static_cast<char>(c.r);
        s += static_cast<char>(c.g);
        s += static_cast<char>(c.b);
    }
    write_file(file, s);
}

std::vector<Rgb> magick_rgb(const std::string &file, int frame)
{
    std::string input = quote(file);
    if (frame >= 0) input += "[" + std::to_string(frame) + "]";
    const auto r = run("convert " + input + " -depth 8 rgb:-");
    std::vector<Rgb> px;
    EXPECT_EQ(r.status, 0) << r.err;
    for (size_t i = 0; i + 2 < r.out.size(); i += 3)
        px.push_back({static_cast<unsigned char>(r.out[i]),
                      static_cast<unsigned char>(r.out[i + 1]),
                      static_cast<unsigned char>(r.out[i + 2])});
    return px;
}

std::string be32(uint32_t v)
{
    std::string s;
    for (int sh = 24; sh >= 0; sh -= 8) s += static_cast<char>(v >> sh);
    return s;
}

void make_truecolor(IMG_report *im, int w, int h, const std::vector<Rgb> &px)
{
    im->width = w;
    im->height = h;
    im->depth = 24;
    im->bits_pixel = 32;
    im->bytes_line = 4 * w;
    im->byte_order = 0;
    im->color_type = 0;
    im->red = 0xff0000;
    im->grn = 0xff00;
    im->blu = 0xff;
    im->data = static_cast<unsigned char *>(std::calloc(static_cast<size_t>(4) * w * h, 1));
    for (int i = 0; i < w * h; i++) {
        im->data[4 * i] = static_cast<unsigned char>(px[i].b);
        im->data[4 * i + 1] = static_cast<unsigned char>(px[i].g);
        im->data[4 * i + 2] = static_cast<unsigned char>(px[i].r);
        im->data[4 * i + 3] = 0x77;
    }
}

void set_pixels(IMG_report *im, int w, int h, int depth, int bits, int bytes_line,
                const std::vector<unsigned char> &data)
{
    im->width = w;
    im->height = h;
    im->depth = depth;
    im->bits_pixel = bits;
    im->bytes_line = bytes_line;
    std::free(im->data);
    im->data = static_cast<unsigned char *>(std::malloc(std::max<size_t>(data.size(), 1)));
    if (!data.empty()) std::memcpy(im->data, data.data(), data.size());
}

void set_table(IMG_report *im, int n, const std::vector<std::pair<int, IMG_color>> &entries)
{
    im->color_type = 1;
    im->num_colors = n;
    std::free(im->colors);
    im->colors = static_cast<IMG_color *>(std::calloc(static_cast<size_t>(n), sizeof(IMG_color)));
    for (const auto &[i, c] : entries) im->colors[i] = c;
}

Rgb record_rgb(const IMG_report &im, int x, int y)
{
    const unsigned char *row = im.data + static_cast<size_t>(y) * im.bytes_line;
    if (im.color_type == 1) {
        const int i = row[x];
        if (im.colors == nullptr || i >= im.num_colors) return {-1, -1, -1};
        const IMG_color &c = im.colors[i];
        return {static_cast<int>(std::lround(c.r * 255)), static_cast<int>(std::lround(c.g * 255)),
                static_cast<int>(std::lround(c.b * 255))};
    }
    if (im.red == 0 && im.grn == 0 && im.blu == 0) return {row[x], row[x], row[x]};
    const int n = im.bits_pixel == 32 ? 4 : 3;
    const unsigned char *p = row + static_cast<size_t>(n) * x;
    unsigned long v = 0;
    for (int k = 0; k < n; k++)
        v |= static_cast<unsigned long>(p[im.byte_order ? n - 1 - k : k]) << (8 * k);
    auto channel = [v](unsigned mask) {
        return mask ? static_cast<int>((v & mask) >> __builtin_ctz(mask)) : 0;
    };
    return {channel(im.red), channel(im.grn), channel(im.blu)};
}

RgbImage capture_window()
{
    gupdate_window();
    const auto res = run("xwd -id " + std::to_string(gget_root_window()) +
                         " -silent | convert xwd:- -depth 8 ppm:-");
    EXPECT_EQ(res.status, 0) << res.err;
    RgbImage img = parse_ppm(res.out);
    img.border = (img.width - gget_window_width()) / 2;
    EXPECT_EQ(img.height, gget_window_height() + 2 * img.border);
    return img;
}

}  // namespace vyktest

#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"

#include <cctype>
#include <cstdlib>

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

RgbImage parse_ppm(const std::string &ppm)
{
    RgbImage img;
    size_t pos = 0;
    int fields[4] = {0, 0, 0, 0};
    for (int &field : fields) {
        while (pos < ppm.size() && (std::isspace(static_cast<unsigned char>(ppm[pos])) ||
                                    ppm[pos] == '#')) {
            if (ppm[pos] == '#') pos = ppm.find('\n', pos);
            else pos++;
        }
        if (pos >= ppm.size()) break;
        if (&field == fields) {
            field = ppm.compare(pos, 2, "P6") == 0;
            pos += 2;
        } else {
            field = std::atoi(ppm.c_str() + pos);
            while (pos < ppm.size() && std::isdigit(static_cast<unsigned char>(ppm[pos]))) pos++;
        }
    }
    if (fields[0] != 1 || fields[3] != 255 || pos >= ppm.size()) {
        ADD_FAILURE() << "not a PPM image";
        return {};
    }
    img.width = fields[1];
    img.height = fields[2];
    img.pixels = ppm.substr(pos + 1);
    EXPECT_EQ(img.pixels.size(), 3u * img.width * img.height);
    return img;
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

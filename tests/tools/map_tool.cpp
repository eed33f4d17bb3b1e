// Decodes a domain string or region name, prints the domain (DOM_print) and the decoder's
// result, makes the domain current and transforms the points read from standard input, one
// line each, so that projections can be checked from a shell:
//   map_tool [-fp dir] [-b] [-i] [-p] [-re text] [-pd text] [domain]
// Each input line "lat lon" gives "x y lat lon": the plot position and the place found back
// from it (-i: each line "x y" gives "lat lon").  -p takes the domain from the region prompt
// (the resources -pd and -re, the region menu) instead of the argument; -b is batch mode; -fp
// sets the file_path resource (where vyk.reg is found).  Values print with %.6f.
#include "vyk.h"
#include "vykplot.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char **argv)
{
    bool inverse = false, prompt = false;
    const char *text = nullptr;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "-i") inverse = true;
        else if (a == "-p") prompt = true;
        else if (a == "-b") FLAG_set_batch(1);
        else if ((a == "-fp" || a == "-re" || a == "-pd") && i + 1 < argc) {
            const char *name = a == "-fp" ? "file_path" : a == "-re" ? "region" : "plot_domain";
            RES_put(name, argv[++i]);
        } else if (text == nullptr) text = argv[i];
        else return 99;
    }

    Domain domain;
    const int result = prompt ? DOM_prompt_region(&domain, 1) : DOM_decode(text, &domain);
    std::printf("result %d\n", result);
    std::fflush(stdout);
    DOM_print(M_PRINT, &domain);
    std::fflush(stdout);
    MAP_domain(&domain);

    char line[256];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        float a, b;
        if (std::sscanf(line, "%f %f", &a, &b) != 2) continue;
        float x, y, lat, lon;
        if (inverse) {
            MAP_untran(a, b, &lat, &lon);
            std::printf("%.6f %.6f\n", lat, lon);
        } else {
            lat = lon = VYK_MISS;
            if (MAP_tran(a, b, &x, &y) == 1) MAP_untran(x, y, &lat, &lon);
            std::printf("%.6f %.6f %.6f %.6f\n", x, y, lat, lon);
        }
    }
    return 0;
}

// grd_cmd.cpp: the grid calculator's command language and the reductions over several grid
// files.
//
// Grids go through the grid table: slot 0 holds the result (and the first operand, computed
// in place), slot 1 the second operand or the input of a single-grid operation, slots 2 and 3
// further operands of a function call.  Every file name is built under the naming convention
// an operand names, between a save and a restore of the convention in force.  A result is
// written only when its computation succeeded.
#include "grd_cmd.h"

#include "grd_math_internal.h"
#include "vykcalc.h"
#include "cty.h"
#include "grd_oper.h"
#include "grd_output.h"
#include "grd_kin.h"
#include "vykplot.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
/// Largest mosaic side of the "piece" form.
constexpr int PIECE_MAX = 64;
/// Operands of a function call after its first file: slots 2 and 3 of the grid table.
constexpr int FUNC_OPERANDS = 2;
/// Slot of the reduction's and the function call's second grid.
constexpr int SLOT_RESULT = 0, SLOT_INPUT = 1, SLOT_ARG = 2;
/// Words shown of a word in a message.
constexpr int WORD_SHOWN = 64;
/// The station file of "id" points.
constexpr const char *STATION_FILE = "sao.cty";

GRD_report *slot(int k) { return GRD_get_grid(k); }

bool is(const char *word, const char *key) { return word && stricmp(word, key) == 0; }

/// A number filling the whole word; false for anything else.
bool read_number(const char *word, float &v)
{
    if (!word || !*word) return false;
    char *end = nullptr;
    errno = 0;
    const double d = std::strtod(word, &end);
    if (end == word || *end != '\0' || errno == ERANGE || !std::isfinite(d)) return false;
    v = static_cast<float>(d);
    return true;
}

/// A constant operand: '#' and a number (as by atof), or "#cor" (cor set).
bool constant(const char *word, float &v, bool &cor)
{
    cor = false;
    if (!word || word[0] != '#') return false;
    if (stricmp(word + 1, "cor") == 0) return cor = true;
    v = static_cast<float>(std::atof(word + 1));
    return true;
}

/// The file-naming convention in force, restored when the object goes.
class KeepConv {
public:
    KeepConv() { FILE_save_name_conv(); }
    ~KeepConv() { FILE_restore_name_conv(); }
    KeepConv(const KeepConv &) = delete;
    KeepConv &operator=(const KeepConv &) = delete;
};

/// A file operand resolved: the file name with the selector appended, the selector alone.
struct Operand {
    char file[FILE_NAME_MAX + 1] = "";
    std::string selector;
    bool ok = false;
};

/// Builds the file name of a file operand under the convention its name gives (the caller
/// keeps the convention).  ok is false when a name is too long.
Operand resolve(const char *word)
{
    Operand o;
    const char *plus = std::strchr(word, '+');
    const std::string name(word, plus ? static_cast<size_t>(plus - word) : std::strlen(word));
    o.selector = plus ? plus : "";
    if (name.empty() || name.size() > FILE_NAME_MAX) {
        MESS_print(M_WARN, "GRD_math_command: not a file name: %.*s\n", WORD_SHOWN, word);
        return o;
    }
    if (FILE_is_exit_word(name.c_str())) {
        MESS_print(M_WARN, "GRD_math_command: %.*s is no grid file (a file of that name is "
                           "./%.*s)\n", WORD_SHOWN, word, WORD_SHOWN, word);
        return o;
    }
    FILE_set_name(name.c_str());
    const char *current = RES_get("current");
    if (current && current[0]) FILE_set_current(current, o.file);
    else if (FILE_set_file(name.c_str(), o.file) != 0) o.file[0] = '\0';
    if (!o.file[0] || std::strlen(o.file) + o.selector.size() > FILE_NAME_MAX) {
        MESS_print(M_WARN, "GRD_math_command: file name too long: %.*s\n", WORD_SHOWN, word);
        return o;
    }
    std::strcat(o.file, o.selector.c_str());
    o.ok = true;
    return o;
}

/// Reads the grid of a file operand into grid-table slot k with header info: true when found.
bool read_operand(const char *word, int k, GRD_info *info)
{
    Operand o;
    {
        const KeepConv keep;
        o = resolve(word);
    }
    if (!o.ok) return false;
    int kind = GRD_DETECT;
    return GRD_read_file(o.file, slot(k), info, &kind) >= 1;
}

/// Reads a file operand by its date: the file of that date under the convention the operand
/// names, into slot k.
bool read_operand_date(const char *word, int k, GRD_info *info)
{
    const KeepConv keep;
    const Operand o = resolve(word);
    if (!o.ok) return false;
    Date date;
    FILE_get_date(&date);
    int kind = GRD_DETECT;
    return GRD_read_file_date(&date, o.selector.c_str(), slot(k), info, &kind) >= 1;
}

/// One command: its words, the output file's header and the other operands' header.
struct Command {
    int num;
    char **cmd;
    GRD_info out_hdr{};
    GRD_info other_hdr{};
    float values[GRD_MATH_SLOTS];

    Command(int n, char **c) : num(n), cmd(c)
    {
        for (float &v : values) v = MISS;
    }
    const char *word(int k) const { return k >= 0 && k < num ? cmd[k] : nullptr; }
    /// Index k, or k + 1 when word k is "=".
    int skip_eq(int k) const { return is(word(k), "=") ? k + 1 : k; }

    /// Writes result as the file of OUT (word out; "-" when there is none) for the header's
    /// date, with the file-name key v and the labels of words out + 1 and out + 2.
    int save(GRD_report *result, const char *key, int out, GRD_info *header)
    {
        const int format = GRD_out_file(GRD_OUT_TEXT);
        char file[FILE_NAME_MAX + 1] = "";
        {
            const KeepConv keep;
            FILE_set_key('v', key);
            GRD_set_math_info(result, cmd, num, out + 1);
            const char *name = word(out) ? word(out) : "-";
            FILE_set_name(name);
            if (FILE_set_date(&header->date, file) < 0) file[0] = '\0';
        }
        if (!file[0]) {
            MESS_print(M_WARN, "GRD_math_command: no output file name\n");
            return 0;
        }
        // A write that fails fails the command; with no output asked for there is nothing to write.
        return GRD_save_file(file, result, header, format) || format == GRD_OUT_NONE;
    }
};

/// The evaluator's answer: false (and a message) when it refused.
bool computed(int ok, const char *what)
{
    if (ok) return true;
    MESS_print(M_WARN, "GRD_math_command: %s failed: nothing written\n", what);
    return false;
}

// ---------------------------------------------------------------------------------------------
// The two-operand form: A OP B
// ---------------------------------------------------------------------------------------------

bool is_binary(const char *op)
{
    return is(op, "add") || is(op, "sub") || is(op, "mul") || is(op, "div") || is(op, "mod");
}

int binary_form(Command &c)
{
    const char *a = c.word(0), *op = c.word(1), *b = c.word(2);
    GRD_report *grids[GRD_MATH_SLOTS] = {};
    grids[0] = slot(SLOT_RESULT);
    float x = 0;
    bool cor = false;
    int ok;
    if (constant(a, x, cor)) {
        if (!read_operand(b, SLOT_RESULT, &c.out_hdr)) return 0;
        if (cor) {
            const char *oper = is(op, "sub") ? "sub-" : is(op, "div") ? "div-" : op;
            ok = GRD_coriolis(slot(SLOT_RESULT), oper) == 0;
        } else {
            grids[2] = slot(SLOT_RESULT);
            c.values[1] = x;
            ok = GRD_math(op, grids, c.values);
        }
    } else if (constant(b, x, cor)) {
        if (!read_operand(a, SLOT_RESULT, &c.out_hdr)) return 0;
        if (cor) {
            ok = GRD_coriolis(slot(SLOT_RESULT), op) == 0;
        } else {
            grids[1] = slot(SLOT_RESULT);
            c.values[2] = x;
            ok = GRD_math(op, grids, c.values);
        }
    } else {
        if (!read_operand(a, SLOT_RESULT, &c.out_hdr)) return 0;
        if (!read_operand(b, SLOT_INPUT, &c.other_hdr)) return 0;
        grids[1] = slot(SLOT_RESULT);
        grids[2] = slot(SLOT_INPUT);
        ok = GRD_math(op, grids, c.values);
    }
    if (!computed(ok, op)) return 0;
    return c.save(slot(SLOT_RESULT), op, c.skip_eq(3), &c.out_hdr);
}

// ---------------------------------------------------------------------------------------------
// Single-grid forms: piece, unit, remap, cutoff
// ---------------------------------------------------------------------------------------------

/// "NXxNY" with both sides from 1 to PIECE_MAX.
bool mosaic_size(const char *word, int &nx, int &ny)
{
    char tail;
    if (!word || std::sscanf(word, "%dx%d%c", &nx, &ny, &tail) != 2) return false;
    return nx >= 1 && ny >= 1 && nx <= PIECE_MAX && ny <= PIECE_MAX;
}

int piece_form(Command &c)
{
    int nx = 0, ny = 0;
    if (!mosaic_size(c.word(1), nx, ny)) {
        MESS_print(M_WARN, "GRD_math_command: piece: a size NXxNY (1 to %d each) is needed\n",
                   PIECE_MAX);
        return 0;
    }
    const int pieces = nx * ny;
    if (c.num < 2 + pieces) {
        MESS_print(M_WARN, "GRD_math_command: piece: %d files are needed\n", pieces);
        return 0;
    }
    int placed = 0;
    for (int k = 0; k < pieces; k++) {
        if (!read_operand(c.word(2 + k), SLOT_INPUT, &c.out_hdr)) continue;
        if (placed == 0 && GRD_piece_setup(slot(SLOT_RESULT), nx, ny, slot(SLOT_INPUT)) != 0) {
            MESS_print(M_WARN, "GRD_math_command: piece: the mosaic cannot be made\n");
            return 0;
        }
        if (GRD_piece_grid(slot(SLOT_RESULT), k % nx, k / nx, slot(SLOT_INPUT)) == 0) placed++;
    }
    if (placed == 0) {
        MESS_print(M_WARN, "GRD_math_command: piece: no piece was read\n");
        return 0;
    }
    const int out = c.skip_eq(2 + pieces);
    return c.save(slot(SLOT_RESULT), c.word(out) ? c.word(out) : "-", out, &c.out_hdr);
}

int unit_form(Command &c)
{
    if (!read_operand(c.word(1), SLOT_INPUT, &c.out_hdr)) return 0;
    const char *units = c.word(2);
    if (!units) return 0;
    if (!computed(GRD_units(slot(SLOT_INPUT), units) == 0, "unit")) return 0;
    const int out = c.skip_eq(3);
    return c.save(slot(SLOT_INPUT), c.word(out) ? c.word(out) : "-", out, &c.out_hdr);
}

int remap_form(Command &c)
{
    if (!read_operand(c.word(1), SLOT_INPUT, &c.out_hdr)) return 0;
    Domain dom;
    DOM_init(&dom);
    if (!c.word(2) || DOM_decode(c.word(2), &dom) < 1) {
        MESS_print(M_WARN, "GRD_math_command: remap: a domain is needed\n");
        return 0;
    }
    GRD_remap(slot(SLOT_RESULT), &dom, slot(SLOT_INPUT));
    if (!computed(grd_points(slot(SLOT_RESULT)) > 0, "remap")) return 0;
    const int out = c.skip_eq(3);
    return c.save(slot(SLOT_RESULT), c.word(out) ? c.word(out) : "-", out, &c.out_hdr);
}

int cutoff_form(Command &c)
{
    if (!read_operand(c.word(1), SLOT_INPUT, &c.out_hdr)) return 0;
    float value, nval;
    if (c.num < 6 || !read_number(c.word(3), value) || !read_number(c.word(4), nval)) {
        MESS_print(M_WARN, "GRD_math_command: cutoff: MODE VALUE NEW and an output are needed\n");
        return 0;
    }
    GRD_cutoff(slot(SLOT_RESULT), c.word(2), value, nval, slot(SLOT_INPUT));
    if (!computed(grd_points(slot(SLOT_RESULT)) > 0, "cutoff")) return 0;
    const int out = c.skip_eq(5);
    return c.save(slot(SLOT_RESULT), c.word(out) ? c.word(out) : "-", out, &c.out_hdr);
}

// ---------------------------------------------------------------------------------------------
// Printing forms: info, domain, statistics, val, loc
// ---------------------------------------------------------------------------------------------

/// Prints what "OP F =" asks for: true when OP is a printing word.
bool print_form(const char *op)
{
    GRD_report *g = slot(SLOT_RESULT);
    if (is(op, "info") || is(op, "domain")) {
        if (is(op, "info")) {
            GRD_print_info(M_PRINT_A, g, 0);
            GRD_print_info(M_PRINT_B, g, 1);
            GRD_print_info(M_PRINT_C, g, 2);
        }
        MESS_print(M_PRINT_D, "Domain: ");
        DOM_print(M_PRINT_D, &g->domain);
        return true;
    }
    float values[2] = {MISS, MISS};
    if (!GRD_stats(op, g, values)) return false;
    if (VYK_is_miss(values[0])) MESS_print(M_PRINT, "-- ");
    else MESS_print(M_PRINT, "%f ", values[0]);
    if (!VYK_is_miss(values[1])) MESS_print(M_PRINT, "%f ", values[1]);
    MESS_print(M_PRINT, "\n");
    return true;
}

/// A place named by the point words at index k: grid coordinates (gx, gy), or, for "id" and
/// "ll", latitude and longitude (earth set).  The number of words used, 0 when they do not
/// read.
int point_words(const Command &c, int k, float &a, float &b, bool &earth)
{
    const char *w = c.word(k);
    earth = false;
    const auto pair = [&](const char *text) {
        char tail;
        return text && std::sscanf(text, "%f,%f%c", &a, &b, &tail) == 2 && std::isfinite(a) &&
               std::isfinite(b);
    };
    for (const char *key : {"id", "ll"}) {
        if (strnicmp(w, key, 2) != 0) continue;
        const bool joined = std::strlen(w) > 3;
        if (std::strlen(w) != 2 && !joined) continue;
        const char *arg = joined ? w + 3 : c.word(k + 1);
        if (!arg) return 0;
        earth = true;
        if (key[0] == 'l') {
            if (!pair(arg)) return 0;
        } else if (CTY_get_loc(STATION_FILE, arg, &a, &b) != 1) {
            MESS_print(M_WARN, "GRD_math_command: station not found: %.*s\n", WORD_SHOWN, arg);
            a = b = MISS;
        }
        return joined ? 1 : 2;
    }
    return pair(w) ? 1 : 0;
}

/// Grid coordinates of a latitude and longitude on slot 0's map (-9999 off the map).
void to_grid(float lat, float lon, float &gx, float &gy)
{
    gx = gy = MISS;
    if (VYK_is_miss(lat) || VYK_is_miss(lon)) return;
    MAP_domain(&slot(SLOT_RESULT)->domain);
    float x, y;
    if (MAP_tran(lat, lon, &x, &y) == 1) MAP_grid_untran(x, y, &gx, &gy);
}

int val_form(const Command &c, int p)
{
    const char *user = RES_get("plot_format");
    const char *format = "%f";
    if (user && user[0]) {
        if (format_one_conv(user, "efgEG")) format = user;
        else MESS_print(M_WARN, "GRD_math_command: plot_format is not one numeric conversion: %.*s\n",
                        WORD_SHOWN, user);
    }
    for (int k = p; k < c.num;) {
        if (is(c.word(k), "=")) {
            k++;
            continue;
        }
        float a, b;
        bool earth;
        const int used = point_words(c, k, a, b, earth);
        if (used == 0) {
            MESS_print(M_WARN, "GRD_math_command: not a point: %.*s\n", WORD_SHOWN, c.word(k));
            return 0;
        }
        k += used;
        float gx = a, gy = b;
        if (earth) to_grid(a, b, gx, gy);
        char text[128];
        std::snprintf(text, sizeof text, format, static_cast<double>(GRD_get_value(slot(SLOT_RESULT), gx, gy)));
        MESS_print(M_PRINT, "%s\n", text);
    }
    return 1;
}

int loc_form(const Command &c, int p)
{
    float a, b;
    bool earth;
    if (point_words(c, p, a, b, earth) == 0) {
        MESS_print(M_WARN, "GRD_math_command: not a point: %.*s\n", WORD_SHOWN,
                   c.word(p) ? c.word(p) : "");
        return 0;
    }
    if (earth) {
        float gx, gy;
        to_grid(a, b, gx, gy);
        MESS_print(M_PRINT, "%f %f\n", gx, gy);
        return 1;
    }
    MAP_domain(&slot(SLOT_RESULT)->domain);
    float x, y, lat = MISS, lon = MISS;
    if (MAP_grid_tran(a, b, &x, &y) == 0) MAP_untran(x, y, &lat, &lon);
    MESS_print(M_PRINT, "%f %f\n", lat, lon);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Function calls: FUNC F [ARG [ARG]] [= OUT ...]
// ---------------------------------------------------------------------------------------------

int function_form(Command &c, const char *op, int p)
{
    if (GRD_is_vect_func(op) || GRD_is_plot_func(op)) {
        MESS_print(M_WARN, "GRD_math_command: %.*s does not give one grid\n", WORD_SHOWN, op);
        return 0;
    }
    int end = p;
    while (end < c.num && !is(c.word(end), "=")) end++;
    if (end - p > FUNC_OPERANDS) {
        MESS_print(M_WARN, "GRD_math_command: %.*s: at most %d operands after the first file\n",
                   WORD_SHOWN, op, FUNC_OPERANDS);
        return 0;
    }
    GRD_move(slot(SLOT_INPUT), slot(SLOT_RESULT));
    GRD_copy_info(slot(SLOT_RESULT), slot(SLOT_INPUT));
    if (!GRD_alloc(slot(SLOT_RESULT))) return 0;
    GRD_report *grids[GRD_MATH_SLOTS] = {};
    grids[0] = slot(SLOT_RESULT);
    grids[1] = slot(SLOT_INPUT);
    int next = SLOT_ARG;
    for (int k = p; k < end; k++) {
        const int entry = 2 + (k - p);
        float x;
        bool cor;
        if (constant(c.word(k), x, cor) && !cor) {
            c.values[entry] = x;
            continue;
        }
        // An operand that does not read fails the command: its slot may hold an earlier grid.
        if (!read_operand(c.word(k), next, &c.other_hdr)) return 0;
        grids[entry] = slot(next++);
    }
    if (!computed(GRD_math(op, grids, c.values), op)) return 0;
    return c.save(slot(SLOT_RESULT), op, c.skip_eq(end), &c.out_hdr);
}

int file_form(Command &c)
{
    const char *op = c.word(0);
    if (!read_operand_date(c.word(1), SLOT_RESULT, &c.out_hdr)) return 0;
    const int p = 2;
    if (is(c.word(p), "=") && print_form(op)) return 1;
    if (is(op, "val")) return val_form(c, p);
    if (is(op, "loc")) return loc_form(c, p);
    const int k = GRD_math_file(op, c.cmd + p, c.num - p);
    if (k == 0) return 0;
    if (k > 0) return c.save(slot(SLOT_RESULT), op, c.skip_eq(p + k), &c.out_hdr);
    return function_form(c, op, p);
}

/// The "grdfmt" words of the `parameter` resource set the value format of text output.
void parameter_words()
{
    int count = 0;
    char **words = nullptr;
    RES_getvals("parameter", &count, &words);
    for (int i = 0; i < count; i++) {
        const char *w = words[i];
        if (w && strnicmp(w, "grdfmt", 6) == 0 && std::strlen(w) > 7) GRD_set_format(w + 7);
    }
    free_parsed_array(count, words);
}

/// Combines the values of slot 1 into slot 0 by the reduction's name.
void combine(const char *name, float *out, const float *in, size_t n)
{
    const bool max = is(name, "max"), min = is(name, "min");
    for (size_t k = 0; k < n; k++) {
        if (!grd_present(out[k]) || !grd_present(in[k])) {
            out[k] = MISS;
            continue;
        }
        if (max) out[k] = std::fmax(out[k], in[k]);
        else if (min) out[k] = std::fmin(out[k], in[k]);
        else out[k] = grd_result(static_cast<double>(out[k]) + in[k]);
    }
}

}  // namespace

int GRD_math_file(const char *str, char **files, int num)
{
    char func[GRD_FUNC_NAME_MAX + 1], type[GRD_FUNC_NAME_MAX + 1];
    grd_split_func(str, func, type);
    if (!is(func, "max") && !is(func, "min") && !is(func, "sum") && !is(func, "avg")) return -1;
    float *ptr[GRD_MATH_SLOTS];
    GRD_report *grids[GRD_MATH_SLOTS] = {};
    grids[0] = slot(SLOT_RESULT);
    int nx = 0, ny = 0;
    if (!GRD_math_setup(ptr, &nx, &ny, 0, grids, nullptr, func, type, nullptr)) {
        MESS_print(M_WARN_C, "GRD_math_file: Invalid grids\n");
        return 0;
    }
    if (num <= 0 || !files || !files[0] || files[0][0] == '=') return 0;
    GRD_info header{};
    const size_t n = static_cast<size_t>(nx) * static_cast<size_t>(ny);
    int count = 0, read = 0;
    for (; count < num && files[count] && files[count][0] != '='; count++) {
        if (!read_operand(files[count], SLOT_INPUT, &header)) continue;
        const GRD_report *in = slot(SLOT_INPUT);
        if (grd_points(in) != n || in->domain.nx != nx) {
            MESS_print(M_WARN, "GRD_math_file: %.*s: not a grid of %d by %d points\n", WORD_SHOWN,
                       files[count], nx, ny);
            continue;
        }
        combine(func, slot(SLOT_RESULT)->grid, in->grid, n);
        read++;
    }
    if (is(func, "avg")) {
        float *g = slot(SLOT_RESULT)->grid;
        for (size_t k = 0; k < n; k++)
            if (grd_present(g[k])) g[k] = grd_result(g[k] / static_cast<double>(read + 1));
    }
    return count;
}

int GRD_math_command(int num, char **cmd)
{
    parameter_words();
    if (num < 3 || !cmd) return 0;
    for (int k = 0; k < num; k++)
        if (!cmd[k]) return 0;
    Command c(num, cmd);
    const char *first = cmd[0];
    if (is_binary(cmd[1])) return binary_form(c);
    if (is(first, "piece")) return piece_form(c);
    if (is(first, "unit")) return unit_form(c);
    if (is(first, "remap")) return remap_form(c);
    if (is(first, "cutoff")) return cutoff_form(c);
    return file_form(c);
}

// The grid input configuration: the model and its file-naming convention, model mosaics made
// of piece files, the input file kind and the default selector, from the resources and the
// model file "model.lup".
//
// The model file is a stream of blank-separated words: the first names the default model; an
// entry is a model name, the mosaic size "NXxNY" and its pieces "conv[#type],conv[#type],...";
// a word beginning '#' starts a comment to the end of its line.  Words are read within
// MODEL_WORD_MAX characters, names within their fields, and the pieces within the table.
#include "grd_search.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr size_t MODEL_WORD_MAX = 159;
constexpr const char *MODEL_FILE = "model.lup";
constexpr const char *DEFAULT_MODEL = "ngm";

struct State {
    std::array<GRD_piece, GRD_MAX_PIECES> pieces{};
    int num_piece = 0;  // pieces in use; 0: no mosaic
    int nx = 1, ny = 1;  // mosaic size in pieces
    char model[GRD_MODEL_NAME_MAX + 1] = "ngm";
    int input = GRD_IN_ANY;  // input kind of in_file and input
    char selector[FILE_EXT_INFO_MAX + 1] = "";  // the default selector (grid_num)
};

State st;

/// The models the system knows without the model file: their code (flag 4) and convention.
struct KnownModel {
    const char *name;
    int code;
};
constexpr KnownModel KNOWN_MODELS[] = {
    {"ngm", 2},  {"ngme", 2},   {"eta", 3},  {"ruc", 4},  {"lfm", 1},  {"avn", 15},
    {"mrf", 15}, {"ecmwf", 20}, {"sww", 31}, {"sst", 32}, {"sca", 33},
};

/// Words of the model file (comments left out).
class Words {
public:
    explicit Words(FILE *fp) : fp_(fp) {}
    /// The next word (cut to MODEL_WORD_MAX characters with a warning), or false at the end.
    bool next(std::string &w)
    {
        for (;;) {
            int c;
            do
                c = std::getc(fp_);
            while (c == ' ' || (c >= '\t' && c <= '\r'));
            if (c == EOF) return false;
            w.clear();
            bool cut = false;
            while (c != EOF && c != ' ' && !(c >= '\t' && c <= '\r')) {
                if (w.size() < MODEL_WORD_MAX) w += static_cast<char>(c);
                else cut = true;
                c = std::getc(fp_);
            }
            if (c != EOF) std::ungetc(c, fp_);
            if (w[0] == '#') {
                while (c != EOF && c != '\n') c = std::getc(fp_);
                continue;
            }
            if (cut)
                MESS_print(M_WARN, "GRD_in_file: word of %s cut to %zu characters: %s\n",
                           MODEL_FILE, MODEL_WORD_MAX, w.c_str());
            return true;
        }
    }

private:
    FILE *fp_;
};

/// The model file on file_path, opened as a plain file (never a command), or NULL.
FILE *open_model_file()
{
    char path[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("file_path"), MODEL_FILE, path);
    if (path[0] == '|' || FILE_is_stdio(path) || !FILE_is_file(path)) return nullptr;
    return FILE_open(path, "r");
}

/// "NXxNY" with both counts from 1 to the table's size.
bool mosaic_size(const std::string &w, int &nx, int &ny)
{
    const char *p = w.c_str(), *end = p + w.size();
    auto r = std::from_chars(p, end, nx);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != 'x') return false;
    r = std::from_chars(r.ptr + 1, end, ny);
    return r.ec == std::errc() && r.ptr == end;
}

/// Fills the mosaic table from an entry's piece list.
void set_pieces(const std::string &list, int nx, int ny, int type)
{
    if (nx < 1 || ny < 1 || nx * ny > GRD_MAX_PIECES) {
        MESS_print(M_WARN, "GRD_in_file: mosaic %dx%d of %s does not fit %d pieces; 1x1 taken\n",
                   nx, ny, MODEL_FILE, GRD_MAX_PIECES);
        nx = ny = 1;
    }
    st.nx = nx;
    st.ny = ny;
    st.num_piece = 0;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        std::string piece = list.substr(start, comma - start);
        start = comma + 1;
        if (piece.empty()) continue;
        if (st.num_piece >= nx * ny) {
            MESS_print(M_WARN, "GRD_in_file: pieces beyond the %dx%d mosaic left out: %s\n", nx,
                       ny, piece.c_str());
            break;
        }
        GRD_piece &p = st.pieces[static_cast<size_t>(st.num_piece)];
        p.x = st.num_piece % nx;
        p.y = st.num_piece / nx;
        p.type = type;
        const size_t hash = piece.find('#');
        if (hash != std::string::npos) {
            const std::string t = piece.substr(hash + 1);
            int v;
            const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
            if (r.ec == std::errc() && r.ptr == t.data() + t.size())
                p.type = v;
            else
                MESS_print(M_WARN, "GRD_in_file: grid type of piece %s is not a number\n",
                           piece.c_str());
            piece.resize(hash);
        }
        if (strfcpy(p.name, piece.c_str()) < piece.size())
            MESS_print(M_WARN, "GRD_in_file: piece name cut to %d characters: %s\n",
                       GRD_PIECE_NAME_MAX, piece.c_str());
        st.num_piece++;
    }
}

/// Scans the model file for the entry of the model; true when one filled the mosaic table.
bool find_mosaic(const char *model, int type)
{
    FILE *fp = open_model_file();
    if (!fp) return false;
    Words words(fp);
    std::string w, size;
    bool found = false;
    while (!found && words.next(w)) {
        if (stricmp(w.c_str(), model) != 0) {
            words.next(size);
            words.next(size);
            continue;
        }
        int nx = 1, ny = 1;
        std::string list;
        if (words.next(size)) {
            if (mosaic_size(size, nx, ny))
                words.next(list);
            else
                list = size;
        }
        set_pieces(list, nx, ny, type);
        found = st.num_piece > 0;
    }
    FILE_close(fp);
    return found;
}

void set_model(const char *name)
{
    if (strfcpy(st.model, name) < std::strlen(name))
        MESS_print(M_WARN, "GRD_in_file: model name cut to %d characters: %s\n",
                   GRD_MODEL_NAME_MAX, name);
    VAR_set_model_str(st.model);
}

/// Flag 4 and the convention of a model without a mosaic.
void set_known_model(const char *model)
{
    for (const KnownModel &m : KNOWN_MODELS) {
        if (stricmp(model, m.name) == 0) {
            FLAG_set(FLAG_GRID_INPUT, m.code);  // flag 4 holds the model code
            break;
        }
    }
    const std::string conv = std::string("grib_") + model;
    FILE_set_name(conv.c_str());
}

/// The input kind of a word of in_file (prefixes) or input (whole words); false for another.
bool input_word(const char *w, bool prefix, int &kind)
{
    if (prefix ? strnicmp(w, "vyk", 3) == 0 : stricmp(w, "vyk") == 0)
        kind = GRD_IN_VYK;
    else if (prefix ? strnicmp(w, "cdf", 3) == 0 : stricmp(w, "cdf") == 0)
        kind = GRD_IN_CDF;
    else if (stricmp(w, "grib") == 0)
        kind = GRD_IN_GRIB;
    else
        return false;
    return true;
}

void read_in_file_words()
{
    int n = 0;
    char **words = nullptr;
    n = RES_getvals("in_file", &n, &words);
    for (int k = 0; k < n; k++) {
        int kind;
        if (input_word(words[k], true, kind)) {
            st.input = kind;
        } else {
            FILE_set_name(words[k]);
            if (strfcpy(st.pieces[0].name, words[k]) < std::strlen(words[k]))
                MESS_print(M_WARN, "GRD_in_file: convention name cut to %d characters: %s\n",
                           GRD_PIECE_NAME_MAX, words[k]);
        }
    }
    free_parsed_array(n, words);
    n = 0;
    words = nullptr;
    n = RES_getvals("input", &n, &words);
    for (int k = 0; k < n; k++) {
        int kind;
        if (input_word(words[k], false, kind)) st.input = kind;
    }
    free_parsed_array(n, words);
}

}  // namespace

int GRD_in_file()
{
    set_model(DEFAULT_MODEL);
    if (FILE *fp = open_model_file()) {
        Words words(fp);
        std::string first;
        if (words.next(first)) set_model(first.c_str());
        FILE_close(fp);
    }
    int type = VYK_MISS;
    RES_getval("grid_type", &type, CV_int);

    bool mosaic = false;
    if (const char *model = RES_get("model"); model && *model) {
        set_model(model);
        st.pieces = {};
        st.num_piece = 0;
        st.nx = st.ny = 1;
        mosaic = find_mosaic(st.model, type);
        if (mosaic) FILE_set_name(st.pieces[0].name);
    }
    if (!mosaic) set_known_model(st.model);

    read_in_file_words();
    if (const char *num = RES_get("grid_num")) {
        strfcpy(st.selector, num);
        FILE_set_ext_info(num);
    }
    return 0;
}

const char *GRD_get_def_selector() { return st.selector; }

int GRD_get_num_piece() { return st.num_piece; }

const GRD_piece *GRD_get_piece(int ind)
{
    if (ind < 0 || ind >= GRD_MAX_PIECES) return nullptr;
    return &st.pieces[static_cast<size_t>(ind)];
}

int GRD_get_mosaic_size(int *nx, int *ny)
{
    if (nx) *nx = st.nx;
    if (ny) *ny = st.ny;
    return 0;
}

const char *GRD_get_model() { return st.model; }

int GRD_get_input_kind() { return st.input; }

int GRD_input_file_kind() { return st.input == GRD_IN_GRIB ? GRD_GRIB : GRD_DETECT; }

// vect_param.cpp: the settings of vector plots: the vector type, interval, base, cut-offs,
// scales and skips, from the slot's format text, the plot parameters and the console.
//
// The module's one state (vect_internal.h) lives here; the streamlines and the plot routine
// reach it through vect_state().
#include "vect_internal.h"

#include "vyk.h"
#include "cont.h"
#include "vykresrc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

VectState st;

float item_float(const char *item) { return std::strtof(item + 3, nullptr); }

/// One format item or plot-parameter word that fixes a vector type; VYK_MISS for none.
int type_word(const char *w)
{
    if (stricmp(w, "vect") == 0) return VT_ARROW;
    if (stricmp(w, "stream") == 0 || stricmp(w, "strm") == 0) return VT_STREAM;
    if (stricmp(w, "barb") == 0) return VT_BARB;
    return VYK_MISS;
}

int skip_of(int n) { return n > 0 ? n : 1; }

/// One item of the format text; *type gets a type the item chooses.
void format_item(const char *it, int *type)
{
    const int t = type_word(it);
    if (t != VYK_MISS) *type = t;
    else if (stricmp(it, "vbar") == 0) VECT_set_vect(1);
    else if (stricmp(it, "nolr") == 0) FLAG_setplot(PLOT_TEXT_LR, 0);
    else if (strnicmp(it, "sk=", 3) == 0) st.xskip = st.yskip = skip_of(std::atoi(it + 3));
    else if (strnicmp(it, "sc=", 3) == 0) st.scale = item_float(it);
    else if (strnicmp(it, "ss=", 3) == 0) st.arrow_scale = item_float(it);
    else if (strnicmp(it, "in=", 3) == 0) st.intrvl = item_float(it);
    else if (strnicmp(it, "cb=", 3) == 0) st.base = item_float(it);
    else if (strnicmp(it, "mn=", 3) == 0) st.min_cut = item_float(it);
    else if (strnicmp(it, "mx=", 3) == 0) st.max_cut = item_float(it);
}

/// One word of plot_param.
void param_word(const char *w)
{
    const char *eq = std::strchr(w, '=');
    if (stricmp(w, "vect") == 0 || stricmp(w, "vbar") == 0) {
        VECT_set_vect(1);
    } else if (stricmp(w, "uvgrid") == 0) {
        st.uvgrid = 1;
    } else if (stricmp(w, "uvew") == 0) {
        st.uvgrid = 0;
    } else if (strnicmp(w, "strm_sc", 7) == 0) {
        if (eq) st.arrow_scale = std::strtof(eq + 1, nullptr);
        if (!(st.arrow_scale > 0)) st.arrow_scale = 1;
    } else if (strnicmp(w, "wv_skip", 7) == 0) {
        if (!eq) return;
        int x = 1, y = 1;
        const int n = std::sscanf(eq + 1, "%d:%d", &x, &y);
        if (n < 1) return;
        if (n == 1) y = x;
        st.xskip = skip_of(x);
        st.yskip = skip_of(y);
    } else if (stricmp(w, "bar") == 0) {
        CONT_set_bar(1);
    } else if (stricmp(w, "nobar") == 0) {
        CONT_set_bar(-1);
    }
}

}  // namespace

VectState &vect_state() { return st; }

int VECT_init()
{
    const VectState fresh;
    if (!st.type_set) st.vect_type = fresh.vect_type;
    st.intrvl = fresh.intrvl;
    st.base = fresh.base;
    st.min_cut = fresh.min_cut;
    st.max_cut = fresh.max_cut;
    return 0;
}

int VECT_set_scale(float scale)
{
    st.scale = scale;
    return 0;
}

int VECT_set_intrvl(float value)
{
    st.intrvl = value;
    return 0;
}

float VECT_get_intrvl() { return st.intrvl; }

int VECT_set_max(float max)
{
    st.grid_max = max;
    return 0;
}

int VECT_set_type(int type)
{
    st.vect_type = type;
    st.type_set = 1;
    return 0;
}

int VECT_get_type() { return st.vect_type; }

int VECT_set_vect(int value)
{
    st.plt_vect = value;
    return 0;
}

int VECT_get_vect() { return st.plt_vect; }

float VECT_get_vector_size() { return st.vect_size; }

int VECT_set_base(float value)
{
    st.base = value;
    return 0;
}

int VECT_set_format(int type, const char *form)
{
    strfcpy(st.format, form ? form : "");
    st.plot_type = type;
    return 0;
}

int VECT_format_decode_type()
{
    int type = st.plot_type == VT_ARROW || st.plot_type == VT_STREAM ? st.plot_type : VYK_MISS;
    int n = 0;
    char **items = nullptr;
    parse_string(st.format, ':', &n, &items);
    for (int i = 0; i < n; i++) format_item(items[i], &type);
    free_parsed_array(n, items);
    if (type != VYK_MISS) VECT_set_type(type);
    return 0;
}

int VECT_format_decode_attrib(Gattribs *attr)
{
    return CONT_format_attrib_items(st.format, attr, false);
}

int VECT_param_decode()
{
    int n = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &n, &words);
    for (int i = 0; i < n; i++) param_word(words[i]);
    free_parsed_array(n, words);
    return 0;
}

int VECT_prompt_type()
{
    int type = st.vect_type;
    if (VYK_is_miss(type) || type == VT_WIND || type == VT_GRID) {
        type = FLAG_get(FLAG_PLOT_TYPE);
        if (type <= 0 && FLAG_batch()) type = VT_ARROW;
    }
    if (type != VT_ARROW && type != VT_BARB && type != VT_STREAM) {
        char answer[12] = "";  // up to 10 characters
        VYK_prompts("Vectors (V) or Streamlines (S): ", answer, 11);
        const int word = type_word(answer);
        if (stricmp(answer, "none") == 0) type = VT_NONE;
        else if (word != VYK_MISS) type = word;
        else if (answer[0] && std::strchr("sSyY", answer[0])) type = VT_STREAM;
        else if (answer[0] && std::strchr("bB", answer[0])) type = VT_BARB;
        else type = VT_ARROW;
    }
    VECT_set_type(type);
    st.type_set = 0;
    return type;
}

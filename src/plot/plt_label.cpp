// The label store: six positions around the data area with six overlay lines each, the label
// templates with their date codes, and the `label` resource's own texts.  Every text is kept
// within its line (PLT_LABEL_MAX characters): a longer text is cut, never written past the
// line.  The store draws nothing (plt_label_draw.cpp draws it), so the image files can read
// the label line from it.
#include "vyk.h"
#include "vykdom.h"
#include "plt_label.h"
#include "plt_internal.h"
#include "vykresrc.h"

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <cstring>

namespace {

constexpr int LINE_LEN = PLT_LABEL_MAX + 2;  // a line's slot: the text, its end and one spare
constexpr int LAST_LINE = PLT_LABEL_LINES - 1;

Date missing_date()
{
    Date d;
    DATE_init(&d);
    return d;
}

struct State {
    char label[PLT_LABEL_POS][PLT_LABEL_LINES][LINE_LEN] = {};
    int label_ind[PLT_LABEL_POS] = {};  // append offset of each position's line 0
    int overlay = 0;    // the line that writes go to; negative: writes are off
    int over_base = 0;  // line heights by which the labels are shifted up
    int num_over = 0;   // overlay count: lines each position draws
    int lab_type = PLT_LABEL_NORMAL;
    Date date = missing_date();
    long fhour = 0;
};

State st;

bool valid_pos(int lab) { return lab >= 0 && lab < PLT_LABEL_POS; }

void raise_count(int n) { st.num_over = std::clamp(std::max(st.num_over, n), 0, PLT_LABEL_LINES); }

int write_pos(int lab, const char *str)
{
    if (st.lab_type < 0 && st.overlay > 0) return PLT_label_strcat(lab, str);
    if (st.overlay >= 0) return PLT_label_strcpy(lab, str);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Templates
// ---------------------------------------------------------------------------------------------

// The output of a template, cut at its buffer's end.
class Out {
public:
    Out(char *buf, size_t size) : buf_(buf), size_(size) { put(""); }
    void put(const char *text)
    {
        if (size_ == 0) return;
        for (; *text && len_ + 1 < size_; text++) buf_[len_++] = *text;
        buf_[len_] = '\0';
    }
    void put(char c)
    {
        const char text[2] = {c, '\0'};
        put(text);
    }
    // Exactly two characters of a "%2.2d" number (a missing -9999 gives "-9").
    void put2(int v)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%2.2d", v);
        text[2] = '\0';
        put(text);
    }

private:
    char *buf_;
    size_t size_;
    size_t len_ = 0;
};

// One '%' code; false for a letter that is no code.
bool put_code(Out &out, char code)
{
    char text[DATE_LABEL_FOR_LEN];
    switch (code) {
    case 'D': DATE_make_label(&st.date, text, sizeof text); break;
    case 'W':
        st.date.hour = VYK_MISS;  // stays missing until the next PLT_label_date
        [[fallthrough]];
    case 'V':
        DATE_make_label_valid_time(static_cast<int>(st.fhour), &st.date, text, sizeof text);
        break;
    case 'y': out.put2(st.date.year == VYK_MISS ? VYK_MISS : st.date.year % 100); return true;
    case 'm': out.put2(st.date.month); return true;
    case 'h': out.put2(st.date.hour); return true;
    case 'd': out.put2(st.date.day); return true;
    case 'n': out.put2(st.date.min); return true;
    case 'b': std::snprintf(text, sizeof text, "%3.3s", DATE_month(st.date.month)); break;
    case 'f': DATE_fhour_label(text, static_cast<int>(st.fhour), 0, sizeof text); break;
    case 'F': DATE_fhour_label(text, static_cast<int>(st.fhour), 1, sizeof text); break;
    case '%': std::strcpy(text, "%"); break;
    default: return false;
    }
    out.put(text);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The `label` resource
// ---------------------------------------------------------------------------------------------

constexpr const char *pos_codes[PLT_LABEL_POS] = {"ul", "uc", "ur", "ll", "lc", "lr"};

int pos_of(const char *item)
{
    for (int p = 0; p < PLT_LABEL_POS; p++)
        if (strnicmp(item, pos_codes[p], 2) == 0) return p;
    return -1;
}

// Applies one item: "ul:TEXT" fixes a position to one line (marked in done), "ul2xTEXT" writes
// line 2.  Items too short for their code are passed over.
void apply_label_item(const char *item, bool (&done)[PLT_LABEL_POS])
{
    const size_t len = std::strlen(item);
    if (len < 3) return;
    const int pos = pos_of(item);
    if (pos < 0) return;
    char text[PLT_FORMAT_LEN];
    st.overlay = 0;
    if (item[2] == ':') {
        PLT_label_format(item + 3, text, sizeof text);
        PLT_label_strcpy(pos, text);
        done[pos] = true;
    } else if (item[2] >= '0' && item[2] <= '9' && len >= 4) {
        PLT_label_format(item + 4, text, sizeof text);
        st.overlay = std::min(item[2] - '0', LAST_LINE);
        PLT_label_strcpy(pos, text);
        st.overlay = 0;
    }
}

}  // namespace

void plt_label_resource(bool (&done)[PLT_LABEL_POS])
{
    int count = 0;
    char **list = nullptr;
    RES_getvals("label", &count, &list);
    for (int i = 0; i < count; i++)
        if (list[i]) apply_label_item(list[i], done);
    free_parsed_array(count, list);
}

// ---------------------------------------------------------------------------------------------
// The store
// ---------------------------------------------------------------------------------------------

int PLT_init_labels()
{
    std::memset(st.label, 0, sizeof st.label);
    std::fill(std::begin(st.label_ind), std::end(st.label_ind), 0);
    st.num_over = 0;
    return 0;
}

int PLT_set_overlay(int ind)
{
    st.overlay = std::min(ind, LAST_LINE);
    raise_count(ind);
    return 0;
}

int PLT_set_overlay_base(int ind)
{
    st.over_base = std::clamp(ind, 0, LAST_LINE);
    raise_count(st.over_base);
    return 0;
}

int PLT_get_overlay_base() { return st.over_base; }

int PLT_set_num_overlay(int ind)
{
    raise_count(ind < 0 ? -ind : ind);
    return 0;
}

int PLT_get_num_over() { return st.num_over; }

int PLT_next_overlay()
{
    if (st.overlay >= LAST_LINE) return -1;
    st.overlay++;
    if (st.lab_type > 0) st.lab_type++;
    else if (st.lab_type < 0) st.lab_type--;
    for (int p = 0; p < PLT_LABEL_POS; p++)
        st.label_ind[p] = static_cast<int>(std::strlen(st.label[p][0]));
    raise_count(st.overlay);
    return st.overlay;
}

int PLT_set_label_type(int val)
{
    st.lab_type = val;
    return 0;
}

int PLT_get_label_type() { return st.lab_type; }

int PLT_label_strcpy(int lab, const char *str)
{
    if (!valid_pos(lab)) return -1;
    if (st.overlay < 0) return 0;
    strfcpy(st.label[lab][st.overlay], PLT_LABEL_MAX + 1, str ? str : "");
    return 0;
}

int PLT_label_strcat(int lab, const char *str)
{
    if (!valid_pos(lab)) return -1;
    char *line = st.label[lab][0];
    const int at = std::min(st.label_ind[lab], PLT_LABEL_MAX);
    // " str" from the offset, the whole line within PLT_LABEL_MAX characters.
    line[at] = '\0';
    if (at < PLT_LABEL_MAX) {
        line[at] = ' ';
        strfcpy(line + at + 1, static_cast<size_t>(PLT_LABEL_MAX - at), str ? str : "");
    }
    return 0;
}

const char *PLT_get_label(int lab, int over)
{
    if (!valid_pos(lab) || over < 0 || over >= PLT_LABEL_LINES) return nullptr;
    return st.label[lab][over];
}

int PLT_label_up_left(const char *str) { return write_pos(PLT_UP_LEFT, str); }
int PLT_label_up_center(const char *str) { return write_pos(PLT_UP_CENTER, str); }
int PLT_label_up_right(const char *str) { return write_pos(PLT_UP_RIGHT, str); }
int PLT_label_low_left(const char *str) { return write_pos(PLT_LOW_LEFT, str); }
int PLT_label_low_center(const char *str) { return write_pos(PLT_LOW_CENTER, str); }
int PLT_label_low_right(const char *str) { return write_pos(PLT_LOW_RIGHT, str); }

int PLT_label_date(const Date *datim)
{
    if (datim) st.date = *datim;
    else DATE_init(&st.date);
    return 0;
}

int PLT_label_for_time(long val)
{
    st.fhour = val;
    return 0;
}

int PLT_label_format(const char *form, char *str, size_t size)
{
    if (!str || size == 0) return -1;
    Out out(str, size);
    if (!form) return 0;
    for (const char *p = form; *p; p++) {
        if (*p == '_') {
            out.put(' ');
        } else if (*p != '%') {
            out.put(*p);
        } else {
            if (p[1] == '\0') break;
            put_code(out, *++p);
        }
    }
    return 0;
}

// upa_xml.cpp: the XML form of upper-air files (written only): one root element opened by the
// header and closed, with the same name, when the file is closed; one "obs" element per
// station with its mandatory, significant and wind levels as attributes.  Texts taken from
// reports and headers are escaped; a missing value leaves its attribute out.
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"
#include "upa_file.h"
#include "upa_file_internal.h"

#include <string>

namespace {

constexpr const char *ROOT = "vykupa";
constexpr float FEET = 0.3048f;  // m

struct State {
    FILE *fp = nullptr;
    int access = UPA_ACCESS_READ;
    long out_start = -1;
    bool root_open = false;
};

State st;

bool has(float v) { return !VYK_is_miss(v); }

/// A text as an attribute value: &, <, >, quotes and apostrophes as entities, controls blank.
std::string escaped(const char *text)
{
    std::string out;
    for (const char *c = text; c && *c; c++) {
        switch (*c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += static_cast<unsigned char>(*c) < ' ' ? ' ' : *c; break;
        }
    }
    return out;
}

void attr(const char *format, float v)
{
    if (has(v)) std::fprintf(st.fp, format, static_cast<double>(v));
}

/// The pressure attribute: one decimal below 100 mb.
void pres(float p)
{
    if (has(p)) attr(p < 100 ? " pres.mb=\"%.1f\"" : " pres.mb=\"%.0f\"", p);
}

void values(const UPA_level &l, bool temps)
{
    attr(" hght.m=\"%.0f\"", l.h);
    if (temps) {
        attr(" temp.C=\"%.1f\"", l.t);
        attr(" dewp.C=\"%.1f\"", l.td);
    }
    attr(" wdir.deg=\"%.0f\"", l.dir);
    attr(" wspd.knt=\"%.0f\"", l.spd);
    std::fputs("/>\n", st.fp);
}

void open_root(const char *datim)
{
    std::fprintf(st.fp, "<%s date=\"%s\">\n", ROOT, escaped(datim).c_str());
    st.root_open = true;
}

void mandatory(const UPA_report *r)
{
    std::fputs("  <mand_level>\n", st.fp);
    const UPA_level *m = r->man;
    if (has(m[UPA_MAN_SFC].p)) {
        std::fputs("    <level type=\"sfc\"", st.fp);
        pres(m[UPA_MAN_SFC].p);
        values(m[UPA_MAN_SFC], true);
    }
    for (int s = 1; s <= UPA_MAN_LAST; s++) {
        if (!has(m[s].p)) continue;
        std::fprintf(st.fp, "    <level pres.mb=\"%.0f\"", static_cast<double>(m[s].p));
        values(m[s], true);
    }
    if (has(m[UPA_MAN_TROP].p)) {
        std::fputs("    <level type=\"trop\"", st.fp);
        pres(m[UPA_MAN_TROP].p);
        values(m[UPA_MAN_TROP], true);
    }
    if (has(m[UPA_MAN_MWND].p)) {
        std::fputs("    <level type=\"mwnd\"", st.fp);
        pres(m[UPA_MAN_MWND].p);
        values(m[UPA_MAN_MWND], false);
    }
    std::fputs("  </mand_level>\n", st.fp);
}

void levels(UPA_report *r)
{
    std::fputs("  <sig_level>\n", st.fp);
    upa_surface_as_sig(r);
    for (int i = 0; i < upa_count(r->numsig, UPA_NUM_SIG); i++) {
        std::fputs("    <level", st.fp);
        pres(r->sig[i].p);
        attr(" temp.C=\"%.1f\"", r->sig[i].t);
        attr(" dewp.C=\"%.1f\"", r->sig[i].td);
        std::fputs("/>\n", st.fp);
    }
    std::fputs("  </sig_level>\n  <wnd_level>\n", st.fp);
    upa_surface_as_wind(r);
    for (int i = 0; i < upa_count(r->numwnd, UPA_NUM_WND); i++) {
        const UPA_wnd_level &w = r->wnd[i];
        std::fputs("    <level", st.fp);
        if (has(w.h)) attr(" hght.m=\"%.0f\"", w.h * FEET);
        attr(" wdir.deg=\"%.0f\"", w.dir);
        attr(" wspd.knt=\"%.0f\"", w.spd);
        std::fputs("/>\n", st.fp);
    }
    std::fputs("  </wnd_level>\n", st.fp);
}

int xml_open(const char *name, int access, int)
{
    State s;
    s.fp = upa_open_stream(name, access, false, &s.out_start);
    if (!s.fp) return -1;
    s.access = access;
    st = s;
    return fileno(st.fp);
}

int xml_close()
{
    if (st.access == UPA_ACCESS_WRITE) {
        if (!st.root_open) open_root("");
        std::fprintf(st.fp, "</%s>\n", ROOT);
    }
    const int result = upa_close_stream(st.fp, st.access, st.out_start);
    st = State{};
    return result;
}

int xml_rewind() { return -1; }
int xml_getinfo(UPA_info *) { return 1; }

int xml_putinfo(UPA_info *info)
{
    if (!st.root_open) open_root(info->datim);
    return 0;
}

int xml_read(UPA_report *, int, int) { return -1; }

int xml_write(UPA_report *r, int *statnum)
{
    if (!st.root_open) open_root("");
    std::fprintf(st.fp, "<obs wmo=\"%5.5d\" id=\"%s\"", r->wmo, escaped(r->id).c_str());
    if (has(r->lat)) {
        std::fprintf(st.fp, " lat=\"%.2f\" lon=\"%.2f\"", static_cast<double>(r->lat),
                     static_cast<double>(r->lon));
    }
    std::fputs(">\n", st.fp);
    mandatory(r);
    levels(r);
    std::fputs("</obs>\n", st.fp);
    (*statnum)++;
    return 0;
}

}  // namespace

const UPA_backend UPA_xml_backend = {xml_open, xml_close, xml_rewind, xml_getinfo,
                                     xml_putinfo, xml_read, xml_write};

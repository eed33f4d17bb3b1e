// The table of open grid files.  For now its settings: the use of GRIB index files and the value
// format of text grid files.  The format comes from users (the "grdfmt" keyword), so it is
// taken only when it is one numeric conversion that fits its buffer.
#include "vyk.h"
#include "vykgfile.h"

#include <cstring>

namespace {

struct State {
    int use_hdrfile = 1;                 // GRIB index files in use
    char format[GRD_FORMAT_MAX + 1] = "";  // value format of text output; empty: the default
};

State st;

}  // namespace

int GRD_use_hdr_file(int flag)
{
    st.use_hdrfile = flag != 0 ? 1 : 0;
    return 0;
}

int GRD_get_use_hdr_file() { return st.use_hdrfile; }

int GRD_set_format(const char *format)
{
    if (!format || format[0] == '\0') {
        st.format[0] = '\0';
        return 0;
    }
    if (std::strlen(format) > static_cast<size_t>(GRD_FORMAT_MAX)) {
        MESS_print(M_WARN, "GRD_set_format: format longer than %d characters refused: %s\n",
                   GRD_FORMAT_MAX, format);
        return -1;
    }
    if (!format_one_conv(format, "efgEG")) {
        MESS_print(M_WARN, "GRD_set_format: not one numeric conversion, refused: %s\n", format);
        return -1;
    }
    strfcpy(st.format, format);
    return 0;
}

const char *GRD_get_format() { return st.format[0] ? st.format : GRD_DEF_FORMAT; }

// GRIB framing and message search.  For now the threshold of the bad-value test of edition-1
// unpacking, which the decoder reads and the plot-parameter keyword "max_bad" sets.
#include "vyk.h"
#include "vykgrib.h"

namespace {

struct State {
    int bad_max = -1;  // bad-value threshold; 0 or below: the test is off
};

State st;

}  // namespace

int GRIB_set_max_bad(int n)
{
    st.bad_max = n;
    return 0;
}

int GRIB_get_max_bad() { return st.bad_max; }

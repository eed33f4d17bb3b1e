// The numbered program flags and the plot-component switches shared by all subsystems.
#include "vykflag.h"

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    long flags[FLAG_NUM] = {};
    int plot_it[FLAG_PLOT_NUM] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
};
State st;

bool valid(int flag) { return flag >= 0 && flag < FLAG_NUM; }
bool valid_plot(int type) { return type >= 0 && type < FLAG_PLOT_NUM; }

}  // namespace

int FLAG_get(int flag) { return valid(flag) ? static_cast<int>(st.flags[flag]) : 0; }

long FLAG_getl(int flag) { return valid(flag) ? st.flags[flag] : 0; }

int FLAG_set(int flag, int value) { return FLAG_setl(flag, value); }

int FLAG_setl(int flag, long value)
{
    if (!valid(flag)) return -1;
    st.flags[flag] = value;
    return 0;
}

int FLAG_reset(int value) { return FLAG_resetl(value); }

int FLAG_resetl(long value)
{
    for (long &f : st.flags) f = value;
    return 0;
}

int FLAG_batch() { return st.flags[FLAG_BATCH] > 0 ? 1 : 0; }

int FLAG_set_batch(int val)
{
    st.flags[FLAG_BATCH] = val;
    return 0;
}

int FLAG_help() { return st.flags[FLAG_HELP] > 0 ? 1 : 0; }

int FLAG_setplot(int type, int val)
{
    if (!valid_plot(type)) return -1;
    st.plot_it[type] = val;
    if (type == PLOT_ALL)
        for (int i = PLOT_TEXT; i < PLOT_ALL; i++) st.plot_it[i] = val;
    if (type == PLOT_TEXT)
        for (int i = PLOT_TEXT; i <= PLOT_TEXT_LR; i++) st.plot_it[i] = val;
    // Entry 0 counts the text positions that are on; entry 12 counts entries 0 to 11.
    st.plot_it[PLOT_TEXT] = 0;
    for (int i = PLOT_TEXT_UL; i <= PLOT_TEXT_LR; i++) st.plot_it[PLOT_TEXT] += st.plot_it[i];
    st.plot_it[PLOT_ALL] = 0;
    for (int i = PLOT_TEXT; i < PLOT_ALL; i++) st.plot_it[PLOT_ALL] += st.plot_it[i];
    return 0;
}

int FLAG_getplot(int type) { return valid_plot(type) ? st.plot_it[type] : 0; }

int FLAG_resetplot(int val)
{
    for (int &p : st.plot_it) p = val;
    return 0;
}

// vykflag.h: the numbered program flags and the plot-component switches (flag.cpp).
#ifndef VYKFLAG_H
#define VYKFLAG_H

constexpr int FLAG_NUM = 30;
constexpr int FLAG_PLOT_NUM = 13;

// Flag numbers in use.
enum {
    FLAG_DEVICE = 2,      // output device type (a Gws_type code)
    FLAG_GRID_INPUT = 4,  // grid input file kind
    FLAG_REGION = 5,      // region code
    FLAG_FORECAST = 6,    // forecast time
    FLAG_LEVEL_TYPE = 7,  // level type
    FLAG_LEVEL = 8,       // level
    FLAG_PLOT_TYPE = 11,  // plot type
    FLAG_UPA_INPUT = 14,  // upper-air input kind
    FLAG_FILE_PARAM = 15, // file parameter: 1 over/calc/recalc, 2 app, 3 use/reuse
    FLAG_GRID_FILE = 17,  // grid file type
    FLAG_BATCH = 19,      // batch mode
    FLAG_HELP = 20,       // help requested
};

// Plot-component switch numbers (the words of the draw resource).
enum {
    PLOT_TEXT = 0, PLOT_TEXT_UL, PLOT_TEXT_UC, PLOT_TEXT_UR, PLOT_TEXT_LL, PLOT_TEXT_LC,
    PLOT_TEXT_LR, PLOT_DATA, PLOT_MAP, PLOT_GRID, PLOT_SUM, PLOT_BORD, PLOT_ALL
};

int FLAG_get(int flag);
long FLAG_getl(int flag);
int FLAG_set(int flag, int value);
int FLAG_setl(int flag, long value);
int FLAG_reset(int value);
int FLAG_resetl(long value);
int FLAG_batch();
int FLAG_set_batch(int val);
int FLAG_help();
int FLAG_setplot(int type, int val);
int FLAG_getplot(int type);
int FLAG_resetplot(int val);

#endif

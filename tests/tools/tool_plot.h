// The plot of a test-only driver: opened on the current map's limits, its plot window, and the
// domain named on the command line.
#ifndef VYK_TOOL_PLOT_H
#define VYK_TOOL_PLOT_H

#include "tool_args.h"
#include "vyk.h"
#include "vykgks.h"
#include "vykplot.h"

#include <string>

/// The aspect ratio of the current map's plot limits (1 when they have no height).
inline float plot_aspect()
{
    MAP_limits lim;
    MAP_get_limits(&lim);
    const float h = lim.y_max - lim.y_min;
    return h > 0 ? (lim.x_max - lim.x_min) / h : 1;
}

/// Transformation 2 spans the current map's plot limits.
inline void set_plot_window()
{
    MAP_limits lim;
    MAP_get_limits(&lim);
    const Glim win = {lim.x_min, lim.x_max, lim.y_min, lim.y_max};
    GPH_win(2, &win);
    GPH_trans(2);
}

/// Makes domain current and opens the plot on its aspect, or sets the open plot up again (a
/// zoom, a resize).  A newly opened plot takes on_event as its event callback and replot as its
/// zoom and resize function.  -1 when the plot does not open, 0 opened, 1 set up again.
inline int open_or_reset_plot(Domain *domain, PLT_callback on_event, PLT_replot replot)
{
    const bool reset = gchk_graphics();
    MAP_domain(domain);
    const float aspect = plot_aspect();
    if (reset) return PLT_reset(aspect) != 0 ? -1 : 1;
    if (PLT_open(aspect) != 0) return -1;
    PLT_set_handlers(on_event, replot);
    return 0;
}

/// The domain the first file-name argument describes; otherwise "program: not a domain: TEXT"
/// and false.
inline bool domain_argument(const char *program, Domain *domain)
{
    const std::string text = first_argument();
    DOM_init(domain);
    const int decoded = text.empty() ? -1 : DOM_decode(text.c_str(), domain);
    if (decoded == 1 || decoded == 2) return true;
    MESS_print(M_ERROR, "%s: not a domain: %s\n", program, text.c_str());
    return false;
}

#endif

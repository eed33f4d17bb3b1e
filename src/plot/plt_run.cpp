// The plot pass every plot routine runs: the frame reset (a re-plot in the open frame) or
// opened with the routine's event callback and re-plot function, the routine's drawing, the
// labels and what it draws over them, the image dumps, and the close when the pass opened the
// frame.  One rule holds for every routine: an open refused because nothing is to be plotted
// draws nothing and is no failure; an open frame that cannot be reset draws nothing, says so
// and fails the pass, so that no picture is drawn over a frame that was not laid out for it.
#include "vyk.h"
#include "gks.h"
#include "plt_frame.h"
#include "plt_label.h"

int PLT_run(float aspect, const PLT_routine &routine)
{
    const bool reset = gchk_graphics() != 0;
    if (reset) {
        if (PLT_reset(aspect) != 0) {
            MESS_print(M_WARN, "%s: Unable to reset the plot\n", routine.name);
            return -1;
        }
    } else {
        if (PLT_open(aspect) != 0) return 0;  // nothing is to be plotted
        PLT_set_handlers(routine.callback, routine.replot);
    }
    if (routine.draw) routine.draw(reset);
    PLT_labels();
    if (routine.over_labels) routine.over_labels();
    PLT_dump(0);
    // A plot whose output file could not be written fails (the frame says which).
    if (!reset && PLT_close() != 0) return -1;
    return 0;
}

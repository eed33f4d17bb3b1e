// vykdom.h: the plot services that the image files call (the georeference of a picture and the
// label line of an image dump; the Domain record itself is core's, vykrec.h).  They belong to the plot folder, above
// graphics; graphics declares exactly these here, as an exception to the layering listed with
// the folder layout, and the plot folder's header includes this one.
#ifndef VYKDOM_H
#define VYKDOM_H

#include "vykmess.h"
#include "vykrec.h"
#include "vykup.h"


// DOM_decode is declared in vykup.h (core's resource conversion calls it too).

/// Empties a domain: proj, nx, ny and every float field -9999, ellipse 0.  Returns 0.
int DOM_init(Domain *domain);
/// Writes the domain string through MESS_print at level.  Returns 0.
int DOM_print(M_type level, const Domain *domain);
/// Copies the current map domain into dom and returns dom; NULL gives the current domain itself.
Domain *MAP_get_domain(Domain *dom);
/// The label text of position pos (0 to 5: upper left, centre, right, lower left, centre,
/// right) on overlay line line (0 to 5); at most 69 characters.
const char *PLT_get_label(int pos, int line);
/// The plot frame's view margin (0 when never set).
float PLT_get_view_offset();

#endif

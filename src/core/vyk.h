// vyk.h: the core services, one header per component (or small group of components).
//
// Every component keeps its state private to its own source file and is reached through the
// functions its header declares.
#ifndef VYK_H
#define VYK_H

#include "vykbase.h"   // the missing value
#include "vykmess.h"   // levelled messages
#include "vykflag.h"   // program flags and plot-component switches
#include "vykstr.h"    // string utilities, word lists, the bounded field copy
#include "vykfile.h"   // paths, file tests, opening files, line readers, byte order
#include "vykfname.h"  // file-name conventions, typed names, current files and series
#include "vykdate.h"   // dates, date labels, the report time window
#include "vyktab.h"    // hash tables
#include "vykresrc.h"  // resources, defaults files, value conversions
#include "vykunit.h"   // unit conversion
#include "vykcdf.h"    // netCDF access
#include "vykform.h"   // meteorological formulas and small numerics
#include "vykscan.h"   // the pattern scanner
#include "vykproc.h"   // version, exit statuses, processes, prompts, timing
#include "vykmenu.h"   // console menus
#include "vykmq.h"     // messaging with the loop window program
#include "vykrec.h"    // the records shared by every folder (domain, grid, point datum, level)

#endif

// img_internal.h: the image readers working on a stream that is already open, for IMG_read,
// which opens a file once, tells its kind from the first bytes and hands the same stream on.
#ifndef IMG_INTERNAL_H
#define IMG_INTERNAL_H

#include <cstdio>

struct IMG_report;

/// Each reads one image of its kind from fp (positioned at the file's first byte) into the
/// record, as the reader of a file name does; 1 on success, 0 on failure.  fp stays open.
int GIF_read_stream(FILE *fp, IMG_report *image, int type);
int PNG_read_stream(FILE *fp, IMG_report *image, int type);
int XWD_read_stream(FILE *fp, IMG_report *image, int type);
int VYK_read_stream(FILE *fp, IMG_report *image, int type);

#endif

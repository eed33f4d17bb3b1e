// img.h: raster images: the image record that every image reader and writer fills or
// consumes, the system's own image format "VYKIMG", and the GIF, PNG and XWD files.
//
// Readers return 1 on success and 0 on failure (after a message, mask 192); they check every
// size they read before allocating.  A record owns its pixel area and its colour table: both
// are allocated with malloc and released by IMG_free.
#ifndef IMG_H
#define IMG_H

#include "vyk.h"
#include "vykdom.h"

// ---------------------------------------------------------------------------------------------
// The image record and the own format (img.cpp)
// ---------------------------------------------------------------------------------------------

/// One colour-table entry, each component 0 to 1.
struct IMG_color {
    float r, g, b;
};

constexpr int IMG_DATIM_LEN = 50;  // datim: at most 49 characters and the end
constexpr int IMG_INFO_LEN = 75;   // info: at most 74 characters and the end

/// The largest pixel area a reader allocates (bytes_line x height), and the largest width or
/// height it accepts.
constexpr long IMG_MAX_BYTES = 1L << 28;
constexpr int IMG_MAX_SIZE = 65535;

/// Origin code of a record read from the own format.
constexpr int IMG_SOURCE_VYK = 50;

/// One raster image.
struct IMG_report {
    int source;              // IMG_SOURCE_VYK for the own format, else 0
    int type;                // image kind (printed only)
    int version;             // format version (printed only)
    char datim[IMG_DATIM_LEN];  // date label
    Date date;               // the date decoded from datim
    char info[IMG_INFO_LEN];    // title: info line, window name, "GIF", "PNG", ...
    int width, height;       // size in pixels
    int depth;               // significant bits of colour per pixel
    float xres, yres;        // resolution (printed only)
    float xoff, yoff;        // offset (printed only)
    int bits_pixel;          // bits each pixel takes in the pixel area
    int bytes_line;          // bytes of one row of the pixel area
    int byte_order;          // 1 most significant byte first, 0 least significant first
    int color_type;          // 1 pixels index colors; 0 pixels hold values selected by the masks
    int num_colors;          // entries in colors
    unsigned int red, grn, blu;  // channel masks (color_type 0)
    IMG_color *colors;       // colour table of num_colors entries, owned by the record
    int trans_color;         // transparent colour index, -1 none
    Domain domain;           // georeference of the picture, every field missing when none
    unsigned char *data;     // height rows of bytes_line bytes, top row first, owned
};

int IMG_init(IMG_report *image);
int IMG_print(M_type level, const IMG_report *image);
/// Copies every field; the destination gets its own copies of the pixel area (bytes_line x
/// height bytes) and of the colour table.  0, or -1 when they cannot be allocated (the
/// destination then has neither).
int IMG_copy(IMG_report *dest, const IMG_report *src);
int IMG_free(IMG_report *image);
/// What IMG_read reads, and how IMG_write stores the pixels.
enum IMG_kind : int {
    IMG_READ_ALL = 0,     // the whole image
    IMG_READ_HEADER = 1,  // the header only
    IMG_WRITE_RAW = 0,    // raw pixels
    IMG_WRITE_ZLIB = 1,   // zlib streams
};
/// The colour types of a record.
enum IMG_color_type : int {
    IMG_MASKS = 0,  // pixels hold values selected by the masks
    IMG_TABLE = 1,  // pixels index colours
};

/// Reads any supported image file, chosen by its first bytes; type IMG_READ_ALL the whole
/// image, IMG_READ_HEADER the header only.  1 on success; 0 on failure, with the record released.
int IMG_read(const char *filename, IMG_report *image, int type);
int IMG_read_vyk(const char *filename, IMG_report *image, int type);
/// Writes the own format: type IMG_WRITE_RAW raw pixels, IMG_WRITE_ZLIB zlib streams.  1 on success, 0 on failure.
int IMG_write(const char *filename, IMG_report *image, int type);
/// Checks a size read from a file before anything is allocated: width and height from 1 to
/// IMG_MAX_SIZE, bytes_line at least what width pixels of bits_pixel bits take, and the pixel
/// area at most IMG_MAX_BYTES.  1 when it is sane; else 0 after "func: Invalid image size ..."
/// (mask 192).
int IMG_check_size(const char *func, long width, long height, long bytes_line, long bits_pixel);
/// Writes the captured window picture in the own format, with the plot frame's labels.
int IMG_dump(const char *filename);

/// The compressed own-format reader waits for a file that another program is still writing:
/// at the end of the data it sleeps `seconds` and reads again, at most `tries` times (10 and 1
/// second at start; 0 tries does not wait).  Returns 0.
int IMG_set_read_wait(int tries, float seconds);

/// The palette of at most 256 colours that the GIF and PNG writers make of a record.
struct IMG_palette {
    int num_color;                 // entries in use, 0 to 256
    int trans;                     // entry standing for the background value, -1 none
    unsigned int value[256];       // the pixel value each entry stands for
    unsigned char red[256], grn[256], blu[256];
};

/// Turns the picture pixels of image (the first width slots of each row) into palette entries:
/// index receives width x height bytes, rows from the top.  Entries are taken in order of first
/// appearance; once 256 are in use a new value gets entry 0.  Colours: color_type 1 from the
/// colour table (black beyond it); color_type 0 from the three masks, or grey levels when all
/// three masks are 0.  background is a pixel value whose entry becomes pal->trans (-1 none).
/// 0, or -1 after "func: ..." (mask 192) when the record has no pixels or a layout that cannot
/// be read.
int IMG_index_pixels(const char *func, const IMG_report *image, long background,
                     IMG_palette *pal, unsigned char *index);

// ---------------------------------------------------------------------------------------------
// XWD files (img_xwd.cpp)
// ---------------------------------------------------------------------------------------------

/// image->depth holds the deepest image accepted.
int XWD_read(const char *filename, IMG_report *image, int type);
int XWD_write(const char *filename, IMG_report *image);

// ---------------------------------------------------------------------------------------------
// PNG files (img_png.cpp)
// ---------------------------------------------------------------------------------------------

int PNG_write(const char *filename, IMG_report *image);
int PNG_read(const char *filename, IMG_report *image, int type);

// ---------------------------------------------------------------------------------------------
// GIF files (img_gif.cpp)
// ---------------------------------------------------------------------------------------------

int GIF_interlace(int val);
int GIF_transparent(int val);
int GIF_read(const char *filename, IMG_report *image, int type);
int GIF_write(const char *filename, IMG_report *image);

// ---------------------------------------------------------------------------------------------
// Window images, part 1: the capture of the window picture that the dumps write (img_window.cpp)
// ---------------------------------------------------------------------------------------------

/// Captures the drawing target into image; 1, or 0 on failure.
int gget_image(IMG_report *image);

// ---------------------------------------------------------------------------------------------
// Window images, part 2: drawing, overlays and saving (img_window.cpp)
// ---------------------------------------------------------------------------------------------
// x, y place an image's top-left pixel relative to the current viewport, counted from its left
// and top edges, or from its right and bottom edges when negative.

/// IMG_read of the whole image (gread) or of the header only (gquery); 1 success, 0 failure.
int gread_image_file(const char *file, IMG_report *image);
int gquery_image_file(const char *file, IMG_report *image);
/// Colour-mapped displays (1, 4, 8 bits): replaces the image's palette indices in place by
/// workstation pixels; colours within 0.01 of the transparent pixel's (-1 none) become it.  0.
int gsetup_image_colors(IMG_report *image, int transparent);
/// Draws the image opaque (window, or PostScript output); 0.
int gload_image(IMG_report *image, int x, int y);
/// 1 when drawn, 0 when there is no window or the file cannot be read.
int gload_image_file(const char *file, int x, int y);
/// Draws the image with the background colour (a colour name or X colour name; NULL
/// or "" the window's background) left transparent; 0.
int goverlay_image(IMG_report *image, const char *background, int x, int y);
int goverlay_image_file(const char *file, const char *background, int x, int y);
/// Save-image type of gsave_image_file: 56 GIF (initial), 58 PNG, any other XWD.
int gset_save_image_type(int type);
int gget_save_image_type();
/// Captures the window and writes it in the save-image type; the writer's result.
int gsave_image_file(const char *file);
/// Capture the window and write it as XWD, PNG or GIF; the writer's result.
int XWD_dump(const char *filename);
int PNG_dump(const char *filename);
int GIF_dump(const char *filename);

#endif

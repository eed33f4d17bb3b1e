// Starts up with the profiler display's resource list and prints what the decoder made of the
// command line, the environment and the defaults files: every resource as "name=value" (a
// resource without a value as "name"), then the batch and help flags and the message mask.
// With help requested it prints the usage and ends with status 0, as the program does.
#include "vyk.h"
#include "vykresrc.h"

#include <cstdio>

namespace {

const res_type res_key[] = {
    RES_help, RES_batch, RES_message, RES_file_path, RES_data_path, RES_con_path,
    RES_grid_path, RES_raw_path, RES_image_path, RES_watch_path, RES_text_path, RES_model_path,
    RES_sat_path, RES_city_file, RES_map_file, RES_name_conv, RES_in_files, RES_out_file,
    RES_file_param, RES_current, RES_hour, RES_num_hour, RES_identifier, RES_plot_domain,
    RES_grid_domain, RES_region, RES_stat_prior, RES_variable, RES_level, RES_plot_type,
    RES_plot_scale, RES_plot_format, RES_plot_param, RES_draw, RES_label, RES_con_interval,
    RES_con_base, RES_font_list, RES_color_table, RES_color_text, RES_color_data, RES_color_map,
    RES_color_grid, RES_color_line, RES_color_wind, RES_color_cloud, RES_color_wx,
    RES_color_cmap, RES_color_cont, RES_color_fill, RES_color_label, RES_color_clabel,
    RES_device, RES_title, RES_icon, RES_background, RES_geometry, RES_null};
static_assert(sizeof res_key / sizeof res_key[0] == 58);

const res_type res_pos[] = {RES_filenames, RES_null};

}  // namespace

int main(int argc, char **argv)
{
    RES_init(argc, argv, res_key, res_pos);
    if (FLAG_help()) {
        char prog[FILE_NAME_MAX + 1];
        RES_get_progname(prog, sizeof prog);
        MESS_print(15, "%s: This program plots profiler data\n", prog);
        RES_help_print(prog, res_key, res_pos);
        VYK_exit(0);
    }
    for (const resource *r = RES_first(); r; r = r->next) {
        if (r->data) printf("%s=%s\n", r->name, r->data);
        else printf("%s\n", r->name);
    }
    printf("flag19=%d flag20=%d mask=0x%X tz=[%s]\n", FLAG_get(FLAG_BATCH), FLAG_get(FLAG_HELP),
           static_cast<unsigned>(MESS_get()), DATE_get_tz_str());
    return 0;
}

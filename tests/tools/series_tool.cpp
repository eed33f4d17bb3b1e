// Completes a typed profiler file name through the "prf_dat" convention, prints the name and
// the date read back from it, and lists the files of the 12 hours up to it:
//   series_tool -fp <dir of name_conv> -dp <data dir> [-nh span[,step]] [-ho hour] 2024010112
// Without a name it asks for one (or takes the latest file in batch mode).  Each listed name is
// followed by " missing" when there is no such file.
#include "vyk.h"
#include "vykresrc.h"

#include <cstdio>

namespace {

const res_type res_key[] = {RES_help,     RES_batch,    RES_message,  RES_file_path,
                            RES_data_path, RES_name_conv, RES_current, RES_hour,
                            RES_num_hour, RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

}  // namespace

int main(int argc, char **argv)
{
    RES_init(argc, argv, res_key, res_pos);
    if (FLAG_help()) {
        RES_help_print("series_tool", res_key, res_pos);
        VYK_exit(0);
    }
    FILE_set_name("prf_dat");
    char name[FILE_NAME_MAX + 1];
    const int exists = FILE_get_file("Enter the profiler filename: ", name);
    Date date;
    FILE_get_date(&date);
    printf("name: %s%s\n", name, exists ? "" : " missing");
    printf("date: %04d-%02d-%02d %02d\n", date.year, date.month, date.day, date.hour);

    FILE_set_def_hours(-12);
    FILE_first(&date);
    int count = 0;
    char next[FILE_NAME_MAX + 1];
    while (FILE_get_next(next)) {
        printf("%s%s\n", next, FILE_exist(next) ? "" : " missing");
        count++;
    }
    printf("files: %d\n", count);
    return 0;
}

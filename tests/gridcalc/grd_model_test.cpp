// The grid input configuration: the model from the resources and the model file, model
// mosaics, the models known without the file, the input kind of in_file and input (kept apart
// from the output's flag 17), the default selector, and hostile model files.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_search.h"

#include <string>

namespace {

using vyktest::stderr_of;

/// A file path holding a model file and a naming-convention file.
struct ModelFiles {
    vyktest::TempDir dir;
    explicit ModelFiles(const std::string &models)
    {
        if (!models.empty()) vyktest::write_file(dir.file("model.lup"), models);
        vyktest::write_file(dir.file("name_conv"),
                            "grib_   %G/%e_%Y%m%d%h.grb  -\n"
                            "a   @a_%h  -\nb   b_%h  -\nc   c_%h  -\nd   d_%h  -\n");
        RES_put("file_path", dir.path().c_str());
    }
};

std::string piece(int k)
{
    const GRD_piece *p = GRD_get_piece(k);
    return std::string(p->name) + " " + std::to_string(p->x) + "," + std::to_string(p->y) + " " +
           std::to_string(p->type);
}

}  // namespace

TEST(GrdModel, MosaicOfTheModelFile)
{
    ModelFiles s("# models\neta 1x1 grib_eta  # the default\nruc 2x2 a,b#5,c,d\nsst 1x1 grib_sst\n");
    RES_put("model", "RUC");
    RES_put("grid_type", "3");
    EXPECT_EQ(GRD_in_file(), 0);
    EXPECT_STREQ(GRD_get_model(), "RUC");
    EXPECT_STREQ(VAR_get_model_str(), "RUC");
    ASSERT_EQ(GRD_get_num_piece(), 4);
    int nx = 0, ny = 0;
    GRD_get_mosaic_size(&nx, &ny);
    EXPECT_EQ(nx, 2);
    EXPECT_EQ(ny, 2);
    EXPECT_EQ(piece(0), "a 0,0 3");
    EXPECT_EQ(piece(1), "b 1,0 5");
    EXPECT_EQ(piece(2), "c 0,1 3");
    EXPECT_EQ(piece(3), "d 1,1 3");
    EXPECT_STREQ(FILE_get_conv(), "@a_%h");  // the first piece's convention
    EXPECT_EQ(FLAG_get(FLAG_GRID_INPUT), VYK_MISS);  // a mosaic leaves the model code alone
    EXPECT_EQ(GRD_get_piece(GRD_MAX_PIECES), nullptr);
}

TEST(GrdModel, ModelsWithoutAMosaic)
{
    struct Case {
        const char *file;   // model file ("" none)
        const char *model;  // resource (nullptr unset)
        const char *name;   // model taken
        int code;           // flag 4
        const char *conv;   // convention template
    };
    const Case cases[] = {
        {"", nullptr, "ngm", 2, "%G/%e_%Y%m%d%h.grb"},
        {"eta 1x1 grib_eta\n", nullptr, "eta", 3, "%G/%e_%Y%m%d%h.grb"},
        {"eta 1x1 grib_eta\n", "avn", "avn", 15, "%G/%e_%Y%m%d%h.grb"},
        {"eta 1x1 grib_eta\n", "ECMWF", "ECMWF", 20, "%G/%e_%Y%m%d%h.grb"},
        {"eta 1x1 grib_eta\n", "mymodel", "mymodel", VYK_MISS, "%G/%e_%Y%m%d%h.grb"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + (c.model ? c.model : "-"));
        ModelFiles s(c.file);
        FLAG_set(FLAG_GRID_INPUT, VYK_MISS);
        if (c.model) RES_put("model", c.model);
        GRD_in_file();
        EXPECT_STREQ(GRD_get_model(), c.name);
        EXPECT_EQ(FLAG_get(FLAG_GRID_INPUT), c.code);
        EXPECT_EQ(GRD_get_num_piece(), 0);
        EXPECT_STREQ(FILE_get_conv(), c.conv);
        EXPECT_STREQ(FILE_get_ext(), c.name);
    }
}

TEST(GrdModel, InputKindsAndTheDefaultSelector)
{
    ModelFiles s("");
    FLAG_set(FLAG_GRID_FILE, 2);
    RES_put("in_file", "vyk,b");
    RES_put("input", "GRIB");
    RES_put("grid_num", "#2:C");
    GRD_in_file();
    EXPECT_EQ(GRD_get_input_kind(), GRD_IN_GRIB);
    EXPECT_EQ(GRD_input_file_kind(), GRD_GRIB);
    EXPECT_EQ(FLAG_get(FLAG_GRID_FILE), 2);  // the output's flag is not the input's kind
    EXPECT_STREQ(FILE_get_conv(), "b_%h");    // "b" names a convention
    EXPECT_STREQ(GRD_get_piece(0)->name, "b");
    EXPECT_STREQ(FILE_get_ext_info(), "#2:C");
    EXPECT_STREQ(GRD_get_def_selector(), "#2:C");
    RES_put("input", "vykx");  // whole words only
    RES_put("in_file", "cdfstuff");
    GRD_in_file();
    EXPECT_EQ(GRD_get_input_kind(), GRD_IN_CDF);
    EXPECT_EQ(GRD_input_file_kind(), GRD_DETECT);
}

TEST(GrdModel, HostileModelFilesAreReadWithinBounds)
{
    const std::string long_word(400, 'w');
    std::string many;
    for (int k = 0; k < 20; k++) many += (k ? "," : "") + std::string("p") + std::to_string(k);
    ModelFiles s(long_word + " 1x1 a\n"
            "big 99x99 a,b\n"
            "many 3x4 " + many + "\n"
            "named 1x1 " + std::string(40, 'n') + "#x\n"
            "#only a comment\n");
    std::string err = stderr_of([] { GRD_in_file(); });
    EXPECT_NE(err.find("word of model.lup cut to 159 characters"), std::string::npos) << err;
    EXPECT_NE(err.find("model name cut to 19 characters"), std::string::npos) << err;
    EXPECT_EQ(std::string(GRD_get_model()), std::string(19, 'w'));

    RES_put("model", "big");
    err = stderr_of([] { GRD_in_file(); });
    EXPECT_NE(err.find("mosaic 99x99 of model.lup does not fit 12 pieces"), std::string::npos) << err;
    EXPECT_EQ(GRD_get_num_piece(), 1);

    RES_put("model", "many");
    err = stderr_of([] { GRD_in_file(); });
    EXPECT_NE(err.find("pieces beyond the 3x4 mosaic left out: p12"), std::string::npos) << err;
    EXPECT_EQ(GRD_get_num_piece(), 12);
    EXPECT_EQ(piece(11), "p11 2,3 -9999");

    RES_put("model", "named");
    err = stderr_of([] { GRD_in_file(); });
    EXPECT_NE(err.find("piece name cut to 19 characters"), std::string::npos) << err;
    EXPECT_NE(err.find("is not a number"), std::string::npos) << err;
    EXPECT_EQ(std::string(GRD_get_piece(0)->name), std::string(19, 'n'));
}

TEST(GrdModel, TheShippedModelFile)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    GRD_in_file();
    EXPECT_STREQ(GRD_get_model(), "gfs");
    EXPECT_STREQ(FILE_get_conv(), "%G/%e_%Y%m%d%h.grb");
    RES_put("model", "gfsq");
    GRD_in_file();
    ASSERT_EQ(GRD_get_num_piece(), 4);
    EXPECT_EQ(piece(3), "grib_gfsse 1,1 -9999");
    RES_put("model", "eta");
    GRD_in_file();
    EXPECT_STREQ(FILE_get_conv(), "%G/eta_%Y%m%d%12h.grb");
    EXPECT_STREQ(FILE_get_hconv(), "%G/eta_%Y%m%d%12h.grbi");
}

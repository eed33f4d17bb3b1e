// The XML form of upper-air files, read back by python3's XML parser.
#include "upa_file_fixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace upatest;
using vyktest::has;
using vyktest::read_file;
using vyktest::run;
using vyktest::TempDir;

namespace {

/// The document as python3's parser sees it: the root's name and date, then per element
/// "tag attr=value ..." in document order (attributes sorted).
std::string parsed(const std::string &path)
{
    const std::string script =
        "import sys, xml.etree.ElementTree as E\n"
        "root = E.parse(sys.argv[1]).getroot()\n"
        "for e in root.iter():\n"
        "    print(e.tag, ' '.join('%s=%s' % kv for kv in sorted(e.attrib.items())))\n";
    const vyktest::RunResult r = run("/usr/bin/python3 -c " + vyktest::quote(script) + " " + vyktest::quote(path));
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

}  // namespace

TEST(UpaXml, StationsAreElementsOfOneWellFormedDocument)
{
    TempDir dir;
    const std::string path = dir.file("upa.xml");
    UPA_report a = sample_report("PIT", 72520, 2, 2);
    a.wnd[1].h = 3000;
    a.man[0].h = 360;
    a.man[4].td = M;  // a missing value leaves its attribute out
    UPA_report b = sample_report("A&<\"'>", M, 1, 1);
    b.lat = M;
    b.man[13].p = 50;
    b.sig[0].p = 88.5f;
    ASSERT_EQ(write_reports(path, UPA_FILE_XML, {a, b}, "12Z 15 MAR 96 <x> & \"y\""), 0);
    const std::string doc = parsed(path);
    EXPECT_EQ(doc.rfind("vykupa date=12Z 15 MAR 96 <x> & \"y\"\n", 0), 0u) << doc;
    EXPECT_TRUE(has(doc, "obs id=PIT lat=40.53 lon=-80.22 wmo=72520\n")) << doc;
    EXPECT_TRUE(has(doc, "level dewp.C=21.2 hght.m=360 pres.mb=978 temp.C=24.6 type=sfc wdir.deg=180 wspd.knt=5\n")) << doc;
    EXPECT_TRUE(has(doc, "level hght.m=3012 pres.mb=700 temp.C=4.6 wdir.deg=240 wspd.knt=25\n")) << doc;
    EXPECT_TRUE(has(doc, "level hght.m=33500 pres.mb=7 temp.C=-41.1 wdir.deg=70 wspd.knt=30\n")) << doc;
    EXPECT_TRUE(has(doc, "level dewp.C=-66.1 pres.mb=212 temp.C=-56.1 type=trop wdir.deg=270 wspd.knt=84\n")) << doc;
    EXPECT_TRUE(has(doc, "level pres.mb=230 type=mwnd wdir.deg=275 wspd.knt=105\n")) << doc;
    EXPECT_TRUE(has(doc, "level hght.m=914 wdir.deg=185 wspd.knt=8\n")) << doc;  // 3000 ft
    EXPECT_TRUE(has(doc, "obs id=A&<\"'> wmo=-09999\n")) << doc;             // no position
    EXPECT_TRUE(has(doc, "level dewp.C=21.2 pres.mb=88.5 temp.C=24.6\n")) << doc;
    EXPECT_EQ(vyktest::count(doc, "mand_level \n"), 2);
    const std::string text = read_file(path);
    EXPECT_EQ(text.substr(text.size() - 10), "</vykupa>\n");
}

TEST(UpaXml, SurfaceStandsInForMissingLevelsAndAnEmptyFileIsADocument)
{
    TempDir dir;
    const std::string path = dir.file("sfc.xml");
    UPA_report r = sample_report("PIT", 72520, 0, 0);
    r.man[0] = {990, 300, 20.2f, 15.2f, 200, 10};
    int k = UPA_FILE_XML, n = 0;
    const int fd = UPA_open(path.c_str(), UPA_ACCESS_WRITE, &k);
    ASSERT_GE(fd, 0);
    UPA_info info{};
    UPA_putinfo(fd, &info);
    ASSERT_EQ(UPA_write(fd, &r, UPA_READ_ALL, &n), 0);
    EXPECT_EQ(n, 1);
    UPA_report dummy;
    EXPECT_EQ(UPA_read(fd, &dummy, UPA_READ_ALL, &n), -1);  // written only
    EXPECT_EQ(UPA_rewind(fd), -1);
    ASSERT_EQ(UPA_close(fd), 0);
    EXPECT_EQ(r.numsig, 1);
    EXPECT_EQ(r.numwnd, 1);
    const std::string doc = parsed(path);
    EXPECT_TRUE(has(doc, "level dewp.C=15.2 pres.mb=990 temp.C=20.2\n")) << doc;
    EXPECT_TRUE(has(doc, "level hght.m=0 wdir.deg=200 wspd.knt=10\n")) << doc;
    // A file closed without a header or stations is still one document.
    const std::string empty = dir.file("empty.xml");
    k = UPA_FILE_XML;
    ASSERT_GE(UPA_open(empty.c_str(), UPA_ACCESS_WRITE, &k), 0);
    ASSERT_EQ(UPA_close(0), 0);
    EXPECT_EQ(parsed(empty), "vykupa date=\n");
}

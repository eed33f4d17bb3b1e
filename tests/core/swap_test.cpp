// Byte order: the swapping switch, in-place swaps, and the swapping readers and writers.
#include "test_util.h"
#include "vyk.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;

TEST(Swap, SetupAndReaders)
{
    const int one = 1;
    unsigned char first;
    memcpy(&first, &one, 1);
    ASSERT_EQ(first, 1) << "the expected values are for a little-endian host";
    const std::string bytes("\x00\x00\x01\x00", 4);
    struct Case {
        int flag;
        int32_t value;
    };
    const Case cases[] = {{1, 256}, {2, 65536}, {-1, 65536}, {0, 256}, {7, 256}};
    for (const Case &c : cases) {
        swap_setup(c.flag);
        vyktest::ByteStream s(bytes);
        int32_t v = 0;
        EXPECT_EQ(fread_long_swap(&v, s.get()), 1);
        EXPECT_EQ(v, c.value) << "flag " << c.flag;
    }
}

TEST(Swap, InPlace)
{
    swap_setup(0);
    uint16_t s = 0x0102;
    EXPECT_EQ(swap_short(&s), 0);
    EXPECT_EQ(s, 0x0201);
    uint32_t l = 0x01020304;
    EXPECT_EQ(swap_long(&l), 0);
    EXPECT_EQ(l, 0x04030201u);
    uint64_t d = 0x0102030405060708ull;
    EXPECT_EQ(swap_double(&d), 0);
    EXPECT_EQ(d, 0x0807060504030201ull);
    uint16_t shorts[3] = {0x0102, 0x0304, 0x0506};
    EXPECT_EQ(swap_shorts(shorts, 3), 0);
    EXPECT_EQ(shorts[0], 0x0201);
    EXPECT_EQ(shorts[2], 0x0605);
    uint32_t longs[2] = {0x01020304, 0x0a0b0c0d};
    EXPECT_EQ(swap_longs(longs, 2), 0);
    EXPECT_EQ(longs[0], 0x04030201u);
    EXPECT_EQ(longs[1], 0x0d0c0b0au);

    swap_setup(-1);
    l = 0x01020304;
    EXPECT_EQ(swap_long(&l), -1);
    EXPECT_EQ(l, 0x01020304u);
    EXPECT_EQ(swap_short(&s), -1);
    EXPECT_EQ(swap_double(&d), -1);
    EXPECT_EQ(swap_longs(longs, 2), -1);
    EXPECT_EQ(longs[0], 0x04030201u);
}

TEST(Swap, WritersGiveBigEndianBytesCheckedByOd)
{
    TempDir dir;
    const std::string name = dir.file("big.bin");
    swap_setup(1);
    FILE *fp = fopen(name.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    int32_t values[] = {0x01020304, 256, -2, 2147483647};
    for (int32_t &v : values) {
        const int32_t before = v;
        EXPECT_EQ(fwrite_long_swap(&v, fp), 1);
        int32_t expect_swapped = before;
        swap_long(&expect_swapped);
        EXPECT_EQ(v, expect_swapped);  // the caller's value stays swapped
    }
    int16_t shorts[] = {0x0a0b, -300};
    for (int16_t &v : shorts)
        EXPECT_EQ(fwrite_short_swap(&v, fp), 1);
    fclose(fp);

    const vyktest::RunResult hex = run("od -An -tx1 -v " + quote(name) + " | tr -s ' \\n' ' '");
    EXPECT_EQ(hex.out, " 01 02 03 04 00 00 01 00 ff ff ff fe 7f ff ff ff 0a 0b fe d4 ");
    const vyktest::RunResult longs =
        run("head -c 16 " + quote(name) + " | od --endian=big -An -td4 | tr -s ' \\n' ' '");
    EXPECT_EQ(longs.out, " 16909060 256 -2 2147483647 ");
    const vyktest::RunResult two =
        run("tail -c 4 " + quote(name) + " | od --endian=big -An -td2 | tr -s ' \\n' ' '");
    EXPECT_EQ(two.out, " 2571 -300 ");

    // Read back through the swapping readers.
    fp = fopen(name.c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    for (int32_t expected : {0x01020304, 256, -2, 2147483647}) {
        int32_t v = 0;
        EXPECT_EQ(fread_long_swap(&v, fp), 1);
        EXPECT_EQ(v, expected);
    }
    for (int16_t expected : {int16_t{0x0a0b}, int16_t{-300}}) {
        int16_t v = 0;
        EXPECT_EQ(fread_short_swap(&v, fp), 1);
        EXPECT_EQ(v, expected);
    }
    int16_t v = 77;
    EXPECT_EQ(fread_short_swap(&v, fp), 0);
    EXPECT_EQ(v, 77);
    fclose(fp);
}

TEST(Swap, UnswappedWriterGivesHostOrder)
{
    TempDir dir;
    const std::string name = dir.file("little.bin");
    swap_setup(2);  // little-endian data on a little-endian host: nothing to swap
    FILE *fp = fopen(name.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    int32_t v = 0x01020304;
    EXPECT_EQ(fwrite_long_swap(&v, fp), 1);
    EXPECT_EQ(v, 0x01020304);
    fclose(fp);
    EXPECT_EQ(run("od --endian=little -An -td4 " + quote(name) + " | tr -d ' \\n'").out, "16909060");
}

TEST(Swap, DoubleReaderAgainstOd)
{
    TempDir dir;
    const std::string name = dir.file("d.bin");
    // Big-endian bytes of -1.5 and 1e300, written by printf and checked with od.
    ASSERT_EQ(run("printf '\\277\\370\\000\\000\\000\\000\\000\\000\\176\\067\\344\\074\\210\\000\\165\\234' > " +
                  quote(name)).status, 0);
    EXPECT_EQ(run("od --endian=big -An -tf8 " + quote(name) + " | tr -s ' \\n' ' '").out, " -1.5 1e+300 ");
    swap_setup(1);
    FILE *fp = fopen(name.c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    double d = 0;
    EXPECT_EQ(fread_double_swap(&d, fp), 1);
    EXPECT_EQ(d, -1.5);
    EXPECT_EQ(fread_double_swap(&d, fp), 1);
    EXPECT_EQ(d, 1e300);
    d = 4.0;
    EXPECT_EQ(fread_double_swap(&d, fp), 0);
    EXPECT_EQ(d, 4.0);
    fclose(fp);
}

TEST(Swap, PartialValueLeavesTheCallersValue)
{
    vyktest::ByteStream s(std::string("\x01\x02", 2));
    swap_setup(1);
    int32_t v = 12345;
    EXPECT_EQ(fread_long_swap(&v, s.get()), 0);
    EXPECT_EQ(v, 12345);
}

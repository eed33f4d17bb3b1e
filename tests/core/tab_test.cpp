// Hash tables.
#include "vyk.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Station {
    char id[8];
    int number;
};

Station station(const char *id, int number)
{
    Station s{};
    strntcpy(s.id, id, sizeof s.id - 1);
    s.number = number;
    return s;
}

/// The numbers of the records that a walk from the start visits.
std::vector<int> walk(TAB_table *tab)
{
    std::vector<int> seen;
    TAB_first(tab);
    for (void *p; (p = TAB_next(tab)) != nullptr;) seen.push_back(static_cast<Station *>(p)->number);
    return seen;
}

// ---------------------------------------------------------------------------------------------
// Running out of memory part way through a record.  The test program runs itself again with
// VYK_TAB_OOM_SCENARIO set and an allocation limit; this hook then runs the scenario before the
// tests start and ends the process with its verdict (leak checking runs at that exit).
// ---------------------------------------------------------------------------------------------

constexpr size_t kHugeKey = size_t(64) << 20;  // larger than the allocation limit of the scenario

int oom_scenario()
{
    int bad = 0;
    auto check = [&bad](bool ok, const char *what) {
        if (!ok) {
            fprintf(stderr, "oom scenario: %s\n", what);
            bad++;
        }
    };
    TAB_table tab;
    check(TAB_create(&tab, 1, sizeof(Station), 3) == 0, "create");
    Station a = station("A", 1), b = station("B", 2), c = station("C", 3);
    check(TAB_enter(&tab, &a, "a1", "a2", "a3") == 0, "enter a");

    // The key itself lives outside the allocator, which is limited below or by the sanitizer.
    void *mem = mmap(nullptr, kHugeKey + 1, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mem == MAP_FAILED) {
        fprintf(stderr, "oom scenario: mmap\n");
        return 1;
    }
    char *huge = static_cast<char *>(mem);
    memset(huge, 'k', kHugeKey);
    huge[kHugeKey] = '\0';
#ifndef __SANITIZE_ADDRESS__
    // Without the address sanitizer the limit is the address space: a little above what is in use.
    long pages = 0;
    if (FILE *fp = fopen("/proc/self/statm", "r")) {
        if (fscanf(fp, "%ld", &pages) != 1) pages = 0;
        fclose(fp);
    }
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t(32) << 20);
    struct rlimit rl = {limit, limit};
    check(pages > 0 && setrlimit(RLIMIT_AS, &rl) == 0, "setrlimit");
#endif
    // The first two slots fall into taken buckets (one bucket per slot), so their chained
    // entries and key copies exist when the copy of the third key fails.
    check(TAB_enter(&tab, &c, "c1", "c2", huge) == -1, "enter with a huge third key fails");
    check(TAB_enter(&tab, &c, huge, "c2", "c3") == -1, "enter with a huge first key fails");
    check(tab.num_entry == 1, "num_entry unchanged");
    check(TAB_search(&tab, 1, "c1") == nullptr, "c1 not found");
    check(TAB_search(&tab, 2, "c2") == nullptr, "c2 not found");
    check(tab.table[0][0].link == nullptr && tab.table[1][0].link == nullptr, "no chained entry left");
    check(tab.head_ptr == tab.last_ptr && tab.head_ptr->next == nullptr, "order list unchanged");

    // The table is still whole: a normal record goes in and everything is found and walked.
    check(TAB_enter(&tab, &b, "b1", "b2", "b3") == 0, "enter b");
    check(TAB_search(&tab, 3, "a3") != nullptr && TAB_search(&tab, 3, "b3") != nullptr, "a3 and b3 found");
    check(walk(&tab) == std::vector<int>({1, 2}), "walk a, b");
    TAB_clear(&tab);
    munmap(mem, kHugeKey + 1);
    if (bad == 0) printf("oom scenario passed\n");
    return bad == 0 ? 0 : 1;
}

[[maybe_unused]] const bool oom_hook = [] {
    if (getenv("VYK_TAB_OOM_SCENARIO")) {
        fflush(stdout);
        exit(oom_scenario());
    }
    return true;
}();

}  // namespace

TEST(Tab, EmptyTable)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 10, sizeof(Station), 2), 0);
    EXPECT_EQ(tab.tab_size, 10);
    EXPECT_EQ(tab.data_size, static_cast<int>(sizeof(Station)));
    EXPECT_EQ(tab.numkey, 2);
    EXPECT_EQ(tab.num_entry, 0);
    EXPECT_EQ(TAB_search(&tab, 1, "A"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 2, ""), nullptr);
    void *out[4];
    EXPECT_EQ(TAB_searches(&tab, 1, "A", out, 4), 0);
    EXPECT_EQ(TAB_first(&tab), 0);
    EXPECT_EQ(TAB_next(&tab), nullptr);
    EXPECT_EQ(TAB_clear(&tab), 0);
}

TEST(Tab, SameKeyTwice)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 800, sizeof(Station), 1), 0);
    Station first = station("KDEN", 1), second = station("KDEN", 2);
    ASSERT_EQ(TAB_enter(&tab, &first, "KDEN"), 0);
    ASSERT_EQ(TAB_enter(&tab, &second, "KDEN"), 0);
    EXPECT_EQ(tab.num_entry, 2);

    auto *found = static_cast<Station *>(TAB_search(&tab, 1, "KDEN"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->number, 1);
    EXPECT_NE(found, &first);  // the table keeps its own copy

    void *out[10];
    ASSERT_EQ(TAB_searches(&tab, 1, "KDEN", out, 10), 2);
    EXPECT_EQ(static_cast<Station *>(out[0])->number, 1);
    EXPECT_EQ(static_cast<Station *>(out[1])->number, 2);
    EXPECT_EQ(TAB_searches(&tab, 1, "KDEN", out, 1), 1);
    EXPECT_EQ(static_cast<Station *>(out[0])->number, 1);
    EXPECT_EQ(TAB_searches(&tab, 1, "KDEN", out, 0), 0);
    EXPECT_EQ(TAB_searches(&tab, 1, "KDEN", nullptr, 10), 0);

    EXPECT_EQ(walk(&tab), std::vector<int>({1, 2}));
    TAB_clear(&tab);
}

TEST(Tab, LongChainsKeepTheirEntryOrder)
{
    // Records far beyond the buckets, many under one key, in two tables made and cleared in
    // turn: each search finds the first record entered under its key, and every record of a
    // key comes in entry order.
    for (int round = 0; round < 2; round++) {
        TAB_table tab;
        ASSERT_EQ(TAB_create(&tab, 3, sizeof(Station), 2), 0);
        const int n = 3000;
        for (int i = 0; i < n; i++) {
            Station s = station("S", i);
            const std::string id = "K" + std::to_string(i % 100);
            ASSERT_EQ(TAB_enter(&tab, &s, id.c_str(), i % 2 ? "odd" : "even"), 0);
        }
        EXPECT_EQ(tab.num_entry, n);
        for (int k = 0; k < 100; k += 7) {
            const auto *found = static_cast<Station *>(TAB_search(&tab, 1, ("K" + std::to_string(k)).c_str()));
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->number, k);
        }
        std::vector<void *> out(n);
        ASSERT_EQ(TAB_searches(&tab, 2, "odd", out.data(), n), n / 2);
        for (int i = 0; i < n / 2; i++) EXPECT_EQ(static_cast<Station *>(out[i])->number, 2 * i + 1);
        EXPECT_EQ(walk(&tab).size(), static_cast<size_t>(n));
        TAB_clear(&tab);
    }
}

TEST(Tab, KeysAreCaseSensitive)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 16, sizeof(Station), 1), 0);
    Station lower = station("abc", 1), upper = station("ABC", 2);
    ASSERT_EQ(TAB_enter(&tab, &lower, "abc"), 0);
    ASSERT_EQ(TAB_enter(&tab, &upper, "ABC"), 0);
    EXPECT_EQ(static_cast<Station *>(TAB_search(&tab, 1, "abc"))->number, 1);
    EXPECT_EQ(static_cast<Station *>(TAB_search(&tab, 1, "ABC"))->number, 2);
    EXPECT_EQ(TAB_search(&tab, 1, "Abc"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 1, "ab"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 1, "abcd"), nullptr);
    TAB_clear(&tab);
}

TEST(Tab, KeySlotsShareOneRecord)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 5, sizeof(Station), 2), 0);
    Station s = station("DEN", 72469);
    ASSERT_EQ(TAB_enter(&tab, &s, "DEN", "72469"), 0);
    void *by_id = TAB_search(&tab, 1, "DEN");
    void *by_number = TAB_search(&tab, 2, "72469");
    ASSERT_NE(by_id, nullptr);
    EXPECT_EQ(by_id, by_number);
    EXPECT_EQ(TAB_search(&tab, 2, "DEN"), nullptr);  // each slot has its own keys
    EXPECT_EQ(TAB_search(&tab, 1, "72469"), nullptr);

    // A change made through one slot is seen through the other and by the walk.
    static_cast<Station *>(by_id)->number = 7;
    EXPECT_EQ(static_cast<Station *>(by_number)->number, 7);
    EXPECT_EQ(walk(&tab), std::vector<int>({7}));
    TAB_clear(&tab);
}

TEST(Tab, KeySlotOutOfRange)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 8, sizeof(Station), 2), 0);
    Station s = station("X", 1);
    ASSERT_EQ(TAB_enter(&tab, &s, "X", "X"), 0);
    for (int slot : {0, -1, 3, 4, 5, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(std::string("slot ") + std::to_string(slot));
        void *out[2];
        EXPECT_EQ(TAB_search(&tab, slot, "X"), nullptr);
        EXPECT_EQ(TAB_searches(&tab, slot, "X", out, 2), 0);
    }
    EXPECT_NE(TAB_search(&tab, 1, "X"), nullptr);
    EXPECT_NE(TAB_search(&tab, 2, "X"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 1, nullptr), nullptr);
    EXPECT_EQ(TAB_search(nullptr, 1, "X"), nullptr);
    TAB_clear(&tab);
}

TEST(Tab, WalkFollowsEntryOrderAcrossBuckets)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 7, sizeof(Station), 3), 0);  // few buckets: long chains
    std::vector<int> expected;
    for (int i = 0; i < 200; i++) {
        const std::string key = std::string("S") + std::to_string((i * 7919) % 1000);
        Station s = station(key.c_str(), i);
        ASSERT_EQ(TAB_enter(&tab, &s, key.c_str(), std::to_string(i).c_str(), "all"), 0);
        expected.push_back(i);
    }
    EXPECT_EQ(tab.num_entry, 200);
    EXPECT_EQ(walk(&tab), expected);
    for (int i = 0; i < 200; i++) {
        auto *s = static_cast<Station *>(TAB_search(&tab, 2, std::to_string(i).c_str()));
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->number, i);
        EXPECT_EQ(TAB_search(&tab, 1, s->id), s);
    }
    std::vector<void *> all(250);
    ASSERT_EQ(TAB_searches(&tab, 3, "all", all.data(), 250), 200);
    for (int i = 0; i < 200; i++) EXPECT_EQ(static_cast<Station *>(all[i])->number, i);
    TAB_clear(&tab);
}

TEST(Tab, RecordsEnteredDuringAWalkAreReached)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 3, sizeof(Station), 1), 0);
    Station a = station("a", 1), b = station("b", 2), c = station("c", 3);
    ASSERT_EQ(TAB_enter(&tab, &a, "a"), 0);
    ASSERT_EQ(TAB_enter(&tab, &b, "b"), 0);
    TAB_first(&tab);
    EXPECT_EQ(static_cast<Station *>(TAB_next(&tab))->number, 1);
    ASSERT_EQ(TAB_enter(&tab, &c, "c"), 0);
    EXPECT_EQ(static_cast<Station *>(TAB_next(&tab))->number, 2);
    EXPECT_EQ(static_cast<Station *>(TAB_next(&tab))->number, 3);
    EXPECT_EQ(TAB_next(&tab), nullptr);
    TAB_clear(&tab);
}

TEST(Tab, KeyHash)
{
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 40000, 4, 1), 0);  // more buckets than hash values: index = hash
    struct Case {
        const char *key;
        int hash;
    };
    // h = (h * 257 + c) mod 35177 in unsigned 64-bit arithmetic, c the signed byte.
    const std::vector<Case> cases = {
        {"", 0}, {"A", 65}, {"AB", 16771}, {"ABC", 18620}, {"72469", 7754},
        {"\xFF", 11739},      // (2^64 - 1) mod 35177
        {"a\xFF", 24928},     // 97 * 257 - 1
        {"\x80\x80", 29288},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("key ") + c.key);
        EXPECT_EQ(TAB_key(&tab, c.key), c.hash);
    }
    TAB_clear(&tab);

    ASSERT_EQ(TAB_create(&tab, 800, 4, 1), 0);
    EXPECT_EQ(TAB_key(&tab, "AB"), 16771 % 800);
    EXPECT_EQ(TAB_key(&tab, "\xFF"), 11739 % 800);
    TAB_clear(&tab);
}

TEST(Tab, ZeroOrNegativeBucketsUseOne)
{
    for (int buckets : {0, -5, INT_MIN}) {
        SCOPED_TRACE(std::string("buckets ") + std::to_string(buckets));
        TAB_table tab;
        ASSERT_EQ(TAB_create(&tab, buckets, sizeof(Station), 2), 0);
        EXPECT_EQ(tab.tab_size, 1);
        EXPECT_EQ(TAB_key(&tab, "anything"), 0);
        Station a = station("a", 1), b = station("b", 2);
        ASSERT_EQ(TAB_enter(&tab, &a, "a", "x"), 0);
        ASSERT_EQ(TAB_enter(&tab, &b, "b", "x"), 0);
        EXPECT_EQ(static_cast<Station *>(TAB_search(&tab, 1, "b"))->number, 2);
        EXPECT_EQ(static_cast<Station *>(TAB_search(&tab, 2, "x"))->number, 1);
        EXPECT_EQ(walk(&tab), std::vector<int>({1, 2}));
        TAB_clear(&tab);
    }
}

TEST(Tab, InvalidCreateAndEnter)
{
    TAB_table tab;
    for (int numkey : {0, -1, 5}) {
        SCOPED_TRACE(std::string("numkey ") + std::to_string(numkey));
        EXPECT_EQ(TAB_create(&tab, 10, sizeof(Station), numkey), -1);
        Station s = station("a", 1);
        EXPECT_EQ(TAB_enter(&tab, &s, "a", "b", "c", "d"), -1);
        EXPECT_EQ(TAB_search(&tab, 1, "a"), nullptr);
        TAB_first(&tab);
        EXPECT_EQ(TAB_next(&tab), nullptr);
        EXPECT_EQ(TAB_clear(&tab), 0);
    }
    EXPECT_EQ(TAB_create(&tab, 10, -1, 1), -1);
    EXPECT_EQ(TAB_create(nullptr, 10, 4, 1), -1);

    // A missing key or record enters nothing.
    ASSERT_EQ(TAB_create(&tab, 10, sizeof(Station), 2), 0);
    Station s = station("a", 1);
    EXPECT_EQ(TAB_enter(&tab, &s, "a", static_cast<const char *>(nullptr)), -1);
    EXPECT_EQ(TAB_enter(&tab, nullptr, "a", "b"), -1);
    EXPECT_EQ(tab.num_entry, 0);
    EXPECT_EQ(TAB_search(&tab, 1, "a"), nullptr);
    TAB_clear(&tab);

    // A table that was only initialised has no buckets.
    TAB_init(&tab);
    EXPECT_EQ(TAB_search(&tab, 1, "a"), nullptr);
    EXPECT_EQ(TAB_enter(&tab, &s, "a"), -1);
    EXPECT_EQ(TAB_next(&tab), nullptr);
}

TEST(Tab, ClearReleasesEverythingAndTableCanBeCreatedAgain)
{
    // Leak checking at the end of this test's process shows that every key, chained entry,
    // record copy and bucket array is released.
    TAB_table tab;
    ASSERT_EQ(TAB_create(&tab, 3, sizeof(Station), 4), 0);
    for (int i = 0; i < 50; i++) {
        const std::string k = std::to_string(i);
        Station s = station(k.c_str(), i);
        ASSERT_EQ(TAB_enter(&tab, &s, k.c_str(), (std::string("w") + k).c_str(), "same", ""), 0);
    }
    EXPECT_EQ(TAB_clear(&tab), 0);
    EXPECT_EQ(tab.num_entry, 50);  // the counts are left as they were
    EXPECT_EQ(TAB_search(&tab, 1, "1"), nullptr);
    TAB_first(&tab);
    EXPECT_EQ(TAB_next(&tab), nullptr);
    EXPECT_EQ(TAB_clear(&tab), 0);  // a second clear releases nothing twice

    ASSERT_EQ(TAB_create(&tab, 3, sizeof(Station), 1), 0);
    EXPECT_EQ(tab.num_entry, 0);
    Station s = station("n", 9);
    ASSERT_EQ(TAB_enter(&tab, &s, "n"), 0);
    EXPECT_EQ(walk(&tab), std::vector<int>({9}));
    TAB_clear(&tab);
}

TEST(Tab, EnterOutOfMemoryLeavesTableAsItWas)
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    // The sanitizer's allocator returns NULL instead of stopping the program for an allocation
    // above the limit; without the sanitizer the scenario limits the address space itself.
    std::string options;
    if (const char *asan = getenv("ASAN_OPTIONS"); asan && *asan) options = std::string(asan) + ":";
    options += "allocator_may_return_null=1:max_allocation_size_mb=32";
    std::string command = "env -u LOCPATH VYK_TAB_OOM_SCENARIO=1 ASAN_OPTIONS=";
    command += vyktest::quote(options);
    command += " ";
    command += vyktest::quote(self);
    command += " --gtest_list_tests";
    const vyktest::RunResult r = vyktest::run(command);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "oom scenario passed\n") << r.err;
}

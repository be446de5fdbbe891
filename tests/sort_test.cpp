// Stable merge sort and the fixed-seed random numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tools/zkt_basictools.h"

namespace {

struct Rec {
    s32 key;
    s32 seq;
    u8 pad[5];
};

int g_nCompares = 0;

s32 ByKey(const void *a, const void *b)
{
    g_nCompares++;
    return ((const Rec *)a)->key - ((const Rec *)b)->key;
}

std::vector<Rec> MakeRecs(int n, u32 seed, int keys)
{
    std::vector<Rec> v(n);
    for (int i = 0; i < n; i++) {
        seed = seed * 1103515245u + 12345u;
        v[i].key = (s32)((seed >> 16) % (u32)keys);
        v[i].seq = i;
        for (int k = 0; k < 5; k++)
            v[i].pad[k] = (u8)(i * 7 + k);
    }
    return v;
}

void ExpectSortedStable(const std::vector<Rec> &in, const std::vector<Rec> &out)
{
    std::vector<Rec> ref = in;
    std::stable_sort(ref.begin(), ref.end(), [](const Rec &a, const Rec &b) { return a.key < b.key; });
    ASSERT_EQ(ref.size(), out.size());
    for (size_t i = 0; i < ref.size(); i++) {
        ASSERT_EQ(out[i].key, ref[i].key) << i;
        ASSERT_EQ(out[i].seq, ref[i].seq) << i;
        ASSERT_EQ(memcmp(out[i].pad, ref[i].pad, 5), 0) << i; // records moved whole
    }
}

TEST(Sort, StableAcrossOddCountsAndUnpairedRuns)
{
    // Every count up to 70 covers odd counts, a lone last record, and final
    // runs with and without a partner at each width.
    for (int n = 0; n <= 70; n++) {
        for (int keys : {1, 3, 1000}) {
            std::vector<Rec> in = MakeRecs(n, (u32)(n * 31 + keys), keys);
            std::vector<Rec> out = in;
            ZKT_Sort(out.data(), n, sizeof(Rec), ByKey);
            ExpectSortedStable(in, out);
        }
    }
    std::vector<Rec> in = MakeRecs(1500, 99, 40); // the main part's size
    std::vector<Rec> out = in;
    ZKT_Sort(out.data(), 1500, sizeof(Rec), ByKey);
    ExpectSortedStable(in, out);
}

TEST(Sort, TwoRecords)
{
    std::vector<Rec> v = {{5, 0, {}}, {2, 1, {}}};
    ZKT_Sort(v.data(), 2, sizeof(Rec), ByKey);
    EXPECT_EQ(v[0].seq, 1);
    EXPECT_EQ(v[1].seq, 0);
    v = {{2, 0, {}}, {2, 1, {}}};
    ZKT_Sort(v.data(), 2, sizeof(Rec), ByKey);
    EXPECT_EQ(v[0].seq, 0);
    EXPECT_EQ(v[1].seq, 1);
}

TEST(Sort, CountFiveComparesPairsThenWidthsTwoAndFour)
{
    // Reversed keys: the pair pass compares twice, width 2 merges {4,5} with
    // {2,3} (2 compares, the right run empties first), width 4 merges four
    // records with the unpaired last one (1 compare).
    std::vector<Rec> v = MakeRecs(5, 1, 1);
    for (int i = 0; i < 5; i++)
        v[i].key = 5 - i;
    g_nCompares = 0;
    ZKT_Sort(v.data(), 5, sizeof(Rec), ByKey);
    EXPECT_EQ(g_nCompares, 5);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(v[i].key, i + 1);
}

TEST(Sort, ComparisonCountIsNLogN)
{
    for (int n : {1000, 4096, 50001}) {
        std::vector<Rec> v = MakeRecs(n, 7, 1 << 30);
        g_nCompares = 0;
        ZKT_Sort(v.data(), n, sizeof(Rec), ByKey);
        int log2n = 0;
        while ((1 << log2n) < n)
            log2n++;
        EXPECT_LE(g_nCompares, n * log2n) << n;
    }
}

TEST(Sort, NothingToDoLeavesArrayAlone)
{
    std::vector<Rec> v = {{9, 0, {}}, {1, 1, {}}};
    g_nCompares = 0;
    ZKT_Sort(v.data(), 1, sizeof(Rec), ByKey);
    ZKT_Sort(v.data(), 0, sizeof(Rec), ByKey);
    ZKT_Sort(v.data(), -5, sizeof(Rec), ByKey);
    ZKT_Sort(nullptr, 2, sizeof(Rec), ByKey);
    EXPECT_EQ(g_nCompares, 0);
    EXPECT_EQ(v[0].key, 9);
}

TEST(Sort, AllocationFailureLeavesArrayUntouched)
{
    // The index arrays (128 MiB each) can exist, the gather buffer of
    // count * size bytes (near 2^57) cannot, on any machine; the sort must
    // give up before it compares or moves anything. Index arrays of many
    // GiB would cost the sanitizer seconds to poison and give back.
    std::vector<Rec> v = {{9, 0, {}}, {1, 1, {}}, {4, 2, {}}};
    g_nCompares = 0;
    ZKT_Sort(v.data(), 0x2000000, 0xFFFFFFFFu, ByKey);
    EXPECT_EQ(g_nCompares, 0);
    EXPECT_EQ(v[0].key, 9);
    EXPECT_EQ(v[1].key, 1);
    EXPECT_EQ(v[2].key, 4);
}

TEST(Rand, SeventeenValuesFromStart)
{
    // The first values of the generator seeded with 17 at start; this test
    // must be the first caller of ZKT_Rand in its process.
    const s32 expect[6] = {19941, 60333, 58338, 11479, 29679, 13706};
    u32 seed = 17;
    for (int i = 0; i < 17; i++) {
        const s32 r = ZKT_Rand();
        seed *= 1173u;
        EXPECT_EQ(r, (s32)(seed % 65535u)) << i;
        if (i < 6) {
            EXPECT_EQ(r, expect[i]) << i;
        }
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 65535);
    }
    for (int i = 0; i < 200000; i++) {
        const s32 r = ZKT_Rand();
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 65535);
    }
}

} // namespace

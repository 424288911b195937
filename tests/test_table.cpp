// The hash table: slots of the stated hash, chains, duplicates, walks.

#include <cstring>
#include <string>
#include <vector>

#include "vek_test.h"

namespace {

struct Rec {
    int n;
    char tag[12];
};

Rec rec(int n, const char *tag) {
    Rec r{n, {}};
    vek_copy(r.tag, tag);
    return r;
}

class HashTable : public ::testing::Test {
  protected:
    void SetUp() override { TAB_init(&tab); }
    void TearDown() override { TAB_free(&tab); }
    std::vector<int> walk() {
        std::vector<int> seen;
        TAB_first(&tab);
        while (char *p = TAB_next(&tab)) seen.push_back(reinterpret_cast<Rec *>(p)->n);
        return seen;
    }
    TAB_table tab;
};

using HashSlots = HashTable;
using HashEntries = HashTable;
using HashWalk = HashTable;

TEST_F(HashSlots, StatedExamples) {
    ASSERT_EQ(TAB_create(&tab, 100, sizeof(Rec), 1), 0);
    EXPECT_EQ(TAB_key(&tab, ""), 0);
    EXPECT_EQ(TAB_key(&tab, "A"), 65);
    EXPECT_EQ(TAB_key(&tab, "AB"), 71); // (65 * 257 + 66) mod 35177 = 16771
}

TEST_F(HashSlots, LongKeysStayBelowTheModulusAndTheSlotCount) {
    ASSERT_EQ(TAB_create(&tab, 40000, sizeof(Rec), 1), 0);
    // With more slots than the modulus, the raw hash shows: "ABC" is
    // (16771 * 257 + 67) mod 35177.
    EXPECT_EQ(TAB_key(&tab, "ABC"), (16771 * 257 + 67) % 35177);
    const std::string longkey(5000, 'z');
    const int k = TAB_key(&tab, longkey.c_str());
    EXPECT_GE(k, 0);
    EXPECT_LT(k, 35177);
}

TEST_F(HashSlots, BytesAboveSevenBitsCountAsNegative) {
    ASSERT_EQ(TAB_create(&tab, 40000, sizeof(Rec), 1), 0);
    // 0xFF is -1: h = (0 * 257 + 2^64 - 1) mod 35177 in unsigned 64-bit arithmetic.
    const uint64_t expect = UINT64_MAX % 35177;
    EXPECT_EQ(TAB_key(&tab, "\xff"), static_cast<int>(expect));
}

TEST_F(HashSlots, UnusableTableGivesSlotZero) {
    EXPECT_EQ(TAB_key(nullptr, "A"), 0);
    EXPECT_EQ(TAB_key(&tab, "A"), 0); // created never: no slots
}

TEST_F(HashEntries, EachKeyFindsTheSharedRecord) {
    ASSERT_EQ(TAB_create(&tab, 10, sizeof(Rec), 3), 0);
    const Rec a = rec(1, "one"), b = rec(2, "two");
    ASSERT_EQ(TAB_enter(&tab, &a, "KTLX", "72357", "pos-a"), 0);
    ASSERT_EQ(TAB_enter(&tab, &b, "KAMA", "72363", "pos-b"), 0);
    char *by1 = TAB_search(&tab, 1, "KTLX");
    ASSERT_NE(by1, nullptr);
    EXPECT_EQ(by1, TAB_search(&tab, 2, "72357"));
    EXPECT_EQ(by1, TAB_search(&tab, 3, "pos-a"));
    EXPECT_EQ(reinterpret_cast<Rec *>(by1)->n, 1);
    EXPECT_STREQ(reinterpret_cast<Rec *>(TAB_search(&tab, 3, "pos-b"))->tag, "two");
    // The table keeps its own copy of the record.
    EXPECT_NE(by1, reinterpret_cast<const char *>(&a));
}

TEST_F(HashEntries, SearchesAreExactAndPerKeyNumber) {
    ASSERT_EQ(TAB_create(&tab, 10, sizeof(Rec), 2), 0);
    const Rec a = rec(1, "one");
    ASSERT_EQ(TAB_enter(&tab, &a, "KTLX", "72357"), 0);
    EXPECT_EQ(TAB_search(&tab, 1, "ktlx"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 1, "KTL"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 2, "KTLX"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 0, "KTLX"), nullptr);
    EXPECT_EQ(TAB_search(&tab, 3, "KTLX"), nullptr);
    EXPECT_EQ(TAB_search(nullptr, 1, "KTLX"), nullptr);
}

TEST_F(HashEntries, DuplicateKeysKeepBothAndFindTheFirst) {
    ASSERT_EQ(TAB_create(&tab, 7, sizeof(Rec), 1), 0);
    const Rec a = rec(1, "first"), b = rec(2, "second");
    ASSERT_EQ(TAB_enter(&tab, &a, "SAME"), 0);
    ASSERT_EQ(TAB_enter(&tab, &b, "SAME"), 0);
    EXPECT_STREQ(reinterpret_cast<Rec *>(TAB_search(&tab, 1, "SAME"))->tag, "first");
    EXPECT_EQ(walk(), (std::vector<int>{1, 2}));
    EXPECT_EQ(tab.num_entry, 2);
}

TEST_F(HashEntries, OneSlotChainsEverythingAndStillFindsEachKey) {
    ASSERT_EQ(TAB_create(&tab, 1, sizeof(Rec), 2), 0);
    for (int i = 0; i < 200; i++) {
        const Rec r = rec(i, ("t" + std::to_string(i)).c_str());
        const std::string k1 = "id" + std::to_string(i), k2 = std::to_string(10000 + i);
        ASSERT_EQ(TAB_enter(&tab, &r, k1.c_str(), k2.c_str()), 0);
    }
    for (int i = 0; i < 200; i++) {
        char *p = TAB_search(&tab, 1, ("id" + std::to_string(i)).c_str());
        ASSERT_NE(p, nullptr) << i;
        EXPECT_EQ(reinterpret_cast<Rec *>(p)->n, i);
        EXPECT_EQ(p, TAB_search(&tab, 2, std::to_string(10000 + i).c_str()));
    }
    EXPECT_EQ(TAB_search(&tab, 1, "id200"), nullptr);
}

TEST_F(HashEntries, WrongKeyCountOrBadCreationIsRefused) {
    EXPECT_EQ(TAB_create(&tab, 10, sizeof(Rec), 0), -1);
    EXPECT_EQ(TAB_create(&tab, 10, sizeof(Rec), 5), -1);
    ASSERT_EQ(TAB_create(&tab, 0, sizeof(Rec), 2), 0); // a slot count below 1 becomes 1
    EXPECT_EQ(tab.tab_size, 1);
    const Rec a = rec(1, "one");
    EXPECT_EQ(TAB_enter(&tab, &a, "only-one"), -1);
    EXPECT_EQ(TAB_enter(&tab, &a, "a", "b", "c"), -1);
    EXPECT_EQ(tab.num_entry, 0);
    EXPECT_EQ(TAB_first(&tab), nullptr);
}

TEST_F(HashWalk, InsertionOrderAcrossSlots) {
    ASSERT_EQ(TAB_create(&tab, 3, sizeof(Rec), 1), 0);
    const char *keys[] = {"K", "A", "Z", "AB", "", "Q", "KK"};
    for (int i = 0; i < 7; i++) {
        const Rec r = rec(i, keys[i]);
        ASSERT_EQ(TAB_enter(&tab, &r, keys[i]), 0);
    }
    EXPECT_EQ(walk(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(walk(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6})); // a walk can start again
}

TEST_F(HashWalk, RecordEnteredDuringAWalkIsReached) {
    ASSERT_EQ(TAB_create(&tab, 5, sizeof(Rec), 1), 0);
    const Rec a = rec(1, "a"), b = rec(2, "b"), c = rec(3, "c");
    ASSERT_EQ(TAB_enter(&tab, &a, "a"), 0);
    ASSERT_EQ(TAB_enter(&tab, &b, "b"), 0);
    TAB_first(&tab);
    EXPECT_EQ(reinterpret_cast<Rec *>(TAB_next(&tab))->n, 1);
    ASSERT_EQ(TAB_enter(&tab, &c, "c"), 0);
    EXPECT_EQ(reinterpret_cast<Rec *>(TAB_next(&tab))->n, 2);
    char *p = TAB_next(&tab);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<Rec *>(p)->n, 3);
    EXPECT_EQ(TAB_next(&tab), nullptr);
}

TEST_F(HashWalk, EmptyAndFreedTablesWalkNothing) {
    ASSERT_EQ(TAB_create(&tab, 5, sizeof(Rec), 1), 0);
    EXPECT_TRUE(walk().empty());
    const Rec a = rec(1, "a");
    ASSERT_EQ(TAB_enter(&tab, &a, "a"), 0);
    TAB_free(&tab);
    EXPECT_TRUE(walk().empty());
    EXPECT_EQ(TAB_search(&tab, 1, "a"), nullptr);
}

} // namespace

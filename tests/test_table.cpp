// The hash table: slots of the stated hash, chains, duplicates, walks.

#include <cstdint>
#include <string>
#include <vector>

#include "vek_test.h"

namespace {

// The record behind a search or walk result; -1 for none.
int val(const char *p) {
    return p ? *reinterpret_cast<const int *>(p) : -1;
}

TEST(HashTable, SlotsOfTheHash) {
    TAB_table tab;
    TAB_init(&tab);
    EXPECT_EQ(TAB_key(&tab, "A"), 0); // no slots yet
    ASSERT_EQ(TAB_create(&tab, 100, sizeof(int), 1), 0);
    EXPECT_EQ(TAB_key(&tab, ""), 0);
    EXPECT_EQ(TAB_key(&tab, "A"), 65);
    EXPECT_EQ(TAB_key(&tab, "AB"), 71); // (65 * 257 + 66) mod 35177 = 16771
    TAB_free(&tab);
    // With more slots than the modulus the raw hash shows; a byte above seven
    // bits counts as negative (0xFF as -1, that is 2^64 - 1).
    ASSERT_EQ(TAB_create(&tab, 40000, sizeof(int), 1), 0);
    EXPECT_EQ(TAB_key(&tab, "ABC"), (16771 * 257 + 67) % 35177);
    EXPECT_EQ(TAB_key(&tab, "\xff"), static_cast<int>(UINT64_MAX % 35177));
    EXPECT_LT(TAB_key(&tab, std::string(5000, 'z').c_str()), 35177);
    TAB_free(&tab);
}

// In any slot count each record is found by each of its keys, a duplicate
// key (id0) finds the record entered first, and the walk gives every record
// in the order entered, one entered during the walk included.
TEST(HashTable, EveryKeyFindsItsRecordInAnySlotCount) {
    for (int slots : {0, 7, 4000}) { // 0 slots means 1
        TAB_table tab;
        ASSERT_EQ(TAB_create(&tab, slots, sizeof(int), 2), 0);
        auto enter = [&](int i) {
            const std::string dup = "id" + std::to_string(i % 200); // 200 repeats 0
            return TAB_enter(&tab, &i, dup.c_str(), std::to_string(i).c_str());
        };
        std::vector<int> walked, order;
        for (int i = 0; i < 200; i++) ASSERT_EQ(enter(i), 0);
        TAB_first(&tab);
        for (int i = 0; i < 199; i++) walked.push_back(val(TAB_next(&tab)));
        ASSERT_EQ(enter(200), 0);
        for (int i = 0; i < 3; i++) walked.push_back(val(TAB_next(&tab)));
        for (int i = 0; i <= 200; i++) {
            order.push_back(i);
            EXPECT_EQ(val(TAB_search(&tab, 1, ("id" + std::to_string(i)).c_str())),
                      i < 200 ? i : -1);
            EXPECT_EQ(val(TAB_search(&tab, 2, std::to_string(i).c_str())), i) << slots;
        }
        order.push_back(-1);
        for (int keynum : {0, 3}) EXPECT_EQ(TAB_search(&tab, keynum, "id1"), nullptr);
        EXPECT_EQ(walked, order);
        TAB_free(&tab);
    }
}

TEST(HashTable, SearchesAreExactAndPerKeyNumberOnAnOwnCopy) {
    TAB_table tab;
    EXPECT_EQ(TAB_create(&tab, 10, sizeof(int), 0), -1);
    EXPECT_EQ(TAB_create(&tab, 10, sizeof(int), 5), -1);
    ASSERT_EQ(TAB_create(&tab, 1, sizeof(int), 2), 0); // one chain for all keys
    int rec = 1;
    ASSERT_EQ(TAB_enter(&tab, &rec, "KTLX", "72357"), 0);
    rec = 2;
    EXPECT_EQ(TAB_enter(&tab, &rec, "KAMA"), -1); // exactly two keys
    EXPECT_EQ(TAB_enter(&tab, &rec, "a", "b", "c"), -1);
    EXPECT_EQ(val(TAB_search(&tab, 2, "72357")), 1);
    EXPECT_EQ(TAB_search(&tab, 1, "KTLX"), TAB_search(&tab, 2, "72357")); // one shared copy
    for (const char *miss : {"ktlx", "KTL", "KTLXX", "72357"})
        EXPECT_EQ(TAB_search(&tab, 1, miss), nullptr) << miss;
    EXPECT_EQ(TAB_search(nullptr, 1, "KTLX"), nullptr);
    TAB_free(&tab);
    TAB_first(&tab);
    EXPECT_EQ(TAB_next(&tab), nullptr);
    EXPECT_EQ(TAB_search(&tab, 1, "KTLX"), nullptr);
}

} // namespace

// WMO numbers and identifiers in both directions.

#include <cstring>
#include <string>

#include "vek_test.h"

namespace {

std::string to_id(int wmo) {
    char id[7];
    EXPECT_EQ(wmo_to_id(id, wmo), 0);
    return id;
}

int to_wmo(const char *id, int expect_result) {
    int wmo = -1;
    EXPECT_EQ(id_to_wmo(id, &wmo), expect_result) << id;
    return wmo;
}

TEST(WmoToId, PrefixByRangeAndLastDigits) {
    EXPECT_EQ(to_id(1234), "EN234");
    EXPECT_EQ(to_id(72403), "K2403");
    EXPECT_EQ(to_id(74486), "K4486");
    EXPECT_EQ(to_id(54511), "Z4511");
    EXPECT_EQ(to_id(94120), "Y4120");
    EXPECT_EQ(to_id(91700), "N1700");
    EXPECT_EQ(to_id(40400), "OE400");
    EXPECT_EQ(to_id(41170), "OE170");
}

TEST(WmoToId, NumbersOutsideEveryRangeStayNumbers) {
    EXPECT_EQ(to_id(0), "00000");
    EXPECT_EQ(to_id(999), "00999");
    EXPECT_EQ(to_id(1000), "EN000");
    EXPECT_EQ(to_id(17699), "LC699");
    EXPECT_EQ(to_id(17700), "17700");
    EXPECT_EQ(to_id(18001), "18001");
    EXPECT_EQ(to_id(67754), "67754"); // the gap between FL and FV
    EXPECT_EQ(to_id(99999), "99999");
    EXPECT_EQ(to_id(100000), "100000");
}

TEST(WmoToId, HugeNumbersAreCutToTheSevenByteField) {
    char id[8];
    std::memset(id, 'x', sizeof id);
    wmo_to_id(id, -2147483647 - 1);
    EXPECT_EQ(id[7], 'x');
    EXPECT_EQ(std::strlen(id), 6u);
}

TEST(IdToWmo, StatedExamples) {
    EXPECT_EQ(to_wmo("EN234", 0), 1234);
    EXPECT_EQ(to_wmo("K2403", 0), 72403);
    EXPECT_EQ(to_wmo("OE350", 0), 40350);
    EXPECT_EQ(to_wmo("OE100", 0), 41100);
    EXPECT_EQ(to_wmo("OE300", 0), 300);
    EXPECT_EQ(to_wmo("X1234", 0), 31234);
    EXPECT_EQ(to_wmo("Z4511", 0), 54511);
    EXPECT_EQ(to_wmo("DR050", 0), 61050);
}

TEST(IdToWmo, OneLetterPrefixesReadALetterAsZeroThousands) {
    EXPECT_EQ(to_wmo("UA123", 0), 20123);
    EXPECT_EQ(to_wmo("XB001", 0), 30001);
    EXPECT_EQ(to_wmo("YQ120", 0), 90120);
    EXPECT_EQ(to_wmo("ZM123", 0), 44123); // Z with a letter is a two-letter prefix
    EXPECT_EQ(to_wmo("ZK050", 0), 47050);
    EXPECT_EQ(to_wmo("ZQ123", 0), 123); // ... or none at all
}

TEST(IdToWmo, UnknownPrefixesGiveTheLastThreeDigits) {
    EXPECT_EQ(to_wmo("QQ789", 0), 789);
    EXPECT_EQ(to_wmo("en234", 0), 234); // prefixes are upper case
    EXPECT_EQ(to_wmo("K5403", 0), 403);
}

TEST(IdToWmo, OtherShapesAreRefused) {
    EXPECT_EQ(to_wmo("72403", -1), 72403);
    EXPECT_EQ(to_wmo("KOKC", -1), 99999);
    EXPECT_EQ(to_wmo("KOKCX", -1), 99999);
    EXPECT_EQ(to_wmo("EN23A", -1), 99999);
    EXPECT_EQ(to_wmo("1N234", -1), 99999);
    EXPECT_EQ(to_wmo("", -1), 99999);
    EXPECT_EQ(to_wmo("EN2345", -1), 99999);
    EXPECT_EQ(to_wmo(nullptr, -1), 99999);
}

// Every number of every range comes back from its identifier. The ranges are
// found by asking wmo_to_id itself: a number has a prefix exactly when its
// identifier begins with a letter.
TEST(WmoRoundTrip, EveryNumberOfEveryRange) {
    int with_prefix = 0;
    for (int wmo = 0; wmo <= 99999; wmo++) {
        const std::string id = to_id(wmo);
        ASSERT_EQ(id.size(), 5u) << wmo;
        int back = -1;
        const int result = id_to_wmo(id.c_str(), &back);
        if (id[0] >= 'A' && id[0] <= 'Z') {
            with_prefix++;
            ASSERT_EQ(result, 0) << id;
        } else {
            ASSERT_EQ(result, -1) << id;
        }
        ASSERT_EQ(back, wmo) << id;
    }
    // The ranges of the table hold 78,555 numbers between them.
    EXPECT_EQ(with_prefix, 79811);
}

} // namespace

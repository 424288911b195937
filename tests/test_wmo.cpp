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

// Identifiers with the result and number id_to_wmo gives; those marked "made"
// are also what wmo_to_id makes of that number.
TEST(WmoConversion, IdentifiersAndNumbers) {
    const struct {
        const char *id;
        int result, wmo, made;
    } cases[] = {{"00000", -1, 0, 1},     {"00999", -1, 999, 1},   {"EN000", 0, 1000, 1},
                 {"EN234", 0, 1234, 1},   {"LC699", 0, 17699, 1},  {"17700", -1, 17700, 1},
                 {"X1234", 0, 31234, 1},  {"OE350", 0, 40350, 1},  {"OE100", 0, 41100, 1},
                 {"Z4511", 0, 54511, 1},  {"DR050", 0, 61050, 1},  {"67754", -1, 67754, 1},
                 {"K2403", 0, 72403, 1},  {"K4486", 0, 74486, 1},  {"N1700", 0, 91700, 1},
                 {"Y4120", 0, 94120, 1},  {"RP999", 0, 98999, 1},  {"99999", -1, 99999, 1},
                 {"OE300", 0, 300, 0},    {"UA123", 0, 20123, 0},  {"ZM123", 0, 44123, 0},
                 {"ZQ123", 0, 123, 0},    {"QQ789", 0, 789, 0},    {"en234", 0, 234, 0},
                 {"K5403", 0, 403, 0},    {"KOKC", -1, 99999, 0},  {"EN23A", -1, 99999, 0},
                 {"ENA34", -1, 99999, 0}, {"1N234", -1, 99999, 0}, {"EN2345", -1, 99999, 0},
                 {"", -1, 99999, 0}};
    for (const auto &c : cases) {
        if (c.made) {
            EXPECT_EQ(to_id(c.wmo), c.id);
        }
        int wmo = -1;
        EXPECT_EQ(id_to_wmo(c.id, &wmo), c.result) << c.id;
        EXPECT_EQ(wmo, c.wmo) << c.id;
    }
    EXPECT_EQ(id_to_wmo(nullptr, nullptr), -1);
    EXPECT_EQ(to_id(100000), "100000");
    char id[8];
    std::memset(id, 'x', sizeof id);
    wmo_to_id(id, -2147483647 - 1); // cut to the seven-byte field
    EXPECT_EQ(id[7], 'x');
    EXPECT_EQ(std::strlen(id), 6u);
}

// Every number from 0 to 99999 comes back from its identifier. The range
// table has 182 rows holding 79,811 numbers, no two touching rows share a
// prefix: count the numbers with a prefix and the places where it changes.
TEST(WmoConversion, EveryNumberRoundTripsAndTheRangesAreComplete) {
    int with_prefix = 0, ranges = 0;
    std::string prev;
    for (int wmo = 0; wmo <= 99999; wmo++) {
        const std::string id = to_id(wmo);
        ASSERT_EQ(id.size(), 5u) << wmo;
        int back = -1;
        const bool prefixed = id[0] >= 'A' && id[0] <= 'Z';
        ASSERT_EQ(id_to_wmo(id.c_str(), &back), prefixed ? 0 : -1) << id;
        ASSERT_EQ(back, wmo) << id;
        // U, X, Z and Y stand alone before four digits; K2, K4 and N1 are prefixes.
        const bool one_letter = id[1] <= '9' && id[0] != 'K' && id[0] != 'N';
        const std::string prefix = prefixed ? id.substr(0, one_letter ? 1 : 2) : "";
        with_prefix += prefixed;
        ranges += prefixed && prefix != prev;
        prev = prefix;
    }
    EXPECT_EQ(with_prefix, 79811);
    EXPECT_EQ(ranges, 182);
}

} // namespace

// MDR reports found in bulletins, the shipped samples among them, and decoded
// into records and the summary grid; raw summary bulletins read into the grid.

#include "files.h"
#include "mess.h"
#include "rad_dec.h"
#include "vek_test.h"

#include <cmath>

using namespace vektest;
using namespace std::string_literals;

namespace {

// Every report that MDR_read_raw finds in BULLETIN, in order, as "id|text".
std::vector<std::string> read_reports(const std::string &bulletin) {
    FILE *f = stream_of(bulletin);
    std::vector<std::string> out;
    char data[500], id[11];
    for (int i = 0; i < 1000 && MDR_read_raw(f, data, id) == 1; ++i) {
        EXPECT_TRUE(strlen(data) < 500 && strlen(id) < 11);
        out.push_back(std::string(id) + "|" + data);
    }
    FILE_close(f);
    return out;
}

// The fields of R: id, time, config, precipitation groups ("?": uncounted), "/"
// trend, outline points, movements, "MT" top; "-" is missing, empty ones left out.
std::string dump(const MDR_report &r) {
    auto v = [](int n) { return n == VEK_MISS ? std::string("-") : std::to_string(n); };
    std::string s = std::string(r.id) + " " + v(r.time) + " " + r.config;
    for (int i = 0; i < 3; ++i) {
        const MDR_prec &g = r.prec[i];
        if (i < r.numprec || g.type[0] || g.area_cov != VEK_MISS || g.intens != VEK_MISS)
            s += (i < r.numprec ? " " : " ?") + v(g.area_cov) + g.type + ":" + v(g.intens);
    }
    if (r.trend[0]) s += " /"s + r.trend;
    for (const MDR_loc &l : r.loc)
        if (l.dir != VEK_MISS || l.rad != VEK_MISS) s += " " + v(l.dir) + "/" + v(l.rad);
    for (const MDR_move &m : r.move)
        if (m.type != ' ' || m.dir != VEK_MISS || m.spd != VEK_MISS)
            s += " "s + m.type + v(m.dir) + "@" + v(m.spd);
    if (r.tops.h != VEK_MISS || r.tops.dir != VEK_MISS || r.tops.rad != VEK_MISS)
        s += " MT" + v(r.tops.h) + " " + v(r.tops.dir) + "/" + v(r.tops.rad);
    return s;
}

class Mdr : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RAD_summary_init(&info);
        MDR_init(&rep);
    }
    // Decodes TEXT with the message types LEVEL shown; returns what they printed.
    std::string decode_out(const std::string &text, M_type level) {
        MESS_set(1, level);
        Capture cap;
        MDR_decode(text.c_str(), &info, &rep);
        std::string out = cap.out();
        MESS_set(-1, level);
        return out;
    }
    // The cells the raw summary reader fills from TEXT, which it reads whole.
    std::string summary_of(const std::string &text) {
        RAD_summary_init(&info);
        FILE *f = stream_of(text);
        EXPECT_EQ(MDR_read_raw_summary(f, &info), 0);
        EXPECT_EQ(getc(f), EOF);
        fclose(f);
        return summary_cells(info);
    }
    RAD_info info{};
    MDR_report rep{};
};

TEST_F(Mdr, SummarySectionsOfTheBulletinsOfTheNominalTime) {
    RAD_set_nominal(12, 15);
    const std::string head = "SDUS21 KWBC 051215\n";
    const std::string blank99(99, '\n'); // 99 rows that place nothing
    const std::pair<std::string, std::string> cases[] = {
        // Headings of other times, other products or without time are passed over.
        {"SDUS21 KWBC 011245\n+ 01 081\n1\n+ 02 081\nSDUS11 KWBC 011215\n+ 01 081\n3\n+ 0 0\n"
         "SDUS21 KWBC 01\n+ 01 081\n4\n+ 0 0\nSDUS21 KWBC\n+ 01 081\n5\n+ 0 0\n",
         ""},
        // Headings read from "SDUS2" on; rows below "+ row col"; non-digits leave their cells.
        {"ZCZC 123 SDUS24 KMKC 051215 RRA\nRADAR SUMMARY\n12345\n+ 01 081\n123\n 4 x5\n\n0\n+ 0 "
         "0\n",
         "81,2=1 81,5=0 82,2=2 82,3=4 83,2=3 85,3=5"},
        // The "+" line that ends a section is not the head of another one.
        {head + "+ 01 081\n1\n+ 44 081\n2\nSDUS\n+ 43 081\n3\n+ 90 081\n", "81,2=1"},
        // At most 100 rows; the line after them is dropped, even a heading.
        {head + "+ 00 010\n" + blank99 + "1\n" + head + "+ 00 020\n2\n+ 0 0\n" + head +
             "+ 00 030\n" + blank99 + "1\n2\n" + head + "+ 00 040\n2\n+ 0 0\n",
         "10,100=1 30,100=1 40,1=2"},
        // Later bulletins overwrite; "+" lines without both numbers place nothing.
        {head + "+ 01 081\n99\n+ 0 0\nSDUS22 KWBC 051215\n+ 01 082\n11\n+ 0 0\n" + head +
             "+ 12\n5\n+ 13 010\n" + head + "+ x y\n6\n+ 1 1\n",
         "81,2=9 82,2=1 83,2=1"},
        // Cells outside the grid are dropped, also from numbers at the limits.
        {head + "+ 358 470\n1234567890123\n1\n+ 0 0\n" + head +
             "+ -5 -3\n1\n2\n3\n4\n5678\n+ 0 0\n" + head + "+ 2147483647 2147483647\n9\n+ 0 0\n" +
             head + "+ 100 -2147483648\n9\n+ 0 0\n" + head + "+ 99999999999 -99999999999\n9\n" +
             "+ -99999999999 99999999999\n9\n+ 0 0\nSDUS21 KWBC 99999999999\n+ 0 10\n9\n+ 0 0\n",
         "0,0=8 470,359=1 471,359=2 472,359=3 473,359=4 474,359=5 475,359=6 476,359=7 477,359=8 "
         "478,359=9 479,359=0"},
        // Truncated bulletins end the reading; control and high bytes are blanks, NUL ends a row.
        {head + "+ 01 081\n\n  34", "83,3=3 84,3=4"},
        {head + "+ 01 081", ""},
        {head + "+ 01 081\n\0015\2656\1777\0008\r\n+ 0 0\n"s, "82,2=5 84,2=6 86,2=7"},
        {std::string(100000, 'x') + "\n" + head + "+ 01 081\n7\n+ 02 081\n", "81,2=7"},
    };
    for (const auto &[text, want] : cases) EXPECT_EQ(summary_of(text), want) << text.substr(0, 80);
    // A row of 100,000 digits comes in rows of 160, up to the limit of 100.
    const std::string big =
        summary_of(head + "+ 05 000\n" + std::string(100000, '3') + "\n+ 0 0\n");
    EXPECT_EQ(std::count(big.begin(), big.end(), '='), 160 * 100);
    EXPECT_EQ(info.summary[0][6] + info.summary[159][105], 6);
    RAD_set_nominal(VEK_MISS, VEK_MISS);
    EXPECT_EQ(summary_of(head + "+ 01 081\n6\n+ 02 081\n"), "");
    EXPECT_EQ(MDR_read_raw_summary(nullptr, &info), 0);
}

TEST_F(Mdr, FindsAndJoinsTheReportsOfTheNominalTime) {
    const std::string a(160, 'A'), b(160, 'B');
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // The window is the nominal hour, minutes 20 to 40.
        {"SDUS40 KWBC 151130\nTLX 1120 PPINE=\nAMA 1119 PPINE=\nFWS 1140 PPINE=\n"
         "ICT 1141 PPINE=\nDDC 1230 PPINE=\nINX 1030 PPINE=\n",
         {"TLX|TLX 1120 PPINE", "FWS|FWS 1140 PPINE"}},
        // Lines under 11 characters and end marks end a report; one "=", then one "@" go.
        {"TLX 1130 A\nAMA 1130 PPINE=   \nFWS 1130 PPIOM@\nICT 1130 PPINA=@\nDDC 1130 PPINA@=\n"
         "INX 1130 AB\nMORE\n",
         {"TLX|TLX 1130 A", "AMA|AMA 1130 PPINE", "FWS|FWS 1130 PPIOM",
          "ICT|ICT 1130 PPINA=", "DDC|DDC 1130 PPINA", "INX|INX 1130 AB MORE"}},
        // Continuation lines, even one that starts a report, join by one blank.
        {"TLX 1135 LN 8TRW++/+ 86/32 164/67\r\n   19W C2428 MT 440 AT 143/47   \r\n"
         "^LN1 MO12 NP2234=\r\nAMA 1130 AREA 4R-\nFWS 1131 PPINE=\n",
         {"TLX|TLX 1135 LN 8TRW++/+ 86/32 164/67    19W C2428 MT 440 AT 143/47 ^LN1 MO12 NP2234",
          "AMA|AMA 1130 AREA 4R- FWS 1131 PPINE"}},
        // A report takes at most 15 lines.
        {"TLX 1130 AREA 4R-\nL1\nL2\nL3\nL4\nL5\nL6\nL7\nL8\nL9\nLA\nLB\nLC\nLD\nLE\nLF\nLG\n"
         "AMA 1131 PPINE=\n",
         {"TLX|TLX 1130 AREA 4R- L1 L2 L3 L4 L5 L6 L7 L8 L9 LA LB LC LD LE", "AMA|AMA 1131 PPINE"}},
        // The joined text holds 499 characters; a line that does not fit is dropped.
        {"TLX 1130 AREA 4R-\n" + a + "\n" + b + "\n" + std::string(159, 'C') + "\nE=\n",
         {"TLX|TLX 1130 AREA 4R- " + a + " " + b + " " + std::string(159, 'C')}},
        {"TLX 1130 AREA 4R-\n" + a + "\n" + b + "\n" + std::string(160, 'C') + "\nE=\n",
         {"TLX|TLX 1130 AREA 4R- " + a + " " + b + " E"}},
        // Control and high bytes are blanks, DEL is not; a NUL ends a line.
        {"\1\2TLX\t1130 PPINE=\r\nTL\351X 1130 PPINE=\n\377AMA\177 1130 PPINE=\n"
         "\377FWS\2401130\033AREA 4R-=\n",
         {"TLX|  TLX 1130 PPINE", "AMA\177| AMA\177 1130 PPINE", "FWS| FWS 1130 AREA 4R-"}},
        {"TLX\0 1130 PPINE=\nAMA 1130 PPINE\0XYZ\nFWS 1130 PPINE=\n"s,
         {"AMA|AMA 1130 PPINE FWS 1130 PPINE"}},
        // Lines of 10,000 characters come in pieces of 160.
        {std::string(10000, 'X') + "\nTLX 1130 PPINE=\nAMA 1130 " + std::string(9990, '9') + "=\n" +
             std::string(10000, 'X') + "\nFWS 1130 PPIOM=\n",
         {"TLX|TLX 1130 PPINE",
          "AMA|AMA 1130 " + std::string(151, '9') + " " + std::string(160, '9') + " " +
              std::string(160, '9'),
          "FWS|FWS 1130 PPIOM"}},
    };
    for (const auto &[bulletin, found] : cases) {
        RAD_set_nominal(11, 30);
        EXPECT_EQ(read_reports(bulletin), found) << bulletin.substr(0, 80);
    }
}

TEST_F(Mdr, DecodesEachFormIntoTheRecord) {
    const struct {
        const char *text, *record, *message = nullptr; // printed as status; null: unchecked
    } cases[] = {
        {"OKC 1235 LN 8TRW++/+ 86/32 164/67 19W C2428 MT 440 AT 143/47 ^LN1 MO12 NP2234",
         "OKC 1235 LN 8TRW:4 /+ 86/32 164/67 -/19 C240@28 MT440 143/47"},
        // A failed attempt keeps what it stored, here an uncounted group ("?").
        {"TLX RTD 1130 CELL 2RW- 180/30", "TLX 1130 CELL 2RW:1 ?180:- 180/30"},
        // Intensity symbols; a string outside the table has no code.
        {"TLX 1130 AREA 3TRWX 2RWXX 1SU", "TLX 1130 AREA 3TRW:5 2RW:6 1S:9"},
        {"TLX 1130 AREA 3TRW+- 2RWXU 1S+++ 200/30", "TLX 1130 AREA 3TRW:- 2RW:- 1S:- 200/30"},
        // At most three groups, coverage optional; "1ZR" fills the outline with 1 and fails.
        {"TLX 1130 AREA 4TRW+ 2RW- S 1ZR 120/40",
         "TLX 1130 AREA 4TRW:3 2RW:1 -S:2 1/1 1/1 1/1 1/1 1/1"},
        // Five outline slots in any of the three forms.
        {"TLX 1130 CELL 2RW+ 45/20 D15 12W 300/100 10/5 7/7",
         "TLX 1130 CELL 2RW:3 ?45:- 45/20 -/15 -/12 300/100 10/5"},
        // Movements after the top replace those before it, slot by slot.
        {"TLX 1130 LINE 6TRW+ C2520 A1810 MT 450 AT 250/80 L2030",
         "TLX 1130 LINE 6TRW:3 L200@30 A180@10 MT450 250/80"},
        // The partly matching patterns keep a bare height; the movement after it is not read.
        {"TLX 1130 CELL 2RW+ MT 450 C2520", "TLX 1130 CELL 2RW:3 MT450 -/-"},
        // Fields keep the first characters of longer words.
        {"TLX 1130 CELL 2TRWSZ+ /NCNCNC", "TLX 1130 CELL 2TRWS:3 /NCN"},
        {"TLX 1130 AREAAAAAAAAAAA 2RW", "TLX 1130 NA"}, // no configuration: the grid form
        {"TLX 1231 MDR LM12 MN345/AA2520C/AA450/RW", "TLX 1231 PREC ?-RW:- C250@20 MT450 -/-"},
        // Status words end the decoding, in either form; lookalikes lead to the grid form.
        {"TLX 1130 PPINEXX ^MM5", "TLX 1130 NE", "1130 NO ECHO"},
        {"TLX 1133 DLADXYZ 4RW", "TLX 1133 NA", "1133 NOT AVAILABLE"},
        {"TLX 1130 PPIOMX", "TLX 1130 NA", ""},
        {"TLX 1231 MDR MM1/AA1010A/AA200/PPINE", "TLX 1231 NE A100@10 MT200 -/-", "1231 NO ECHO"},
        {"TLX 1233 MDR /PPINS", "TLX 1233 NA", "1233 NOT AVAILABLE"},
        {"TLX 1236 MDR //AA300/PPIOM", "TLX 1236 OM MT300 -/-", "1236 OUT FOR MAINTAINANCE"},
        // Text that matches no pattern keeps what was matched.
        {"HELLO WORLD, 1+1=2!", "HELLO - NA"},
        {"", "HELLO - NA"},
    };
    for (const auto &c : cases) { // one record in turn: each decoding starts afresh
        const std::string out = decode_out(c.text, 0x100000 | 0x400000); // identity and status
        EXPECT_EQ(dump(rep), c.record) << c.text;
        EXPECT_TRUE(!c.message || out == (*c.message ? "ID: TLX TIME: "s + c.message + "\n" : ""))
            << c.text << ": " << out;
    }
    EXPECT_EQ(MDR_decode("TLX 1130 CELL 2RW+ ^MM5", nullptr, &rep), 1);
    EXPECT_EQ(dump(rep), "TLX 1130 CELL 2RW:3");
}

TEST_F(Mdr, EchoDigitsOnTheSummaryGrid) {
    const struct {
        float x, y;
        const char *text, *after, *before = ""; // BEFORE: an earlier report of the station
    } cases[] = {
        // "M" is the station's own box, "A" twelve boxes before, "Z" thirteen after.
        {50.6f, 40.3f, "TLX 1130 CELL ^MM5 AA1 ZZ2 AM3 MA4",
         "38,28=1 38,40=4 50,28=3 50,40=5 63,53=2"},
        // 8, 9 and boxes outside 0..119, 0..89 place nothing.
        {118.7f, 88.2f, "EDG 1130 CELL ^MM89 LM9 MK8 MN3 MO4 NM5 OM6 AA2",
         "106,76=2 118,89=5 119,88=3"},
        {3.9f, 1.0f, "WST 1130 CELL ^MA7 MJ12 LM3 KM4", "0,1=1 1,1=2 3,0=3"},
        // The higher value stays; the empty mark takes even a 0.
        {50.6f, 40.3f, "TLX 1130 CELL ^MM36 MO0 MP0", "50,40=4 51,40=6 52,40=0 53,40=0",
         "TLX 1130 CELL ^MM44 MO0"},
        // Other characters are 0; the columns go on past "Z".
        {50.6f, 40.3f, "TLX 1130 CELL ^MXA5 MZ123", "61,40=0 62,40=5 63,40=1 64,40=2 65,40=3"},
        // "#" marks the echoes only when there is no "^"; bad letters are skipped.
        {50.6f, 40.3f, "TLX 1130 CELL 2RW #MN2 ^MO3 1A5 Mm3", "52,40=3"},
        {50.6f, 40.3f, "TLX 1130 PPINE ^MM5", ""},
        // The grid form rounds the station's position up from 0.4999.
        {50.49995f, 40.0f, "TLX 1231 MDR MM5", "51,40=5"},
        // In the grid form 8 and 9 mark cells that any value may replace.
        {50.2f, 40.2f, "TLX 1231 MDR MM8 MN3 MO4 MP9 MQ3 MR7/PPINE",
         "50,40=8 51,40=3 52,40=4 53,40=5 54,40=5 55,40=7", "TLX 1231 MDR MN89555"},
        // A station without usable position places nothing.
        {std::nanf(""), 40.0f, "NAN 1130 CELL ^MM5", ""},
        {3.0e9f, -3.0e9f, "FAR 1231 MDR MM5/PPINE", ""},
    };
    for (const auto &c : cases) {
        RAD_summary_init(&info);
        MDR_init(&rep); // the stored record of a station at MDR grid position (x, y)
        rep.x = c.x, rep.y = c.y;
        MDR_decode(c.before, &info, &rep);
        MDR_decode(c.text, &info, &rep);
        EXPECT_EQ(summary_cells(info), c.after) << c.text;
    }
}

// Every report of the samples' hours is found and decodes whole, with nothing left over.
TEST_F(Mdr, SampleCollectivesDecodeWhole) {
    for (auto [hour, count] : {std::pair{12, 43}, {18, 40}}) {
        RAD_set_nominal(hour, 30);
        auto found = read_reports(
            read_file(source_dir + "/data/240615" + std::to_string(hour) + "_rad.txt"));
        EXPECT_EQ(found.size(), size_t(count)) << hour;
        for (const std::string &f : found) {
            const std::string out = decode_out(f.substr(f.find('|') + 1), M_DEBUG);
            EXPECT_TRUE(out.find("EXTRA:") == std::string::npos && strcmp(rep.config, "NR")) << f;
        }
    }
}

} // namespace

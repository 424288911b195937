// rcm_read.cpp - Radar Coded Messages: finding the next site's message in a
// bulletin stream, decoding it into an RCM_report (part A: date, status, mode,
// the run-length coded echo grid, maximum top, storm centroids; part B: wind
// profile levels; part C: vortex signatures, mesocyclones, centroid heights
// and hail), the empty record of each site for the station store, and the
// listing of a record.
//
// A message arrives as text, or as a sequence of binary packets whose first
// ones carry the site number, position and time. Either way the body is
// bytes: NUL bytes are read, counted, searched and scanned like any other, so
// a real archive message whose binary product header precedes its text
// decodes whole.
//
// Keeps no state between calls.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "date.h"
#include "mess.h"
#include "rcm_groups.h"
#include "rcm_read.h"
#include "scanp.h"
#include "vekstr.h"

namespace {

constexpr int RCM_BODY_CAP = 5000; // bytes of one line, and of a message body
constexpr int RCM_BODY_MIN = 100;  // lines are joined until the body holds this much
constexpr int RCM_MAX_STORM = 40;
constexpr int RCM_MAX_TVS = 10;
constexpr int RCM_MAX_MESO = 20;
constexpr int RCM_MAX_VAD = 20;
constexpr unsigned char RCM_NO_ECHO = 255; // a cell without value

constexpr M_type RCM_TRACE_TEXT = M_DEBUG_A; // packets, the text at each stage

// Commits the match of PAT at the cursor of P when it matched WANT
// directives.
template <class Pattern, class... Dest>
bool take(parse_param *p, int want, const Pattern &pat, Dest &&...dest) {
    if (scanp(p, pat, std::forward<Dest>(dest)...) != want) return false;
    scanp_inc(p);
    return true;
}

// The text at the cursor, for the traces (at most 60 bytes; a NUL ends it).
void trace_text(const char *stage, parse_param *p) {
    if (!MESS_check(RCM_TRACE_TEXT)) return;
    const int left = p->length - p->off;
    MESS_print(RCM_TRACE_TEXT, "RCM %s:%.*s:\n", stage, left < 60 ? left : 60, scanp_str(p));
}

// Two-digit years: below 50 in this century, below 200 counted from 1900.
void fix_year(Date &date) {
    if (date.year < 50) date.year += 2000;
    if (date.year < 200) date.year += 1900;
}

// The same as a feature position: -9999.0 for both when the letters are no
// position.
void feature_position(const char *letters, float *x, float *y) {
    int gx, gy;
    if (strnlen(letters, 3) == 3 && rcm_grid_position(letters, &gx, &gy)) {
        *x = static_cast<float>(gx);
        *y = static_cast<float>(gy);
    } else {
        *x = VEK_FMISS;
        *y = VEK_FMISS;
    }
}

// Moves the cursor to the next "/" at or after it, or to the end of the text.
void to_slash(parse_param *p) {
    const int left = p->length - p->off;
    if (left <= 0) return;
    const void *hit = memchr(p->ptr + p->off, '/', static_cast<size_t>(left));
    const int step =
        hit ? static_cast<int>(static_cast<const char *>(hit) - (p->ptr + p->off)) : left;
    scanp_inc_off(p, step);
}

// ---------------------------------------------------------------------------
// Parts A, B and C
// ---------------------------------------------------------------------------

// Part A; false when the text has no "/NEXRAA" part.
bool part_a(parse_param *p, RCM_report *r) {
    take(p, 3, "%*d %*s %*d "_pat);
    trace_text("PART A", p);
    if (!take(p, 1, "%*(/NEXRAA) "_pat)) return false;
    Date &d = r->date;
    if (take(p, 6, "%d %2D%2D%2D%2D%2D "_pat, &r->num, &d.day, &d.month, &d.year, &d.hour, &d.min))
        fix_year(d);

    r->status = 0;
    take(p, 1, "%*(EDITED|UNEDITED) "_pat);
    if (take(p, 1, "%*(RADNE) "_pat)) r->status = 1;
    if (take(p, 1, "%*(RADOM) "_pat)) r->status = 2;

    char mode[5] = "";
    if (take(p, 2, "%*(/MD)%4s "_pat, mode)) {
        if (strcmp(mode, "PCPN") == 0) r->mode = 1;
        if (strcmp(mode, "CLAR") == 0) r->mode = 2;
    }
    take(p, 2, "%*(/SC)%*d "_pat);
    take(p, 1, "%*(/SC) "_pat);
    int groups = VEK_MISS;
    if (take(p, 2, "%*(/NI)%d: "_pat, &groups))
        MESS_print(RCM_TRACE_TEXT, "RCM %s: %d intensity groups\n", r->id, groups);

    trace_text("GROUPS", p);
    const auto *text = reinterpret_cast<const unsigned char *>(p->ptr + p->off);
    const int left = p->length - p->off;
    scanp_inc_off(p, rcm_read_groups(text, left, r));
    rcm_trace_grid(r);

    char pos[4] = "";
    if (take(p, 3, "%*(/MT)%d:%3s "_pat, &r->maxt, pos))
        feature_position(pos, &r->maxt_x, &r->maxt_y);

    int n = 0;
    if (take(p, 2, "%*(/NCEN)%d: "_pat, &n)) {
        // A centroid is taken when all five fields are read; the cursor moves
        // on by what the pattern consumed (the comma after the last one is
        // not followed by a blank), and the first incomplete one ends the list.
        for (int i = 0; i < n && r->num_storm < RCM_MAX_STORM; ++i) {
            RCM_storm &s = r->storm[r->num_storm];
            char id[3] = "";
            int dir = VEK_MISS, spd = VEK_MISS;
            const int got = scanp(p, "%*(C)%2s%3s %3d%3d, "_pat, id, pos, &dir, &spd);
            scanp_inc(p);
            if (got != 5) break;
            vek_copy(s.id, id);
            feature_position(pos, &s.x, &s.y);
            s.dir = dir;
            s.spd = spd;
            ++r->num_storm;
        }
    }
    to_slash(p);
    take(p, 1, "%*(/ENDAA) "_pat);
    return true;
}

// The RMS value of a wind level's code letter; 0 for any other letter.
int rms_code(char c) {
    static const char letters[] = "ABCDEFG";
    static const int values[] = {2, 4, 6, 8, 10, 12, 15};
    const char *at = c ? strchr(letters, c) : nullptr;
    return at ? values[at - letters] : 0;
}

// Part B: the wind profile levels.
void part_b(parse_param *p, RCM_report *r) {
    trace_text("PART B", p);
    if (!take(p, 3, "%*(/NEXRBB) %*d %*d "_pat)) return;
    for (int i = 0; i < RCM_MAX_VAD && scanp_char(p, 0) != '/'; ++i) {
        RCM_vad &v = r->vad[r->num_vad];
        char code = '\0';
        int hgt = VEK_MISS, dir = VEK_MISS, spd = VEK_MISS;
        const int got = scanp(p, "%d%c%3d%3d, "_pat, &hgt, code, &dir, &spd);
        scanp_inc(p);
        if (got != 4) break;
        v = {hgt, dir, spd, rms_code(code)};
        ++r->num_vad;
    }
    to_slash(p);
    take(p, 1, "%*(/ENDBB) "_pat);
}

// One list of part C's points (vortex signatures or mesocyclones) after its
// count: up to the count and at most CAP entries. TVS: "/NTVS" and "TVS"
// entries, else "/NMES" and "M" entries.
int part_c_points(parse_param *p, bool tvs, RCM_point *list, int cap) {
    int n = 0, used = 0;
    if (tvs ? take(p, 2, "%*(/NTVS)%d: "_pat, &n) : take(p, 2, "%*(/NMES)%d: "_pat, &n)) {
        for (; used < n && used < cap; ++used) {
            char id[3] = "", pos[4] = "";
            if (!(tvs ? take(p, 3, "%*(TVS)%2s%3s, "_pat, id, pos)
                      : take(p, 3, "%*(M)%2s%3s, "_pat, id, pos)))
                break;
            vek_copy(list[used].id, id);
            feature_position(pos, &list[used].x, &list[used].y);
        }
    }
    to_slash(p);
    return used;
}

// The storm of identifier ID among those in use, or a new one when there is
// room; null when neither.
RCM_storm *find_storm(RCM_report *r, const char *id, const char *pos) {
    for (int i = 0; i < r->num_storm; ++i)
        if (memcmp(r->storm[i].id, id, sizeof r->storm[i].id) == 0) return &r->storm[i];
    if (r->num_storm >= RCM_MAX_STORM) return nullptr;
    RCM_storm &s = r->storm[r->num_storm++];
    vek_copy(s.id, id);
    feature_position(pos, &s.x, &s.y);
    return &s;
}

// The hail code of a letter; any other letter leaves VALUE.
int hail_code(char c, int value) {
    switch (c) {
    case 'U':
        return -1;
    case 'N':
        return 0;
    case 'P':
        return 1;
    case 'H':
        return 2;
    default:
        return value;
    }
}

// Part C: vortex signatures, mesocyclones, and the heights and hail of the
// storm centroids (a centroid part A did not list is added while there is
// room). The first entry that is not read whole ends a list.
void part_c(parse_param *p, RCM_report *r) {
    trace_text("PART C", p);
    if (!take(p, 3, "%*(/NEXRCC) %*d %*d "_pat)) return;
    r->num_tvs = part_c_points(p, true, r->tvs, RCM_MAX_TVS);
    r->num_meso = part_c_points(p, false, r->meso, RCM_MAX_MESO);
    int n = 0;
    if (!take(p, 2, "%*(/NCEN)%d: "_pat, &n)) return;
    for (int i = 0; i < n; ++i) {
        char id[3] = "", pos[4] = "";
        if (!take(p, 3, "%*(C)%2s%3s "_pat, id, pos)) break;
        RCM_storm *s = find_storm(r, id, pos);
        int hgt = VEK_MISS;
        char hail = '\0';
        if (!take(p, 4, "%*(S)%3d%*(H)%c, "_pat, &hgt, hail)) break;
        if (!s) continue; // no room: read and ignored
        s->hgt = hgt;
        s->hail = hail_code(hail, s->hail);
    }
}

// ---------------------------------------------------------------------------
// Reading a message
// ---------------------------------------------------------------------------

// Whether the LENGTH bytes at TEXT, with their carriage returns removed,
// begin with "RCM" (any case). The line as a string ends at a NUL.
bool is_message_head(const char *text, int length, void *) {
    int found = 0;
    for (int i = 0; i < length && found < 3; ++i) {
        const char c = text[i];
        if (c == '\0') return false;
        if (c == '\r') continue;
        if ((c | 0x20) != "rcm"[found]) return false;
        ++found;
    }
    return found == 3;
}

// Every message head holds an "R" (any case), perhaps followed by carriage
// returns before its "C": the search is for the "R", the rest is checked
// where one is found.
const char *message_hint(const char *from, const char *to, const char *, const char *hi, void *) {
    static const byte_range r_any = {'r', 'r', 0x20};
    for (const char *t = from; (t = find_byte_run(t, to, hi, &r_any, 1)) < to; ++t) {
        const char *c = t + 1;
        while (c < hi && *c == '\r') ++c;
        if (c >= hi || (*c | 0x20) == 'c') return t;
    }
    return to;
}

// Reads lines until one begins with "RCM" (any case) and copies the rest of
// it, trailing blanks removed, into ID (its first 4 characters). False at
// the end of input or on a read error.
bool find_message(FILE *ifile, char *line, char (&id)[5]) {
    if (finput_until(ifile, line, RCM_BODY_CAP, is_message_head, nullptr, message_hint, nullptr) <
        0)
        return false;
    wstrim_string(line);
    trim_string(line);
    vek_copy(id, line + 3);
    return true;
}

// Reads the message body into BODY (RCM_BODY_CAP + 1 bytes): the next line
// and, while the body is shorter than 100 bytes, a line feed and the next
// line. Returns its length in bytes (NULs included), or -1 when the input
// ends or fails first.
int read_body(FILE *ifile, char *body) {
    int n = finput_piece(ifile, body, RCM_BODY_CAP);
    if (n < 0) return -1;
    while (n < RCM_BODY_MIN) {
        body[n++] = '\n';
        const int more = finput_piece(ifile, body + n, RCM_BODY_CAP - n);
        if (more < 0) return -1;
        n += more;
    }
    return n;
}

// One binary packet: its kind, where its text starts and ends, and where
// the next packet starts (-1 when there is none: the packet is shorter than
// its own header or runs past the data).
struct Packet {
    int kind0 = -1, kind1 = -1;
    int text = 0, end = 0;
    int next = -1;
    bool is(int a, int b) const { return kind0 == a && kind1 == b; }
};

// The packet at AT of the N bytes at B; false when its 4-byte header does not
// fit. Its length in 16-bit words, header included, is the second byte plus
// 256 times the low four bits of the first.
bool packet_at(const unsigned char *b, int n, int at, Packet *pk) {
    if (at < 0 || n - at < 4) return false;
    const int bytes = 2 * (b[at + 1] + 256 * (b[at] & 0x0F));
    pk->kind0 = b[at + 2];
    pk->kind1 = b[at + 3];
    pk->text = at + 4;
    pk->end = bytes <= n - at ? at + bytes : n;
    pk->next = bytes >= 4 && bytes <= n - at ? at + bytes : -1;
    if (pk->end < pk->text) pk->end = pk->text;
    MESS_print(RCM_TRACE_TEXT, "RCM packet %d,%d: %d bytes at %d\n", pk->kind0, pk->kind1, bytes,
               at);
    return true;
}

// The next packet after PK, in place; false when there is none.
bool next_packet(const unsigned char *b, int n, Packet *pk) {
    return pk->next >= 0 && packet_at(b, n, pk->next, pk);
}

// The site's position and time from a (1, 16) packet's text. The time
// follows the position: it is read only after the whole position, so that
// the digits of a cut position never pass for a date.
void read_location(const char *text, int len, RCM_report *r) {
    parse_param p{};
    scanp_set(&p, text, len);
    const bool placed = take(&p, 4, "%*2D%8F%10F%4F"_pat, &r->lat, &r->lon, &r->elev);
    if (r->elev != VEK_FMISS) r->elev *= 0.3048f;
    if (placed && take(&p, 5, "%4D%2D%2D%2D%2D"_pat, &r->date.year, &r->date.month, &r->date.day,
                       &r->date.hour, &r->date.min))
        fix_year(r->date);
    MESS_print(M_DEBUG, "LOC: %.3f %.3f %.0f \n", r->lat, r->lon, r->elev);
}

// The binary form: the packets before the coded text. Returns the offset of
// the coded text in BODY, or -1 when the packets end before a (5, 4) packet.
int read_packets(const char *body, int n, RCM_report *r) {
    const unsigned char *b = reinterpret_cast<const unsigned char *>(body);
    Packet pk;
    if (!packet_at(b, n, 0, &pk)) return -1;
    parse_param p{};
    scanp_set(&p, body + pk.text, pk.end - pk.text);
    take(&p, 1, "%3d"_pat, &r->num);
    if (!next_packet(b, n, &pk)) return -1;
    if (pk.is(1, 16)) {
        read_location(body + pk.text, pk.end - pk.text, r);
        if (!next_packet(b, n, &pk)) return -1;
    }
    if (pk.is(4, 16) && !next_packet(b, n, &pk)) return -1;
    if (pk.is(1, 4) && !next_packet(b, n, &pk)) return -1;
    return pk.is(5, 4) ? pk.text : -1;
}

} // namespace

// The empty record: nothing known, every echo cell without value.
int RCM_init(RCM_report *report) {
    if (!report) return 0;
    report->id[0] = '\0';
    report->num = VEK_MISS;
    report->lat = report->lon = report->elev = VEK_FMISS;
    report->date =
        Date{VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS};
    report->mode = VEK_MISS;
    report->status = VEK_MISS;
    memset(report->echo, RCM_NO_ECHO, sizeof report->echo);
    report->maxt = VEK_MISS;
    report->maxt_x = report->maxt_y = VEK_FMISS;
    for (RCM_storm &s : report->storm)
        s = {"", VEK_FMISS, VEK_FMISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};
    for (RCM_point &t : report->tvs) t = {"", VEK_FMISS, VEK_FMISS};
    for (RCM_point &m : report->meso) m = {"", VEK_FMISS, VEK_FMISS};
    for (RCM_vad &v : report->vad) v = {VEK_MISS, VEK_MISS, VEK_MISS, 0};
    report->num_storm = report->num_tvs = report->num_meso = report->num_vad = 0;
    return 0;
}

// The station store's entry function: the empty record of site DATA, with
// its identifier, WMO number and position. A site of priority 1 is expected
// (status -1, written as not received); any other is not (-9999, not
// written unless a message arrives).
int RCM_enter_func(const CTY_data *data, RCM_report *report) {
    if (!data || !report) return 0;
    RCM_init(report);
    vek_copy(report->id, data->id);
    report->num = data->wmo;
    report->lat = data->lat;
    report->lon = data->lon;
    report->status = data->prior == 1 ? -1 : VEK_MISS;
    return 0;
}

// Decodes the next site's message of IFILE into REPORT, which is initialised
// first in every case. Returns 1 when part A was found, or when a binary
// message ended after its header packets; 0 when the text has no "/NEXRAA"
// part; -1 at the end of input or on a read error before a whole message.
int RCM_read_site(FILE *ifile, RCM_report *report) {
    if (!report) return -1;
    RCM_init(report);
    if (!ifile) return -1;

    char body[RCM_BODY_CAP + 1];
    if (!find_message(ifile, body, report->id)) return -1;
    const int n = read_body(ifile, body);
    if (n < 0) return -1;

    int start;
    if (n >= 4 && body[2] == 1 && body[3] == 1) {
        start = read_packets(body, n, report);
        if (start < 0) return 1;
    } else {
        const size_t hit = std::string_view(body, static_cast<size_t>(n)).find("1234");
        start = hit == std::string_view::npos ? n : static_cast<int>(hit);
    }

    parse_param p{};
    scanp_set(&p, body + start, n - start);
    if (!part_a(&p, report)) return 0;
    part_b(&p, report);
    part_c(&p, report);
    take(&p, 0, " "_pat); // the blanks after the message
    return 1;
}

// Lists REPORT at LEVEL: identity, position, date, status, maximum top and
// every signature, mesocyclone and storm.
int RCM_print(M_type level, RCM_report *report) {
    if (!report || !MESS_check(level)) return 0;
    const RCM_report &r = *report;
    const int idw = static_cast<int>(sizeof r.id) - 1,
              fw = static_cast<int>(sizeof r.tvs[0].id) - 1;
    Date date = r.date; // the label normalises its date
    char label[DATE_LABEL_LEN];
    DATE_make_label(&date, label);
    MESS_print(level, "ID: %.*s\n", idw, r.id);
    MESS_print(level, "Num: %d\n", r.num);
    MESS_print(level, "Loc: %.3f %.3f\n", r.lat, r.lon);
    MESS_print(level, "Date: %s\n", label);
    if (r.status == 1) MESS_print(level, "Status: no echos\n");
    if (r.status == 2) MESS_print(level, "Status: out for maintenance\n");
    MESS_print(level, "Max Top: %d %3.0f,%3.0f\n", r.maxt, r.maxt_x, r.maxt_y);
    for (int i = 0; i < r.num_tvs && i < RCM_MAX_TVS; ++i)
        MESS_print(level, "TVS:  %2.*s %3.0f,%3.0f\n", fw, r.tvs[i].id, r.tvs[i].x, r.tvs[i].y);
    for (int i = 0; i < r.num_meso && i < RCM_MAX_MESO; ++i)
        MESS_print(level, "MESO: %2.*s %3.0f,%3.0f\n", fw, r.meso[i].id, r.meso[i].x, r.meso[i].y);
    for (int i = 0; i < r.num_storm && i < RCM_MAX_STORM; ++i) {
        const RCM_storm &s = r.storm[i];
        MESS_print(level, "STRM: %2.*s %3.0f,%3.0f %3.3d-%3.3d %3d %d\n", fw, s.id, s.x, s.y, s.dir,
                   s.spd, s.hgt, s.hail);
    }
    return 0;
}

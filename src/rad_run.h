// rad_run.h - what the conversion driver shares with the bulletin readers of
// its module: the nominal time and options of the conversion, what the
// conversion met, the report and heading tests the driver also uses to say
// why a file gave no report, and the two halves of an RCM site's merge.
#ifndef RAD_RUN_H
#define RAD_RUN_H

#include <string>

#include "resrc.h"
#include "vek.h"
#include "vekrad.h"
#include "vekstr.h"

// What one conversion met, for the line that ends it and the warning when it
// decoded nothing.
struct RadCounts {
    long decoded = 0;  // reports (summary bulletins) decoded
    long stations = 0; // the stations (RCM sites) among them
    long unknown = 0;  // reports of stations the store does not hold
    long outside = 0;  // reports outside the window, when every head is looked at
};

// The state of the conversion under way.
struct RadRun {
    int hour = VEK_MISS; // nominal time of the bulletins to decode
    int min = VEK_MISS;
    int clear_air = 1;      // clear-air RCM reports are merged into the summary
    bool count_all = false; // every report head is looked at, not only those of the nominal time
    RadCounts counts;
};
extern RadRun rad_run;

constexpr int MDR_MINUTES = 10; // an MDR report lies this near the nominal minute

// The report heads and bulletin headings, of any time and of the nominal one.
bool mdr_starts_report(const char *line, int len, char *id);
bool mdr_any_head(const char *line, int len);
bool summary_heading(const char *line);
bool is_nominal_heading(const char *line);

// The summary cell of the first cell of a site's grid.
struct RcmOrigin {
    long i0, j0;
};
// The merge half of RCM_set_summary: the grid's origin into AT and the grid
// into the summary; false, with nothing done, when the report has no usable
// position. The other half turns the feature positions into latitude and
// longitude.
bool rcm_merge_grid(RAD_info *info, RCM_report *report, RcmOrigin *at);
void rcm_convert_positions(RCM_report *report, RcmOrigin at);

// Statuses of a conversion: its exit statuses, and one for an existing output
// that is kept (which ends a run with 0).
constexpr int STATUS_NO_INPUT = 10;
constexpr int STATUS_NO_OUTPUT = 12;
constexpr int STATUS_KEPT = -1;

// Selects a name convention by key; FILE_set_name cuts keys off its text, so
// it gets a copy (whole: a template too long is refused when a name is made
// under it). Returns 1 when the convention file has the key (or the key is a
// template of its own), 0 when the key itself is the template.
int select_convention(const char *key);

// Applies FUNC to every word of a list resource, in order.
template <class Func>
void for_each_word(const char *resource, Func func) {
    int n = 0;
    char **words = nullptr;
    RES_getvals(resource, &n, &words);
    for (int i = 0; i < n; ++i) func(words[i]);
    free_parsed_array(n, words);
}

// The words of a list resource that it does not know, quoted and joined for
// a warning.
struct UnknownWords {
    std::string text;
    void add(const char *word) {
        text += (text.empty() ? "\"" : ", \"") + std::string(word) + "\"";
    }
};

// The converted file (rad_output.cpp). Chooses its form and name for the run
// date DATE, creates it under a temporary name and puts its descriptor in
// *FD: 0, STATUS_KEPT when an existing file is not to be replaced, or
// STATUS_NO_OUTPUT when it cannot be named or created; each is reported.
int rad_open_output(Date *date, int *fd);
// Closes the converted file and gives it its name. A file that could not be
// written whole is removed: STATUS_NO_OUTPUT, reported.
int rad_finish_output(int cvt_fd);
// The name of the converted file being written.
const char *rad_output_name();
void rad_output_reset();

#endif

// rad_run.h - what the conversion driver shares with the bulletin readers of
// its module: the nominal time and options of the conversion, what the
// conversion met, the report and heading tests the driver also uses to say
// why a file gave no report, and the two halves of an RCM site's merge.
#ifndef RAD_RUN_H
#define RAD_RUN_H

#include "vek.h"
#include "vekrad.h"

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

#endif

// date.h - dates: seconds and calendar dates, labels and the sequence form,
// the label time zone, and the decoding window of report times.
#ifndef DATE_H
#define DATE_H

#include "vek.h"

constexpr int DATE_LABEL_LEN = 40; // room for a date label

const char *DATE_month_lower(int month);
int DATE_print(M_type level, const Date *date);
int DATE_set_TZ(const char *str);
// STR needs DATE_LABEL_LEN bytes.
int DATE_get_current_str(char *str);
int DATE_is_leap(int year);
long DATE_num_sec(Date *date);
long DATE_get_time(long *secs);
int DATE_get_gmdate(const long *secs, Date *date);
int DATE_julian_monday(int year, int julian, int *month, int *day);
int DATE_monday_julian(int year, int month, int day, int *julian);
int DATE_decode_month(const char *str);
// STR needs DATE_LABEL_LEN bytes.
int DATE_make_label(Date *date, char *str);
// STR needs DATE_LABEL_LEN bytes (twelve digits for years 0 to 9999).
int DATE_make_seq(Date *date, char *str);
// The requested time of the file-name conventions (which file the user
// wants), from which the decoding window starts: the file-name module hands
// it over whenever it changes. Returns 0.
int DATE_set_requested(const Date *date);
int DATE_set_datim(const Date *date);
int DATE_set_range(int pre, int post);
int DATE_chk_range(int date);
// The first and last moment of the decoding window that DATE_set_datim set,
// in seconds as DATE_num_sec gives them.
int DATE_get_window(long *first, long *last);
void date_reset_state();

#endif

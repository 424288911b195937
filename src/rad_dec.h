// rad_dec.h - the conversion driver: the program's resources, the run
// parameters, one conversion per input file and the choice of the output
// file; and the decoding of MDR reports, raw summary bulletins and the merge
// of each RCM site's grid into the summary.
#ifndef RAD_DEC_H
#define RAD_DEC_H

#include <cstdio>

#include "vekcty.h"
#include "vekrad.h"
#include "vekresrc.h"

// The converter's resources, as registered with RES_init: the keyed options
// and the positional ones, each list ended by RES_null.
extern const res_type RAD_res_key[];
extern const res_type RAD_res_pos[];

// Conversion driver (rad_dec).
// Converts every input file the command line names, each on its own with the
// same options (one file, or none: the one the resources, batch mode or the
// user give). A file that fails is named and the next is converted. Returns
// the highest exit status of the files: 0, 10 (input), 12 (output).
int RAD_convert_files();
int RAD_decode_file();
int RAD_summary_init(RAD_info *info);
int MDR_save_report(int cvt_fd, MDR_report *report);
int RCM_save_report(int cvt_fd, RCM_report *report);
int RAD_parameter();
int RAD_set_out_file(Date *date);
// The driver's nominal time of the bulletins to decode (module values).
void RAD_set_nominal(int hour, int min);
int RAD_get_type();
int RAD_get_clear_air();
int RAD_get_file_type();
// The MDR grid of the conversion (RAD_MDR_GRID) into DOMAIN.
void RAD_mdr_domain(Domain *domain);
void rad_dec_reset_state();

// MDR reports and summaries.
int MDR_read_raw(FILE *ifile, char *data_str, char *id);
int MDR_init(MDR_report *report);
int MDR_enter_func(const CTY_data *data, MDR_report *report);
int MDR_decode(const char *data, RAD_info *info, MDR_report *report);
int MDR_read_raw_summary(FILE *ifile, RAD_info *info);

int RCM_set_summary(RAD_info *info, RCM_report *report);

#endif

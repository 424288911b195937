// rcm_groups.h - the inside of the RCM decoder, shared by its units and by
// nothing else but the benchmark and the test of the group readers:
// - rcm_read.cpp: finding a site's message and decoding its parts;
// - rcm_groups.cpp: part A's run-length coded intensity groups and the
//   position letters of the fine grid.
#ifndef RCM_GROUPS_H
#define RCM_GROUPS_H

#include "vekrad.h"

// Fine-grid column X and row Y of three position letters: MDR row, MDR
// column, and the cell inside the box (A to P, index k) at column k / 4 and
// row k mod 4. False when a letter is not A to Z: such a position lies
// outside the grid.
bool rcm_grid_position(const char *letters, int *x, int *y);

// Reads the intensity groups at the start of the N bytes at S into REPORT's
// grid (whose cells hold no value) and returns the bytes consumed: with the
// vector reader where the processor has it, unless every value is traced.
int rcm_read_groups(const unsigned char *s, int n, RCM_report *report);
// The two readers, which give the same grid: one byte and one value at a
// time (tracing every value when that is selected), and sixteen bytes at a
// time with vector instructions (-1 where the processor lacks them).
int rcm_groups_plain(const unsigned char *s, int n, RCM_report *report);
int rcm_groups_vector(const unsigned char *s, int n, RCM_report *report);

// Traces the grid after part A's groups, when selected.
void rcm_trace_grid(const RCM_report *report);

#endif

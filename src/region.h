// region.h - domain strings (a region name, a station, or a projection with
// its centre, size and spacing) read into a Domain, region files, default
// regions, and the station priority of a domain's size.
#ifndef REGION_H
#define REGION_H

#include "vek.h"

// One entry of the region menu: abbreviation, name (blanks for "_"), its
// position and display switches (disp[0] is the file's menu flag).
struct MENU_item {
    char *name;
    char *abbr;
    int index;
    int disp[10];
};

// Field codes of the templates of DOM_set_params; DOM_END ends a template.
enum DOM_field {
    DOM_END = 0,
    DOM_PROJ,
    DOM_PLON,
    DOM_CLAT,
    DOM_CLON,
    DOM_NX,
    DOM_NY,
    DOM_DX,
    DOM_DY,
    DOM_STAT,
    DOM_REG,
};

constexpr int DOM_STR_LEN = 501; // room for a domain string read from a region file
constexpr int DOM_MENU_LEN = 23; // entries of the region menu (1 to 19 used)

int DOM_init(Domain *domain);
// 1 explicit domain, 2 region name, -1 invalid, -9999 null, empty or "miss".
int DOM_decode(const char *str, Domain *domain);
// Reads the fields against one template of up to eight field codes; 0 when
// the string fits it, -1 otherwise.
int DOM_set_params(int paramc, char **paramv, Domain *domain, int i1, int i2, int i3, int i4,
                   int i5, int i6, int i7, int i8);
int DOM_proj_str(const char *proj);
int DOM_get_def_region(const char *region, Domain *domain);
// DOMSTR needs DOM_STR_LEN bytes.
int DOM_search_file(const char *file, const char *str, char *domstr);
int DOM_read_menu(const char *file);
int DOM_set_base_prior(float size);
// The station priority derived from the last domain size.
int DOM_get_base_prior();
// The region menu (entry 0 unused) and, in *NUM_REGS, its next free position.
MENU_item *DOM_get_menu(int *num_regs);
// Priority 3, an empty menu.
void region_reset_state();

#endif

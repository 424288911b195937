// region.cpp - domain records: the initial state of a Domain and the decoding
// of domain strings.
//
// Keeps no state of its own yet.

#include "vek.h"

int DOM_init(Domain *domain) {
    if (!domain) return 0;
    domain->proj = VEK_MISS;
    domain->plat = VEK_FMISS;
    domain->plon = VEK_FMISS;
    for (float &p : domain->param) p = VEK_FMISS;
    domain->clat = VEK_FMISS;
    domain->clon = VEK_FMISS;
    domain->dx = VEK_FMISS;
    domain->dy = VEK_FMISS;
    domain->nx = VEK_MISS;
    domain->ny = VEK_MISS;
    domain->ellipse = 0;
    return 0;
}

// The domain string forms (regions, stations, projections) are not read yet:
// every string leaves the record initialised, as an absent string does.
int DOM_decode(const char *str, Domain *domain) {
    (void)str;
    DOM_init(domain);
    return VEK_MISS;
}

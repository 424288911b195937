// calc.h - distances on the earth.
#ifndef CALC_H
#define CALC_H

// The great-circle distance between two points, in km.
float calc_earth_dist(float lat1, float lon1, float lat2, float lon2);

#endif

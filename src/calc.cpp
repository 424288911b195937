// calc.cpp - geographic calculations shared by the station tools.
//
// Keeps no state.

#include <cmath>

#include "calc.h"

// The great-circle distance in kilometres between two points given in
// degrees, on a sphere of radius 6371.3 km (spherical law of cosines). The
// cosine is held to [-1, 1] so that rounding never turns a zero distance
// into a missing one.
float calc_earth_dist(float lat1, float lon1, float lat2, float lon2) {
    constexpr double DEG2RAD = 0.017453292519943334;
    const double p1 = lat1 * DEG2RAD, p2 = lat2 * DEG2RAD;
    double c = std::sin(p1) * std::sin(p2) +
               std::cos(p1) * std::cos(p2) * std::cos((double(lon1) - lon2) * DEG2RAD);
    if (c > 1.0) c = 1.0;
    if (c < -1.0) c = -1.0;
    return static_cast<float>(6371.3 * std::acos(c));
}

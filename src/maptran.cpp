// maptran.cpp - the map module: one current map domain (a projection and the
// grid laid over it) and the transforms between latitude and longitude, map
// coordinates (units of 100 km on the projection plane) and grid coordinates.
//
// State: the current domain, the map rectangle of its grid, the plotting
// viewport of the diagram projections, the standard latitudes and the
// constants derived from the domain. The derived constants are recomputed on
// the first transform after a domain change (xfactor or sat_ratio at -9999).

#include <cmath>
#include <numbers>

#include "maptran.h"

namespace {

constexpr double DEG2RAD = 0.017453292519943334;
constexpr double RAD2DEG = 57.295779513082195;
constexpr double MISS = -9999.0;
constexpr double PI = std::numbers::pi;
constexpr double HALF_SQRT2 = std::numbers::sqrt2 / 2.0;

constexpr double EARTH_RAD = 63.7122;
constexpr double EARTH_MAJ = 63.781368;
constexpr double EARTH_MIN = 63.56752;
// (earth_min / earth_maj)^2: turns geodetic into geocentric latitude.
constexpr double EARTH_RATIO2 = (EARTH_MIN * EARTH_MIN) / (EARTH_MAJ * EARTH_MAJ);
constexpr double SAT_RAD_DEFAULT = 421.61; // a geostationary orbit, from the earth's centre

constexpr Domain NO_DOMAIN = {VEK_MISS,  VEK_FMISS, VEK_FMISS, {VEK_FMISS, 0.0f, 0.0f, 0.0f, 0.0f},
                              VEK_FMISS, VEK_FMISS, VEK_FMISS, VEK_FMISS,
                              VEK_MISS,  VEK_MISS,  0};
constexpr MAP_limits NO_LIMITS = {VEK_FMISS, VEK_FMISS, VEK_FMISS, VEK_FMISS};

struct MapState {
    Domain domain = NO_DOMAIN;
    MAP_limits limits = NO_LIMITS;
    MAP_limits view = NO_LIMITS;
    double sat_rad = 421.64;
    double tlat1 = 30.0;
    double tlat2 = 60.0;
    // Derived constants; their meaning depends on the projection.
    double xfactor = MISS;
    double yfactor = MISS;
    double mult = MISS;
    double scale = MISS;
    double sat_ratio = MISS;
    double earth_ratio = MISS;
    double sat_rad2 = MISS;
    double sat2_earth2 = MISS;
};

MapState st;

bool given(float v) {
    return v != VEK_FMISS;
}

// Brings a longitude into [-180, 180] by whole turns.
double wrap_lon(double lon) {
    if (lon > 180.0 || lon < -180.0) {
        lon = std::fmod(lon, 360.0);
        if (lon > 180.0) lon -= 360.0;
        if (lon < -180.0) lon += 360.0;
    }
    return lon;
}

// One step of 360 towards [-180, 180].
double one_step(double lon) {
    if (lon > 180.0) return lon - 360.0;
    if (lon < -180.0) return lon + 360.0;
    return lon;
}

void put(float *a, float *b, double va, double vb) {
    *a = static_cast<float>(va);
    *b = static_cast<float>(vb);
}

int hidden(float *a, float *b) {
    put(a, b, MISS, MISS);
    return 0;
}

double view_width() {
    return double(st.view.x_max) - double(st.view.x_min);
}
double view_height() {
    return double(st.view.y_max) - double(st.view.y_min);
}

// ---- polar stereographic (1) ----------------------------------------------

void ps_derive() {
    if (st.xfactor != MISS) return;
    st.scale = st.domain.plat >= 0.0f ? -1.0 : 1.0;
    st.xfactor = (1.0 - st.scale * std::sin(st.tlat1 * DEG2RAD)) * EARTH_RAD;
}

int ps_tran(double lat, double dlon, float *x, float *y) {
    ps_derive();
    if (st.scale * lat > 75.0) lat = 75.0 * st.scale;
    const double r = st.xfactor * std::tan((90.0 + st.scale * lat) / 2.0 * DEG2RAD);
    put(x, y, r * std::sin(dlon * DEG2RAD), st.scale * r * std::cos(dlon * DEG2RAD));
    return 1;
}

int ps_untran(double x, double y, float *lat, float *lon) {
    ps_derive();
    const double r = std::sqrt(x * x + y * y);
    const double theta = (x == 0.0 && y == 0.0) ? 0.0 : std::atan2(x, st.scale * y) * RAD2DEG;
    put(lat, lon, (2.0 * std::atan(r / st.xfactor) * RAD2DEG - 90.0) * st.scale,
        st.domain.plon + theta);
    return 1;
}

// ---- Mercator (3) ------------------------------------------------------------

int merc_tran(double lat, double dlon, float *x, float *y) {
    double xv = EARTH_RAD * dlon * DEG2RAD;
    const double half_turn = PI * EARTH_RAD;
    if (xv > half_turn) xv -= 2.0 * half_turn;
    if (xv < -half_turn) xv += 2.0 * half_turn;
    if (lat > 89.9) lat = 89.9;
    if (lat < -89.9) lat = -89.9;
    put(x, y, xv, -EARTH_RAD * std::log(std::tan((45.0 - lat / 2.0) * DEG2RAD)));
    return 1;
}

int merc_untran(double x, double y, float *lat, float *lon) {
    const double lonv = one_step(st.domain.plon + x / (EARTH_RAD * DEG2RAD));
    put(lat, lon, 90.0 - 114.59155902616439 * std::atan(1.0 / std::exp(y / EARTH_RAD)), lonv);
    return 1;
}

// ---- Lambert conformal conic (4) ------------------------------------------------
// The cone constants use scale x the standard latitudes, so that a southern
// cone is the mirror image of the northern one.

void lamb_derive() {
    if (st.xfactor != MISS) return;
    st.scale = st.domain.plat >= 0.0f ? 1.0 : -1.0;
    const double t1 = st.scale * st.tlat1;
    const double t2 = st.scale * st.tlat2;
    double n;
    if (t1 == t2) {
        n = std::cos((90.0 - t1) * DEG2RAD);
    } else {
        n = (std::log(std::cos(t1 * DEG2RAD)) - std::log(std::cos(t2 * DEG2RAD))) /
            (std::log(std::tan((45.0 - t1 / 2.0) * DEG2RAD)) -
             std::log(std::tan((45.0 - t2 / 2.0) * DEG2RAD)));
    }
    st.xfactor = n;
    st.mult = std::cos(t1 * DEG2RAD) / (n * std::pow(std::tan((45.0 - t1 / 2.0) * DEG2RAD), n));
}

int lamb_tran(double lat, double dlon, float *x, float *y) {
    lamb_derive();
    const double n = st.xfactor;
    if (st.scale > 0.0 && lat < -89.0) lat = -89.0;
    if (st.scale < 0.0 && lat > 89.0) lat = 89.0;
    const double rho =
        st.mult * EARTH_RAD * std::pow(std::tan((45.0 - st.scale * lat / 2.0) * DEG2RAD), n);
    const double a = n * wrap_lon(dlon) * DEG2RAD;
    put(x, y, rho * std::sin(a), -st.scale * rho * std::cos(a));
    return 1;
}

int lamb_untran(double x, double y, float *lat, float *lon) {
    lamb_derive();
    const double n = st.xfactor;
    const double rho = std::sqrt(x * x + y * y);
    const double theta = (x == 0.0 && y == 0.0) ? 0.0 : std::atan2(x, -st.scale * y) * RAD2DEG;
    const double t = std::pow(rho / (st.mult * EARTH_RAD), 1.0 / n);
    put(lat, lon, 90.0 * st.scale - 2.0 * st.scale * std::atan(t) * RAD2DEG,
        st.domain.plon + theta / n);
    return 1;
}

// ---- orthographic (5) ----------------------------------------------------------

void ortho_derive() {
    if (st.xfactor != MISS) return;
    const double plat = given(st.domain.plat) ? st.domain.plat : 0.0;
    st.xfactor = std::cos(plat * DEG2RAD);
    st.yfactor = std::sin(plat * DEG2RAD);
}

int ortho_tran(double lat, double dlon, float *x, float *y) {
    ortho_derive();
    const double cl = std::cos(lat * DEG2RAD), sl = std::sin(lat * DEG2RAD);
    const double cd = std::cos(dlon * DEG2RAD);
    if (cl * st.xfactor * cd + sl * st.yfactor < 0.0) return hidden(x, y);
    put(x, y, EARTH_RAD * cl * std::sin(dlon * DEG2RAD),
        EARTH_RAD * (st.xfactor * sl - st.yfactor * cl * cd));
    return 1;
}

int ortho_untran(double x, double y, float *lat, float *lon) {
    ortho_derive();
    const double z2 = EARTH_RAD * EARTH_RAD - x * x - y * y;
    if (z2 < 0.0) return hidden(lat, lon);
    const double z = std::sqrt(z2);
    double s = (st.xfactor * y + st.yfactor * z) / EARTH_RAD;
    if (s > 1.0) s = 1.0;
    if (s < -1.0) s = -1.0;
    put(lat, lon, std::asin(s) * RAD2DEG,
        st.domain.plon + std::atan2(x, st.xfactor * z - st.yfactor * y) * RAD2DEG);
    return 1;
}

// ---- pseudo-cylindrical equal-area (7) -----------------------------------------

int moll_tran(double lat, double dlon, float *x, float *y) {
    const double target = PI * std::sin(lat * DEG2RAD);
    double t = lat * DEG2RAD;
    for (int i = 0; i < 15; i++) {
        const double step = -(t + std::sin(t) - target) / (1.0 + std::cos(t));
        if (!std::isfinite(step)) break;
        t += step;
        if (std::fabs(step) < 1e-10) break;
    }
    const double theta = t / 2.0;
    const double xv =
        std::fabs(lat) > 89.99 ? 0.0 : EARTH_RAD * wrap_lon(dlon) / 90.0 * std::cos(theta);
    put(x, y, xv, EARTH_RAD * std::sin(theta));
    return 1;
}

int moll_untran(double x, double y, float *lat, float *lon) {
    const double s = y / EARTH_RAD;
    if (s > 1.0 || s < -1.0) return hidden(lat, lon);
    const double theta = std::asin(s);
    const double sin_lat = (std::sin(2.0 * theta) + 2.0 * theta) / PI;
    if (sin_lat > 1.0 || sin_lat < -1.0) return hidden(lat, lon);
    const double c = std::cos(theta);
    const double dlon = std::fabs(c) < 1e-12 ? 0.0 : 90.0 * x / (EARTH_RAD * c);
    put(lat, lon, std::asin(sin_lat) * RAD2DEG, st.domain.plon + dlon);
    return 1;
}

// ---- Lambert azimuthal equal-area (8) ------------------------------------------

int laea_tran(double lat, double dlon, float *x, float *y) {
    const double p = st.domain.plat * DEG2RAD;
    const double cl = std::cos(lat * DEG2RAD), sl = std::sin(lat * DEG2RAD);
    const double cd = std::cos(dlon * DEG2RAD);
    const double cos_c = std::sin(p) * sl + std::cos(p) * cl * cd;
    if (cos_c <= -1.0) return hidden(x, y);
    const double k = EARTH_RAD * std::sqrt(2.0 / (1.0 + cos_c));
    put(x, y, k * cl * std::sin(dlon * DEG2RAD), k * (std::cos(p) * sl - std::sin(p) * cl * cd));
    return 1;
}

int laea_untran(double x, double y, float *lat, float *lon) {
    const double plat = st.domain.plat, plon = st.domain.plon;
    const double p = plat * DEG2RAD;
    const double rho = std::sqrt(x * x + y * y);
    if (rho / (2.0 * EARTH_RAD) > 1.0) return hidden(lat, lon);
    if (rho < 1e-10) {
        put(lat, lon, plat, plon);
        return 0;
    }
    const double c = 2.0 * std::asin(rho / (2.0 * EARTH_RAD));
    double s = std::cos(c) * std::sin(p) + y * std::sin(c) * std::cos(p) / rho;
    if (s > 1.0) s = 1.0;
    if (s < -1.0) s = -1.0;
    const double latv = std::asin(s);
    double lonv;
    if (plat == 90.0) {
        lonv = plon + std::atan2(x, -y) * RAD2DEG;
    } else if (plat == -90.0) {
        lonv = plon - std::atan2(-x, y) * RAD2DEG;
    } else {
        const double den = rho * (std::cos(c) - std::sin(latv) * std::sin(p));
        lonv = den == 0.0 ? plon : plon + std::atan2(x * std::sin(c) * std::cos(p), den) * RAD2DEG;
    }
    put(lat, lon, latv * RAD2DEG, lonv);
    return 1;
}

// ---- geostationary satellite view (9) --------------------------------------------
// The satellite sits at (sat_rad, 0, 0) above (plon, equator); the earth's
// axis is z. A view direction is given by the east-west angle a (about z)
// and the north-south angle b: u = (-cos a cos b, sin a cos b, sin b).

void sat_derive() {
    if (st.sat_ratio != MISS) return;
    st.sat_ratio = st.sat_rad / EARTH_RAD;
    st.earth_ratio = EARTH_RAD / st.sat_rad;
    st.sat_rad2 = st.sat_rad * st.sat_rad;
    st.sat2_earth2 = st.sat_rad2 - EARTH_MAJ * EARTH_MAJ;
}

bool scan_angles() {
    return st.domain.param[1] == 1.0f;
}

int sat_tran(double lat, double dlon, float *x, float *y) {
    sat_derive();
    double phi = lat * DEG2RAD;
    if (st.domain.ellipse) phi = std::atan(EARTH_RATIO2 * std::tan(phi));
    const double cp = std::cos(phi), cd = std::cos(dlon * DEG2RAD), sd = std::sin(dlon * DEG2RAD);
    if (cp * cd < st.earth_ratio) return hidden(x, y);
    const double r =
        st.domain.ellipse ? EARTH_MIN / std::sqrt(1.0 - (1.0 - EARTH_RATIO2) * cp * cp) : EARTH_RAD;
    const double d = st.sat_rad - r * cp * cd;
    double xv = r * cp * sd / d;
    double yv = r * std::sin(phi) / std::sqrt(r * r * cp * cp * sd * sd + d * d);
    if (scan_angles()) {
        xv = std::atan(xv);
        yv = std::atan(yv);
    }
    put(x, y, xv * st.sat_rad, yv * st.sat_rad);
    return 1;
}

// Follows the view ray from the satellite to its first meeting with the
// earth (the sphere, or the ellipsoid x^2 + y^2 + z^2 / earth_ratio2 = maj^2).
int sat_untran(double x, double y, float *lat, float *lon) {
    sat_derive();
    double a = x / st.sat_rad, b = y / st.sat_rad;
    if (!scan_angles()) {
        a = std::atan(a);
        b = std::atan(b);
    }
    const double ux = -std::cos(a) * std::cos(b);
    const double uy = std::sin(a) * std::cos(b);
    const double uz = std::sin(b);
    const double k = st.domain.ellipse ? EARTH_RATIO2 : 1.0;
    const double qa = ux * ux + uy * uy + uz * uz / k;
    const double qb = st.sat_rad * ux;
    const double qc = st.domain.ellipse ? st.sat2_earth2 : st.sat_rad2 - EARTH_RAD * EARTH_RAD;
    const double disc = qb * qb - qa * qc;
    if (disc < 0.0) return hidden(lat, lon);
    const double t = (-qb - std::sqrt(disc)) / qa;
    const double px = st.sat_rad + t * ux, py = t * uy, pz = t * uz;
    const double horiz = std::sqrt(px * px + py * py);
    put(lat, lon, std::atan2(pz, k * horiz) * RAD2DEG,
        st.domain.plon + std::atan2(py, px) * RAD2DEG);
    return 1;
}

// ---- thermodynamic diagrams (40, 43, 44) -----------------------------------------
// A factor of 0 gives the plain axes; MAP_set_limits uses that to find the
// extent of the diagram before the factors are derived from the viewport.

void skewt_derive() {
    if (st.xfactor != MISS) return;
    st.scale = st.limits.y_min;
    const double vw = view_width();
    const double yext = double(st.limits.y_max) - st.limits.y_min;
    st.xfactor = (vw == 0.0 || yext == 0.0)
                     ? 0.0
                     : (double(st.limits.x_max) - st.limits.x_min) * (view_height() / vw) / yext;
}

void teph_derive() {
    if (st.xfactor != MISS) return;
    const double xext = double(st.limits.x_max) - st.limits.x_min;
    const double yext = double(st.limits.y_max) - st.limits.y_min;
    st.xfactor = xext == 0.0 ? 0.0 : view_width() / xext;
    st.yfactor = yext == 0.0 ? 0.0 : view_height() / yext;
}

int therm_tran(int proj, double t, double p, float *x, float *y) {
    if (proj == PROJ_SKEWT) {
        skewt_derive();
        const double yv = -std::log(p);
        put(x, y, t + st.xfactor * (yv - st.scale), yv);
        return 1;
    }
    const double xv = t;
    const double yv = std::log(pot_temp(static_cast<float>(t + 273.15), static_cast<float>(p)));
    if (proj == PROJ_RAW_TEPHIGRAM) {
        put(x, y, xv, yv);
        return 1;
    }
    teph_derive();
    if (st.xfactor == 0.0 || st.yfactor == 0.0) {
        put(x, y, xv, yv);
        return 1;
    }
    // Into the viewport, turned 45 degrees clockwise about its origin, and back.
    const double u = (xv - st.limits.x_min) * st.xfactor;
    const double v = (yv - st.limits.y_min) * st.yfactor;
    const double ur = (u + v) * HALF_SQRT2, vr = (v - u) * HALF_SQRT2;
    put(x, y, st.limits.x_min + ur / st.xfactor, st.limits.y_min + vr / st.yfactor);
    return 1;
}

int therm_untran(int proj, double x, double y, float *t, float *p) {
    if (proj == PROJ_SKEWT) {
        skewt_derive();
        put(t, p, x - st.xfactor * (y - st.scale), std::exp(-y));
        return 1;
    }
    if (proj == PROJ_TEPHIGRAM) {
        teph_derive();
        if (st.xfactor != 0.0 && st.yfactor != 0.0) {
            const double ur = (x - st.limits.x_min) * st.xfactor;
            const double vr = (y - st.limits.y_min) * st.yfactor;
            const double u = (ur - vr) * HALF_SQRT2, v = (ur + vr) * HALF_SQRT2;
            x = st.limits.x_min + u / st.xfactor;
            y = st.limits.y_min + v / st.yfactor;
        }
    }
    const double theta = std::exp(y);
    put(t, p, x, 1000.0 * std::pow((x + 273.15) / theta, 3.5));
    return 1;
}

void order(float *lo, float *hi) {
    if (*lo > *hi) {
        const float tmp = *lo;
        *lo = *hi;
        *hi = tmp;
    }
}

} // namespace

float pot_temp(float t, float p) {
    if (t > 0.0f && p > 0.0f) return static_cast<float>(t * std::pow(1000.0 / p, 0.286));
    return VEK_FMISS;
}

// Makes a copy of DOMAIN the current domain and computes its grid limits.
// A null DOMAIN leaves no domain set and returns -1.
int MAP_domain(const Domain *domain) {
    if (!domain) {
        st.domain.proj = VEK_MISS;
        return -1;
    }
    st.domain = *domain;
    Domain &d = st.domain;
    if (!given(d.plat)) d.plat = d.clat;
    if (!given(d.plon)) d.plon = d.clon;
    if (d.proj == PROJ_POLAR_STEREO) {
        st.tlat1 = d.plat < 0.0f ? -60.0 : 60.0;
        if (given(d.param[0])) st.tlat1 = d.param[0];
    } else if (d.proj == PROJ_LAMBERT) {
        st.tlat1 = 30.0;
        st.tlat2 = 60.0;
        if (given(d.param[0])) {
            st.tlat1 = d.param[0];
            st.tlat2 = d.param[1];
        }
    } else if (d.proj == PROJ_SATELLITE) {
        st.sat_rad = given(d.param[0]) ? d.param[0] : SAT_RAD_DEFAULT;
    }
    st.xfactor = MISS;
    st.sat_ratio = MISS;
    MAP_set_limits();
    return 0;
}

int MAP_proj(int proj) {
    st.domain.proj = proj;
    st.xfactor = MISS;
    st.sat_ratio = MISS;
    return 0;
}

int MAP_coord(float plat, float plon) {
    st.domain.plat = plat;
    st.domain.plon = plon;
    st.xfactor = MISS;
    st.sat_ratio = MISS;
    return 0;
}

// Geographic to map coordinates. Returns 1 when the point is mapped, 0 (with
// -9999 outputs) when it is not visible in the projection or not a number.
int MAP_tran(float lat, float lon, float *x, float *y) {
    if (!x || !y) return 0;
    const int proj = st.domain.proj;
    const double la = lat, lo = lon;
    if (proj == VEK_MISS) {
        put(x, y, la, lo);
        return 1;
    }
    if (proj >= 1 && proj <= 9) {
        if (!std::isfinite(la) || !std::isfinite(lo)) return hidden(x, y);
        const double dlon = wrap_lon(lo) - st.domain.plon;
        switch (proj) {
        case PROJ_POLAR_STEREO:
            return ps_tran(la, dlon, x, y);
        case PROJ_LATLON:
            put(x, y, one_step(dlon), la);
            return 1;
        case PROJ_MERCATOR:
            return merc_tran(la, dlon, x, y);
        case PROJ_LAMBERT:
            return lamb_tran(la, dlon, x, y);
        case PROJ_ORTHOGRAPHIC:
            return ortho_tran(la, dlon, x, y);
        case PROJ_MOLLWEIDE:
            return moll_tran(la, dlon, x, y);
        case PROJ_EQUAL_AREA:
            return laea_tran(la, dlon, x, y);
        case PROJ_SATELLITE:
            return sat_tran(la, dlon, x, y);
        default:
            return 1; // code 6 has no transform: outputs untouched
        }
    }
    const MAP_limits &lim = st.limits;
    switch (proj) {
    case PROJ_XY:
    case PROJ_CATEGORY:
        put(x, y, lim.x_min + (la - lim.x_min) * st.xfactor,
            lim.y_min + (lo - lim.y_min) * st.yfactor);
        return 1;
    case PROJ_XP:
        put(x, y, lim.x_min + (la - lim.x_min) * st.xfactor,
            lim.y_min + (lim.y_min - lo) * st.yfactor);
        return 1;
    case PROJ_XLOGY:
    case PROJ_EMAGRAM:
        put(x, y, la, -std::log(lo));
        return 1;
    case PROJ_HODOGRAPH:
        put(x, y, lo * std::sin(la * DEG2RAD), lo * std::cos(la * DEG2RAD));
        return 1;
    case PROJ_STUVE:
        put(x, y, la, -std::pow(lo, 0.285714));
        return 1;
    case PROJ_PIXEL:
        put(x, y, la, -lo);
        return 1;
    case PROJ_SKEWT:
    case PROJ_TEPHIGRAM:
    case PROJ_RAW_TEPHIGRAM:
        return therm_tran(proj, la, lo, x, y);
    default:
        return 1;
    }
}

// Map to geographic coordinates. Returns 1 when mapped, 0 (with -9999
// outputs) when the point lies off the earth.
int MAP_untran(float x, float y, float *lat, float *lon) {
    if (!lat || !lon) return 0;
    const int proj = st.domain.proj;
    const double xv = x, yv = y;
    const MAP_limits &lim = st.limits;
    switch (proj) {
    case VEK_MISS:
        put(lat, lon, xv, yv);
        return 1;
    case PROJ_POLAR_STEREO:
        return ps_untran(xv, yv, lat, lon);
    case PROJ_LATLON:
        put(lat, lon, yv, one_step(st.domain.plon + xv));
        return 1;
    case PROJ_MERCATOR:
        return merc_untran(xv, yv, lat, lon);
    case PROJ_LAMBERT:
        return lamb_untran(xv, yv, lat, lon);
    case PROJ_ORTHOGRAPHIC:
        return ortho_untran(xv, yv, lat, lon);
    case PROJ_MOLLWEIDE:
        return moll_untran(xv, yv, lat, lon);
    case PROJ_EQUAL_AREA:
        return laea_untran(xv, yv, lat, lon);
    case PROJ_SATELLITE:
        return sat_untran(xv, yv, lat, lon);
    case PROJ_XY:
    case PROJ_CATEGORY:
    case PROJ_XP: {
        if (st.xfactor == 0.0 || st.yfactor == 0.0 || st.xfactor == MISS) return hidden(lat, lon);
        const double dy = (yv - lim.y_min) / st.yfactor;
        put(lat, lon, lim.x_min + (xv - lim.x_min) / st.xfactor,
            proj == PROJ_XP ? lim.y_min - dy : lim.y_min + dy);
        return 1;
    }
    case PROJ_XLOGY:
    case PROJ_EMAGRAM:
        put(lat, lon, xv, std::exp(-yv));
        return 1;
    case PROJ_HODOGRAPH: {
        double az = (xv == 0.0 && yv == 0.0) ? 0.0 : std::atan2(xv, yv) * RAD2DEG;
        if (az < 0.0) az += 360.0;
        put(lat, lon, az, std::sqrt(xv * xv + yv * yv));
        return 1;
    }
    case PROJ_STUVE:
        put(lat, lon, xv, std::pow(-yv, 3.5));
        return 1;
    case PROJ_PIXEL:
        put(lat, lon, xv, -yv);
        return 1;
    case PROJ_SKEWT:
    case PROJ_TEPHIGRAM:
    case PROJ_RAW_TEPHIGRAM:
        return therm_untran(proj, xv, yv, lat, lon);
    default:
        return 1;
    }
}

int MAP_tran_center(float *x, float *y) {
    return MAP_tran(st.domain.clat, st.domain.clon, x, y);
}

// Computes the map rectangle of the current grid.
int MAP_set_limits() {
    const Domain &d = st.domain;
    MAP_limits &lim = st.limits;
    if (d.proj >= 1 && d.proj <= 9) {
        float xc, yc;
        MAP_tran_center(&xc, &yc);
        const float hw = d.dx * static_cast<float>(d.nx - 1) / 2.0f;
        const float hh = d.dy * static_cast<float>(d.ny - 1) / 2.0f;
        lim = {xc - hw, xc + hw, yc - hh, yc + hh};
        return 0;
    }
    switch (d.proj) {
    case PROJ_SKEWT:
    case PROJ_TEPHIGRAM:
    case PROJ_RAW_TEPHIGRAM: {
        st.xfactor = 0.0;
        st.yfactor = 0.0;
        float y0;
        MAP_tran(d.clat, d.clon, &lim.x_min, &y0);
        lim.y_min = y0;
        float ignore;
        MAP_tran(d.clat + d.dx, d.clon, &lim.x_max, &ignore);
        MAP_tran(d.clat, d.clon + d.dy, &ignore, &lim.y_max);
        st.xfactor = MISS;
        break;
    }
    case PROJ_HODOGRAPH:
        lim = {d.clat, d.clat + d.dx, d.clon, d.clon + d.dy};
        break;
    case PROJ_XY:
    case PROJ_CATEGORY:
    case PROJ_XP: {
        const float y0 = d.proj == PROJ_XP ? -d.clon : d.clon;
        lim = {d.clat, d.clat + static_cast<float>(d.nx), y0, y0 + static_cast<float>(d.ny)};
        st.xfactor = static_cast<double>(d.nx) / d.dx;
        st.yfactor = static_cast<double>(d.ny) / d.dy;
        break;
    }
    default:
        MAP_tran(d.clat, d.clon, &lim.x_min, &lim.y_min);
        MAP_tran(d.clat + d.dx, d.clon + d.dy, &lim.x_max, &lim.y_max);
        break;
    }
    order(&lim.x_min, &lim.x_max);
    order(&lim.y_min, &lim.y_max);
    return 0;
}

// Grid to map coordinates; row 0 is the top (largest y).
int MAP_grid_tran(float gx, float gy, float *x, float *y) {
    if (!x || !y) return -1;
    if (gx == VEK_FMISS) {
        put(x, y, MISS, MISS);
        return -1;
    }
    *x = st.domain.dx * gx + st.limits.x_min;
    *y = st.limits.y_max - st.domain.dy * gy;
    return 0;
}

int MAP_grid_untran(float x, float y, float *gx, float *gy) {
    if (!gx || !gy) return -1;
    if (x == VEK_FMISS) {
        put(gx, gy, MISS, MISS);
        return -1;
    }
    *gx = (x - st.limits.x_min) / st.domain.dx;
    *gy = (st.limits.y_max - y) / st.domain.dy;
    return 0;
}

// 1 when the map point lies on the grid or within three grid spacings of it;
// with no domain every point is inside.
int MAP_in_grid_domain(float x, float y) {
    if (st.domain.proj == VEK_MISS) return 1;
    const MAP_limits &lim = st.limits;
    const float mx = 3.0f * st.domain.dx, my = 3.0f * st.domain.dy;
    return (x >= lim.x_min - mx && x <= lim.x_max + mx && y >= lim.y_min - my &&
            y <= lim.y_max + my)
               ? 1
               : 0;
}

void MAP_get_limits(MAP_limits *limits) {
    if (limits) *limits = st.limits;
}

void MAP_set_view(const MAP_limits *view) {
    st.view = view ? *view : NO_LIMITS;
    st.xfactor = MISS;
}

void maptran_reset_state() {
    st = MapState{};
}

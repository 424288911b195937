// Map projections, grid limits and grid transforms of the current domain.

#include <cmath>
#include <string>
#include <vector>

#include "vek_test.h"

namespace {

Domain make_domain(int proj, float plat, float plon, float clat, float clon, float dx = 1.0f,
                   int nx = 25, int ny = 17) {
    Domain d;
    DOM_init(&d);
    d.proj = proj;
    d.plat = plat;
    d.plon = plon;
    d.clat = clat;
    d.clon = clon;
    d.dx = dx;
    d.dy = dx;
    d.nx = nx;
    d.ny = ny;
    return d;
}

// The difference of two longitudes, in (-180, 180].
double lon_diff(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

double great_circle_deg(double lat1, double lon1, double lat2, double lon2) {
    const double r = M_PI / 180.0;
    double c = std::sin(lat1 * r) * std::sin(lat2 * r) +
               std::cos(lat1 * r) * std::cos(lat2 * r) * std::cos((lon1 - lon2) * r);
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / r;
}

struct Point {
    float lat, lon;
};

// Latitudes and longitudes every STEP degrees that lie within MAX_DIST
// degrees of (clat, clon) and within [lat_lo, lat_hi].
std::vector<Point> points_near(float clat, float clon, double max_dist, float lat_lo = -89.0f,
                               float lat_hi = 89.0f, float step = 5.0f) {
    std::vector<Point> pts;
    for (float lat = lat_lo; lat <= lat_hi; lat += step)
        for (float lon = -180.0f; lon < 180.0f; lon += step)
            if (great_circle_deg(lat, lon, clat, clon) <= max_dist) pts.push_back({lat, lon});
    return pts;
}

// Forward then inverse for every point; each must map and come back.
void expect_round_trip(const std::vector<Point> &pts, double tol, const std::string &what) {
    ASSERT_FALSE(pts.empty()) << what;
    for (const Point &p : pts) {
        float x, y, lat, lon;
        ASSERT_EQ(MAP_tran(p.lat, p.lon, &x, &y), 1) << what << " at " << p.lat << "," << p.lon;
        ASSERT_EQ(MAP_untran(x, y, &lat, &lon), 1) << what << " at " << p.lat << "," << p.lon;
        EXPECT_NEAR(lat, p.lat, tol) << what << " at " << p.lat << "," << p.lon;
        EXPECT_NEAR(lon_diff(lon, p.lon), 0.0, tol) << what << " at " << p.lat << "," << p.lon;
    }
}

class MapTest : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        maptran_reset_state();
    }
    void TearDown() override {
        maptran_reset_state();
        VekTest::TearDown();
    }
};

using PolarStereographic = MapTest;
using RoundTrips = MapTest;
using ValueProjections = MapTest;
using GridTransforms = MapTest;
using NoDomain = MapTest;

// ---- polar stereographic ---------------------------------------------------

TEST_F(PolarStereographic, SixtyNorthOnTheCentralMeridianLiesBelowThePole) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    float x, y;
    ASSERT_EQ(MAP_tran(60.0f, -105.0f, &x, &y), 1);
    const double expect_y = -(1.0 + std::sin(M_PI / 3.0)) * 63.7122 * std::tan(M_PI / 12.0);
    EXPECT_NEAR(x, 0.0, 1e-5);
    EXPECT_NEAR(y, expect_y, 1e-4);
    EXPECT_NEAR(y, -31.86, 0.01);
    float lat, lon;
    ASSERT_EQ(MAP_untran(x, y, &lat, &lon), 1);
    EXPECT_NEAR(lat, 60.0, 1e-4);
    EXPECT_NEAR(lon, -105.0, 1e-4);
}

TEST_F(PolarStereographic, EastIsRightAndNorthIsUp) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -105.0f);
    MAP_domain(&d);
    float xw, yw, xe, ye, xs, ys;
    MAP_tran(40.0f, -110.0f, &xw, &yw);
    MAP_tran(40.0f, -100.0f, &xe, &ye);
    MAP_tran(30.0f, -105.0f, &xs, &ys);
    EXPECT_LT(xw, 0.0f);
    EXPECT_GT(xe, 0.0f);
    EXPECT_NEAR(yw, ye, 1e-4);
    EXPECT_LT(ys, yw);
}

TEST_F(PolarStereographic, PointsFarIntoTheSouthAreHeldAtSeventyFive) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    float x80, y80, x75, y75, x70, y70;
    MAP_tran(-80.0f, -90.0f, &x80, &y80);
    MAP_tran(-75.0f, -90.0f, &x75, &y75);
    MAP_tran(-70.0f, -90.0f, &x70, &y70);
    EXPECT_FLOAT_EQ(x80, x75);
    EXPECT_FLOAT_EQ(y80, y75);
    EXPECT_NE(x70, x75);
}

TEST_F(PolarStereographic, OriginIsThePoleOnTheProjectionMeridian) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    float lat, lon;
    ASSERT_EQ(MAP_untran(0.0f, 0.0f, &lat, &lon), 1);
    EXPECT_FLOAT_EQ(lat, 90.0f);
    EXPECT_FLOAT_EQ(lon, -105.0f);
}

TEST_F(PolarStereographic, LongitudesAreTakenModuloWholeTurns) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    float x1, y1, x2, y2, x3, y3;
    MAP_tran(45.0f, -100.0f, &x1, &y1);
    MAP_tran(45.0f, 260.0f, &x2, &y2);
    MAP_tran(45.0f, -100.0f - 3600.0f, &x3, &y3);
    EXPECT_NEAR(x1, x2, 1e-4);
    EXPECT_NEAR(y1, y2, 1e-4);
    EXPECT_NEAR(x1, x3, 1e-3);
    EXPECT_NEAR(y1, y3, 1e-3);
}

TEST_F(PolarStereographic, SouthPoleUsesTheSouthernStandardLatitude) {
    Domain d = make_domain(1, -90.0f, 0.0f, -70.0f, 0.0f);
    MAP_domain(&d);
    float x, y;
    ASSERT_EQ(MAP_tran(-60.0f, 0.0f, &x, &y), 1);
    const double expect_r = (1.0 + std::sin(M_PI / 3.0)) * 63.7122 * std::tan(M_PI / 12.0);
    EXPECT_NEAR(y, expect_r, 1e-4); // north (towards the equator) is up, away from the pole
    EXPECT_NEAR(x, 0.0, 1e-5);
}

TEST_F(PolarStereographic, AGivenStandardLatitudeChangesTheScale) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    d.param[0] = 45.0f;
    MAP_domain(&d);
    float x, y;
    MAP_tran(60.0f, -105.0f, &x, &y);
    EXPECT_NEAR(y, -(1.0 + std::sin(M_PI / 4.0)) * 63.7122 * std::tan(M_PI / 12.0), 1e-4);
}

TEST_F(PolarStereographic, NotANumberIsNotMapped) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    float x = 0, y = 0;
    EXPECT_EQ(MAP_tran(NAN, -100.0f, &x, &y), 0);
    EXPECT_EQ(x, -9999.0f);
    EXPECT_EQ(MAP_tran(40.0f, INFINITY, &x, &y), 0);
    EXPECT_EQ(y, -9999.0f);
}

// ---- round trips of the map projections -------------------------------------

TEST_F(RoundTrips, PolarStereographicBothPoles) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    expect_round_trip(points_near(90.0f, 0.0f, 160.0, -70.0f, 85.0f), 2e-3, "north");
    Domain s = make_domain(1, -90.0f, 30.0f, -60.0f, 30.0f);
    MAP_domain(&s);
    expect_round_trip(points_near(-90.0f, 0.0f, 160.0, -85.0f, 70.0f), 2e-3, "south");
}

TEST_F(RoundTrips, LatitudeLongitude) {
    Domain d = make_domain(2, 0.0f, 120.0f, 0.0f, 120.0f);
    MAP_domain(&d);
    expect_round_trip(points_near(0.0f, 120.0f, 180.0, -89.0f, 89.0f), 1e-4, "ll");
    float x, y;
    MAP_tran(10.0f, -100.0f, &x, &y); // 140 degrees east of the central meridian
    EXPECT_NEAR(x, 140.0f, 1e-4);
    EXPECT_NEAR(y, 10.0f, 1e-5);
}

TEST_F(RoundTrips, Mercator) {
    Domain d = make_domain(3, 0.0f, -60.0f, 0.0f, -60.0f);
    MAP_domain(&d);
    expect_round_trip(points_near(0.0f, -60.0f, 180.0, -85.0f, 85.0f), 2e-3, "mercator");
}

TEST_F(RoundTrips, LambertConformalNorthernAndSouthernCones) {
    Domain n = make_domain(4, 40.0f, -100.0f, 40.0f, -100.0f);
    MAP_domain(&n);
    expect_round_trip(points_near(40.0f, -100.0f, 70.0), 2e-3, "northern cone");
    Domain s = make_domain(4, -35.0f, 140.0f, -35.0f, 140.0f);
    s.param[0] = -30.0f;
    s.param[1] = -60.0f;
    MAP_domain(&s);
    expect_round_trip(points_near(-35.0f, 140.0f, 70.0), 2e-3, "southern cone");
}

TEST_F(RoundTrips, LambertConeWithOneStandardLatitude) {
    Domain d = make_domain(4, 45.0f, 10.0f, 45.0f, 10.0f);
    d.param[0] = 45.0f;
    d.param[1] = 45.0f;
    MAP_domain(&d);
    expect_round_trip(points_near(45.0f, 10.0f, 60.0), 2e-3, "tangent cone");
}

TEST_F(RoundTrips, OrthographicVisibleHemisphere) {
    Domain d = make_domain(5, 40.0f, -100.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    expect_round_trip(points_near(40.0f, -100.0f, 80.0), 2e-3, "orthographic");
    float x, y;
    EXPECT_EQ(MAP_tran(-40.0f, 80.0f, &x, &y), 0); // the far side
    EXPECT_EQ(x, -9999.0f);
    float lat, lon;
    EXPECT_EQ(MAP_untran(70.0f, 0.0f, &lat, &lon), 0); // beyond the earth's disc
    EXPECT_EQ(lat, -9999.0f);
}

TEST_F(RoundTrips, PseudoCylindricalEqualArea) {
    Domain d = make_domain(7, 0.0f, 0.0f, 0.0f, 0.0f);
    MAP_domain(&d);
    std::vector<Point> pts;
    for (float lat = -85.0f; lat <= 85.0f; lat += 5.0f)
        for (float lon = -175.0f; lon <= 175.0f; lon += 5.0f) pts.push_back({lat, lon});
    expect_round_trip(pts, 2e-3, "equal-area");
}

TEST_F(RoundTrips, LambertAzimuthalAndItsAntipode) {
    Domain d = make_domain(8, 45.0f, -100.0f, 45.0f, -100.0f);
    MAP_domain(&d);
    expect_round_trip(points_near(45.0f, -100.0f, 150.0), 3e-3, "azimuthal");
    float x, y;
    EXPECT_EQ(MAP_tran(-45.0f, 80.0f, &x, &y), 0);
    EXPECT_EQ(x, -9999.0f);
    EXPECT_EQ(y, -9999.0f);
    Domain pole = make_domain(8, 90.0f, 0.0f, 90.0f, 0.0f);
    MAP_domain(&pole);
    expect_round_trip(points_near(90.0f, 0.0f, 120.0), 3e-3, "polar azimuthal");
    Domain south = make_domain(8, -90.0f, 0.0f, -90.0f, 0.0f);
    MAP_domain(&south);
    expect_round_trip(points_near(-90.0f, 0.0f, 120.0), 3e-3, "south polar azimuthal");
}

TEST_F(RoundTrips, GeostationaryViewOfSphereAndEllipsoid) {
    Domain d = make_domain(9, 0.0f, -75.0f, 0.0f, -75.0f);
    MAP_domain(&d);
    const std::vector<Point> pts = points_near(0.0f, -75.0f, 70.0);
    expect_round_trip(pts, 2e-3, "sphere");

    d.ellipse = 1;
    MAP_domain(&d);
    expect_round_trip(pts, 2e-3, "ellipsoid");

    d.param[1] = 1.0f; // scan angles instead of plane coordinates
    MAP_domain(&d);
    expect_round_trip(pts, 2e-3, "ellipsoid, scan angles");

    d.ellipse = 0;
    MAP_domain(&d);
    expect_round_trip(pts, 2e-3, "sphere, scan angles");
}

TEST_F(RoundTrips, GeostationaryViewHidesTheFarSideAndMissesOffTheDisc) {
    Domain d = make_domain(9, 0.0f, -75.0f, 0.0f, -75.0f);
    MAP_domain(&d);
    float x, y, lat, lon;
    EXPECT_EQ(MAP_tran(0.0f, 105.0f, &x, &y), 0);
    EXPECT_EQ(MAP_tran(85.0f, -75.0f, &x, &y), 0); // beyond the horizon at 81 degrees
    EXPECT_EQ(MAP_untran(80.0f, 0.0f, &lat, &lon), 0);
    EXPECT_EQ(lat, -9999.0f);
    // The point below the satellite is the origin.
    ASSERT_EQ(MAP_tran(0.0f, -75.0f, &x, &y), 1);
    EXPECT_NEAR(x, 0.0f, 1e-5);
    EXPECT_NEAR(y, 0.0f, 1e-5);
}

// ---- linear, logarithmic, polar-plot, pressure and diagram codes ----------------

TEST_F(ValueProjections, LinearAxesScaleByGridPointsPerUnit) {
    Domain d = make_domain(20, VEK_FMISS, VEK_FMISS, 10.0f, 100.0f, 2.0f, 50, 40);
    MAP_domain(&d);
    MAP_limits lim;
    MAP_get_limits(&lim);
    EXPECT_FLOAT_EQ(lim.x_min, 10.0f);
    EXPECT_FLOAT_EQ(lim.x_max, 60.0f);
    EXPECT_FLOAT_EQ(lim.y_min, 100.0f);
    EXPECT_FLOAT_EQ(lim.y_max, 140.0f);
    float x, y;
    MAP_tran(12.0f, 101.0f, &x, &y);
    EXPECT_FLOAT_EQ(x, 10.0f + 2.0f * 25.0f);
    EXPECT_FLOAT_EQ(y, 100.0f + 1.0f * 20.0f);
    for (int code : {20, 24, 25}) {
        d.proj = code;
        MAP_domain(&d);
        std::vector<Point> pts;
        for (float a = 5.0f; a < 15.0f; a += 0.5f) pts.push_back({a, 90.0f + a * 3.0f});
        expect_round_trip(pts, 1e-3, "linear " + std::to_string(code));
    }
}

TEST_F(ValueProjections, ReversedSecondAxisRunsDownward) {
    Domain d = make_domain(25, VEK_FMISS, VEK_FMISS, 0.0f, 100.0f, 1.0f, 10, 10);
    MAP_domain(&d);
    float x1, y1, x2, y2;
    MAP_tran(1.0f, 100.0f, &x1, &y1);
    MAP_tran(1.0f, 110.0f, &x2, &y2);
    EXPECT_LT(y2, y1);
}

TEST_F(ValueProjections, LogarithmicPolarPressureAndPlain) {
    std::vector<Point> pts;
    for (float a = 10.0f; a < 90.0f; a += 7.0f)
        for (float b = 100.0f; b <= 1000.0f; b += 150.0f) pts.push_back({a, b});
    for (int code : {22, 42, 23, 41, 99}) {
        Domain d = make_domain(code, VEK_FMISS, VEK_FMISS, 0.0f, 1000.0f, 50.0f);
        MAP_domain(&d);
        expect_round_trip(pts, 0.02, "code " + std::to_string(code));
    }
    Domain d = make_domain(23, VEK_FMISS, VEK_FMISS, 0.0f, 0.0f, 10.0f);
    MAP_domain(&d);
    float x, y, az, range;
    MAP_tran(90.0f, 5.0f, &x, &y); // due east, 5 units out
    EXPECT_NEAR(x, 5.0f, 1e-5);
    EXPECT_NEAR(y, 0.0f, 1e-5);
    MAP_untran(-3.0f, -3.0f, &az, &range);
    EXPECT_NEAR(az, 225.0f, 1e-4);
    EXPECT_NEAR(range, std::sqrt(18.0f), 1e-5);
    MAP_untran(0.0f, 0.0f, &az, &range);
    EXPECT_EQ(az, 0.0f);
}

TEST_F(ValueProjections, PotentialTemperature) {
    EXPECT_FLOAT_EQ(pot_temp(300.0f, 1000.0f), 300.0f);
    EXPECT_NEAR(pot_temp(273.15f, 500.0f), 273.15 * std::pow(2.0, 0.286), 1e-3);
    EXPECT_EQ(pot_temp(-1.0f, 500.0f), -9999.0f);
    EXPECT_EQ(pot_temp(280.0f, 0.0f), -9999.0f);
}

TEST_F(ValueProjections, ThermodynamicDiagrams) {
    // Code 44: temperature against the logarithm of potential temperature.
    Domain d = make_domain(44, VEK_FMISS, VEK_FMISS, -40.0f, 1000.0f, 80.0f);
    d.dy = -900.0f;
    MAP_domain(&d);
    float x, y;
    MAP_tran(20.0f, 850.0f, &x, &y);
    EXPECT_FLOAT_EQ(x, 20.0f);
    EXPECT_NEAR(y, std::log(pot_temp(293.15f, 850.0f)), 1e-5);

    // Code 40: the skewed log-pressure diagram undoes itself exactly, with
    // and without a viewport.
    d.proj = 40;
    MAP_domain(&d);
    std::vector<Point> pts;
    for (float t = -40.0f; t <= 30.0f; t += 10.0f)
        for (float p = 200.0f; p <= 1000.0f; p += 100.0f) pts.push_back({t, p});
    expect_round_trip(pts, 1e-3, "skew-T without view");
    const MAP_limits view = {0.0f, 800.0f, 0.0f, 600.0f};
    MAP_set_view(&view);
    MAP_tran(0.0f, 1000.0f, &x, &y);
    float x_hi, y_hi;
    MAP_tran(0.0f, 300.0f, &x_hi, &y_hi);
    EXPECT_GT(x_hi, x); // an isotherm leans to the right with height
    expect_round_trip(pts, 1e-3, "skew-T with view");

    // Code 43: the turned diagram comes back to what code 44 gives.
    MAP_set_view(nullptr);
    for (const Point &p : pts) {
        float lat44, lon44, lat43, lon43;
        d.proj = 44;
        MAP_domain(&d);
        MAP_tran(p.lat, p.lon, &x, &y);
        MAP_untran(x, y, &lat44, &lon44);
        d.proj = 43;
        MAP_domain(&d);
        MAP_set_view(&view);
        float x43, y43;
        MAP_tran(p.lat, p.lon, &x43, &y43);
        const bool origin = p.lat == d.clat && p.lon == d.clon; // the turn's fixed point
        EXPECT_EQ(std::fabs(x43 - x) < 1e-6 && std::fabs(y43 - y) < 1e-6, origin)
            << "tephigram turned wrongly at " << p.lat << "," << p.lon;
        MAP_untran(x43, y43, &lat43, &lon43);
        EXPECT_NEAR(lat43, lat44, 1e-3);
        EXPECT_NEAR(lon43, lon44, 0.05);
        MAP_set_view(nullptr);
    }
}

// ---- grid limits and grid transforms ---------------------------------------------

TEST_F(GridTransforms, LimitsSpanTheGridAroundTheCentre) {
    Domain d = make_domain(1, 90.0f, -105.0f, 39.578445f, -97.42146f, 0.47625f, 114, 90);
    MAP_domain(&d);
    float xc, yc;
    MAP_tran_center(&xc, &yc);
    MAP_limits lim;
    MAP_get_limits(&lim);
    EXPECT_NEAR(lim.x_max - lim.x_min, 0.47625 * 113, 1e-3);
    EXPECT_NEAR(lim.y_max - lim.y_min, 0.47625 * 89, 1e-3);
    EXPECT_NEAR((lim.x_min + lim.x_max) / 2, xc, 1e-4);
    EXPECT_NEAR((lim.y_min + lim.y_max) / 2, yc, 1e-4);
}

TEST_F(GridTransforms, CornersAndTheirInverse) {
    Domain d = make_domain(1, 90.0f, -105.0f, 39.578445f, -97.42146f, 0.47625f, 114, 90);
    MAP_domain(&d);
    MAP_limits lim;
    MAP_get_limits(&lim);
    float x, y;
    EXPECT_EQ(MAP_grid_tran(0.0f, 0.0f, &x, &y), 0);
    EXPECT_FLOAT_EQ(x, lim.x_min);
    EXPECT_FLOAT_EQ(y, lim.y_max);
    MAP_grid_tran(113.0f, 89.0f, &x, &y);
    EXPECT_NEAR(x, lim.x_max, 1e-4);
    EXPECT_NEAR(y, lim.y_min, 1e-4);
    float gx, gy;
    EXPECT_EQ(MAP_grid_untran(x, y, &gx, &gy), 0);
    EXPECT_NEAR(gx, 113.0f, 1e-3);
    EXPECT_NEAR(gy, 89.0f, 1e-3);
    MAP_grid_tran(41.5f, 17.25f, &x, &y);
    MAP_grid_untran(x, y, &gx, &gy);
    EXPECT_NEAR(gx, 41.5f, 1e-3);
    EXPECT_NEAR(gy, 17.25f, 1e-3);
}

TEST_F(GridTransforms, MissingInputGivesMissingOutput) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    float a = 1, b = 1;
    EXPECT_EQ(MAP_grid_tran(-9999.0f, 3.0f, &a, &b), -1);
    EXPECT_EQ(a, -9999.0f);
    EXPECT_EQ(b, -9999.0f);
    a = b = 1;
    EXPECT_EQ(MAP_grid_untran(-9999.0f, 3.0f, &a, &b), -1);
    EXPECT_EQ(a, -9999.0f);
}

TEST_F(GridTransforms, MarginOfThreeSpacingsOnEverySide) {
    Domain d = make_domain(1, 90.0f, -105.0f, 39.578445f, -97.42146f, 0.5f, 114, 90);
    MAP_domain(&d);
    MAP_limits lim;
    MAP_get_limits(&lim);
    const float xm = (lim.x_min + lim.x_max) / 2, ym = (lim.y_min + lim.y_max) / 2;
    const float in = 2.9f * 0.5f, out = 3.1f * 0.5f;
    EXPECT_EQ(MAP_in_grid_domain(xm, ym), 1);
    EXPECT_EQ(MAP_in_grid_domain(lim.x_min - in, ym), 1);
    EXPECT_EQ(MAP_in_grid_domain(lim.x_min - out, ym), 0);
    EXPECT_EQ(MAP_in_grid_domain(lim.x_max + in, ym), 1);
    EXPECT_EQ(MAP_in_grid_domain(lim.x_max + out, ym), 0);
    EXPECT_EQ(MAP_in_grid_domain(xm, lim.y_min - in), 1);
    EXPECT_EQ(MAP_in_grid_domain(xm, lim.y_min - out), 0);
    EXPECT_EQ(MAP_in_grid_domain(xm, lim.y_max + in), 1);
    EXPECT_EQ(MAP_in_grid_domain(xm, lim.y_max + out), 0);
    EXPECT_EQ(MAP_in_grid_domain(NAN, ym), 0);
}

TEST_F(GridTransforms, ProjectionChangeKeepsTheLimits) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    MAP_domain(&d);
    MAP_limits before, after;
    MAP_get_limits(&before);
    MAP_proj(2);
    MAP_coord(0.0f, 0.0f);
    MAP_get_limits(&after);
    EXPECT_EQ(before.x_min, after.x_min);
    EXPECT_EQ(before.y_max, after.y_max);
    float x, y;
    MAP_tran(10.0f, 20.0f, &x, &y); // now latitude-longitude about 0, 0
    EXPECT_FLOAT_EQ(x, 20.0f);
    EXPECT_FLOAT_EQ(y, 10.0f);
}

// ---- no domain ----------------------------------------------------------------

TEST_F(NoDomain, TransformsPassCoordinatesThroughAndAcceptEveryPoint) {
    float x, y;
    EXPECT_EQ(MAP_tran(12.5f, -97.0f, &x, &y), 1);
    EXPECT_FLOAT_EQ(x, 12.5f);
    EXPECT_FLOAT_EQ(y, -97.0f);
    EXPECT_EQ(MAP_in_grid_domain(1e6f, -1e6f), 1);
}

TEST_F(NoDomain, NullDomainClearsTheCurrentOne) {
    Domain d = make_domain(1, 90.0f, -105.0f, 40.0f, -100.0f);
    EXPECT_EQ(MAP_domain(&d), 0);
    EXPECT_EQ(MAP_in_grid_domain(1e6f, 0.0f), 0);
    EXPECT_EQ(MAP_domain(nullptr), -1);
    EXPECT_EQ(MAP_in_grid_domain(1e6f, 0.0f), 1);
    float x, y;
    MAP_tran(40.0f, -100.0f, &x, &y);
    EXPECT_FLOAT_EQ(x, 40.0f);
}

TEST_F(NoDomain, MissingProjectionPointTakesTheGridCentre) {
    Domain d = make_domain(1, VEK_FMISS, VEK_FMISS, 40.0f, -100.0f);
    MAP_domain(&d);
    float x, y;
    MAP_tran(50.0f, -100.0f, &x, &y); // -100 became the central meridian
    EXPECT_NEAR(x, 0.0f, 1e-5);
    EXPECT_LT(y, 0.0f); // and 40 north chose the north pole
}

} // namespace

// Map projections: the polar stereographic one of the MDR grid both ways,
// points others cannot show, grid limits and transforms of the domain.

#include <cmath>

#include "maptran.h"
#include "vek_test.h"

namespace {

constexpr double RAD = M_PI / 180.0;
constexpr float MISS = VEK_FMISS;

Domain make_domain(int proj, float plat, float plon, float clat, float clon, float dx = 1.0f,
                   int nx = 25, int ny = 17) {
    return {proj, plat, plon, {MISS, 0, 0, 0, 0}, clat, clon, dx, dx, nx, ny, 0};
}

using MapTest = vektest::VekTest; // starts each test without a domain

// Points a projection cannot show map to -9999 with result 0, both ways.
TEST_F(MapTest, HiddenPointsAreNotMapped) {
    const struct {
        int proj, inverse;
        float plat, plon, a, b;
    } cases[] = {{1, 0, 90, -105, NAN, -100},
                 {1, 0, 90, -105, 40, INFINITY},
                 {5, 1, 40, -100, 70, 0},   // off the disc
                 {8, 0, 45, -100, -45, 80}, // the antipode
                 {9, 0, 0, -75, 85, -75}};
    for (const auto &c : cases) {
        Domain d = make_domain(c.proj, c.plat, c.plon, c.plat, c.plon);
        MAP_domain(&d);
        float u = 0, v = 0;
        EXPECT_EQ(c.inverse ? MAP_untran(c.a, c.b, &u, &v) : MAP_tran(c.a, c.b, &u, &v), 0);
        EXPECT_EQ(std::vector<float>({u, v}), std::vector<float>({MISS, MISS})) << &c - cases;
    }
}

// Polar stereographic: (1 + sin standard latitude) * earth radius * tan(half
// the arc from the pole) from the pole, the central meridian pointing away,
// latitudes held at 75 degrees into the far hemisphere.
TEST_F(MapTest, PolarStereographicPositions) {
    const struct {
        float pole, tlat, lat, lon;
    } cases[] = {{90, MISS, 60, -105}, {90, MISS, 40, -60},   {90, 45, 10, 100},
                 {-90, MISS, -30, 0},  {-90, -45, -70, -150}, {90, MISS, -80, -105},
                 {-90, MISS, 89, 20}}; // the last two beyond the hold
    for (const auto &c : cases) {
        Domain d = make_domain(1, c.pole, -105.0f, 40.0f, -100.0f);
        d.param[0] = c.tlat;
        MAP_domain(&d);
        const double k =
            (1.0 + std::sin(std::fabs(c.tlat == MISS ? 60.0 : c.tlat) * RAD)) * 63.7122;
        const double s = c.pole > 0 ? 1.0 : -1.0, dl = (c.lon + 105.0) * RAD;
        const double r = k * std::tan((90.0 - std::fmax(c.lat * s, -75.0)) / 2.0 * RAD);
        float x, y, lat, lon;
        ASSERT_EQ(MAP_tran(c.lat, c.lon, &x, &y), 1);
        EXPECT_NEAR(x, r * std::sin(dl), 1e-4 * (1 + r)) << c.lat << "," << c.lon;
        EXPECT_NEAR(y, -s * r * std::cos(dl), 1e-4 * (1 + r)) << c.lat << "," << c.lon;
        ASSERT_EQ(MAP_untran(x, y, &lat, &lon), 1); // and back, to the latitude held
        EXPECT_NEAR(lat, s * std::fmax(c.lat * s, -75.0), 1e-3) << c.lat << "," << c.lon;
        EXPECT_NEAR(std::remainder(lon - c.lon, 360.0), 0, 1e-3) << c.lat << "," << c.lon;
    }
}

// A grid on the MDR projection about its centre: grid points from the top
// left corner and back, membership up to three spacings out.
TEST_F(MapTest, GridPointsAndMargin) {
    const float dx = 0.47625f, dy = 0.5f; // the MDR grid, stretched north-south
    Domain d = make_domain(1, 90.0f, -105.0f, 39.578445f, -97.42146f, dx, 114, 90);
    d.dy = dy;
    MAP_domain(&d);
    float xc, yc, x, y, gx, gy;
    MAP_tran(d.clat, d.clon, &xc, &yc); // column 56.5, row 44.5
    const float x_min = xc - 56.5f * dx, x_max = xc + 56.5f * dx, y_min = yc - 44.5f * dy,
                y_max = yc + 44.5f * dy;
    for (float col : {0.0f, 41.5f, 113.0f}) {
        for (float row : {0.0f, 17.25f, 89.0f}) {
            EXPECT_EQ(MAP_grid_tran(col, row, &x, &y), 0);
            EXPECT_NEAR(x, x_min + col * dx, 1e-4);
            EXPECT_NEAR(y, y_max - row * dy, 1e-4);
            EXPECT_EQ(MAP_grid_untran(x, y, &gx, &gy), 0);
            EXPECT_NEAR(gx, col, 1e-3);
            EXPECT_NEAR(gy, row, 1e-3);
        }
    }
    EXPECT_EQ(MAP_grid_tran(MISS, 3.0f, &x, &y), -1);
    EXPECT_EQ(MAP_grid_untran(MISS, 3.0f, &gx, &gy), -1);
    EXPECT_EQ(std::vector<float>({x, y, gx, gy}), std::vector<float>(4, MISS));
    for (double out : {2.9, 3.1}) { // spacings outside each side
        const float mx = float(out * dx), my = float(out * dy);
        EXPECT_EQ(MAP_in_grid_domain(x_min - mx, yc) + MAP_in_grid_domain(x_max + mx, yc) +
                      MAP_in_grid_domain(xc, y_min - my) + MAP_in_grid_domain(xc, y_max + my),
                  out < 3 ? 4 : 0);
    }
    EXPECT_EQ(MAP_in_grid_domain(NAN, yc), 0);
}

} // namespace

// maptran.h - the current map domain and the transforms between latitude
// and longitude, the projection plane and grid coordinates.
#ifndef MAPTRAN_H
#define MAPTRAN_H

#include "vek.h"

int MAP_domain(const Domain *domain);
int MAP_proj(int proj);
int MAP_coord(float plat, float plon);
int MAP_tran(float lat, float lon, float *x, float *y);
int MAP_untran(float x, float y, float *lat, float *lon);
int MAP_tran_center(float *x, float *y);
int MAP_set_limits();
int MAP_grid_tran(float gx, float gy, float *x, float *y);
int MAP_grid_untran(float x, float y, float *gx, float *gy);
int MAP_in_grid_domain(float x, float y);
float pot_temp(float t, float p);
// Copies the map rectangle of the current grid into LIMITS.
void MAP_get_limits(MAP_limits *limits);
// Sets the plotting viewport of the diagram projections (null: none).
void MAP_set_view(const MAP_limits *view);
void maptran_reset_state();

#endif

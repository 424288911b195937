// cty_read.h - station files, read line by line; one file is open at a time.
#ifndef CTY_READ_H
#define CTY_READ_H

#include "vekcty.h"

int CTY_open(const char *filename, int f_access, int f_type);
int CTY_read(int city_fd, CTY_data *city);
int CTY_rewind(int city_fd);
int CTY_close(int city_fd);
int CTY_open_file(const char *city_file, int *num_stats);

#endif

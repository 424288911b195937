// vekcdf.h - the netCDF access layer: one current netCDF classic file, the
// shape of the variables about to be defined and the position or range of
// the next write, over the library's version-2 interface.
#ifndef VEKCDF_H
#define VEKCDF_H

#include <netcdf.h>

#include <span>
#include <type_traits>

constexpr int CDF_MAX_DIMS = 10; // dimensions of a shape, a position or a range

// Makes VAL the current file. Returns 0.
int CDF_set_fd(int val);
// 1: the library prints its error messages and carries on; any other value:
// it is silent. The library never ends the process. Returns 0.
int CDF_print_errors(int val);
// ACCESS 0 opens an existing file read-only; 1 creates the file in define
// mode, replacing an existing one. An existing name that is not a regular
// file (a device, a directory) is never replaced: the library would remove
// it when the create fails. Returns the new current id, or -1 (the current
// id is then -1 too).
int CDF_open(const char *filename, int access);
// Defines a dimension; SIZE 0 is the unlimited one. Returns its id, or -1.
int CDF_def_dim(const char *name, long size);
// Returns the id of the dimension NAME, or -1 when there is none.
int CDF_get_dim(const char *name);
// Leaves define mode. Returns the library's result.
int CDF_end_def();
// Closes the current file, which is then -1. Returns the library's result.
int CDF_close();

// The shape of the following definitions (dimension ids, outermost first;
// none for a scalar), the position of the next single value or string, and
// the range of the next array write (start, count pairs). Each returns 0, or
// -1 when NUM does not match the values given or exceeds CDF_MAX_DIMS (the
// state is then unchanged).
int CDF_set_shape_list(int num, std::span<const long> dims);
int CDF_set_pos_list(int num, std::span<const long> index);
int CDF_set_range_list(int num, std::span<const long> pairs);

template <class... I>
int CDF_set_shape(int num, I... dims) {
    static_assert((std::is_integral_v<I> && ...), "dimension ids are integers");
    const long list[] = {static_cast<long>(dims)..., 0};
    return CDF_set_shape_list(num, {list, sizeof...(I)});
}
template <class... I>
int CDF_set_pos(int num, I... index) {
    static_assert((std::is_integral_v<I> && ...), "indexes are integers");
    const long list[] = {static_cast<long>(index)..., 0};
    return CDF_set_pos_list(num, {list, sizeof...(I)});
}
template <class... I>
int CDF_set_range(int num, I... pairs) {
    static_assert((std::is_integral_v<I> && ...), "starts and counts are integers");
    const long list[] = {static_cast<long>(pairs)..., 0};
    return CDF_set_range_list(num, {list, sizeof...(I)});
}

// Define a variable of the current shape. Each returns its id, or -1.
int CDF_def_float_var(const char *name);
int CDF_def_long_var(const char *name); // the 32-bit integer of the classic format
int CDF_def_short_var(const char *name);
int CDF_def_byte_var(const char *name);
int CDF_def_char_var(const char *name);
int CDF_def_double_var(const char *name);

// A global text attribute of the characters of VALUE. Returns the library's result.
int CDF_put_glob_att(const char *name, const char *value);
// A global attribute of one number of TYPE (NC_BYTE, NC_SHORT, NC_INT,
// NC_FLOAT). Returns the library's result.
int CDF_put_glob_num_att(const char *name, nc_type type, double value);
// The text attributes "long_name" and "units" of variable ID, each only
// when given. Returns 0, or -1 when one could not be written.
int CDF_put_base_att(int id, const char *long_name, const char *units);
// A text attribute NAME of variable ID. Returns 0 when ID is -1 (nothing
// written), else the library's result.
int CDF_put_text_att(int id, const char *name, const char *value);
// A numeric attribute NAME of variable ID: VALUES converted to TYPE
// (NC_BYTE, NC_SHORT, NC_INT, NC_FLOAT or NC_DOUBLE; at most 32 values).
// Returns 0 when ID is -1, -1 for another type or too many values, else the
// library's result.
int CDF_put_num_att(int id, const char *name, nc_type type, std::span<const double> values);

// The writes. Each does nothing and returns 0 when the current file is -1 or
// VAR is -1 (a variable whose definition failed), else the library's result.
//
// STR with its NUL along the innermost dimension, after the position.
int CDF_put_str(int var, const char *str);
// The current range from ARRAY, whose element type is the variable's.
int CDF_put_float_array(int var, const float *array);
int CDF_put_byte_array(int var, const signed char *array);
int CDF_put_short_array(int var, const short *array);
int CDF_put_char_array(int var, const char *array);
int CDF_put_int_array(int var, const int *array);
int CDF_put_double_array(int var, const double *array);
// VALUE at the current position, converted to the variable's type. A value
// that the type cannot hold is not written (the cell keeps its fill value)
// and the result is 0.
int CDF_put_long(int var, long value);

// The first library failure since the current file was created: the name of
// the failed operation in *OP (when OP is given) and the library's text for
// it; null while every operation succeeded. Opening an existing file and
// looking up a dimension are questions whose "no" is no failure.
const char *CDF_failure(const char **op);

void cdf_reset_state();

#endif

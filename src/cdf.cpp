// cdf.cpp - the netCDF access layer: short calls that define and fill one
// netCDF classic file at a time through the library's version-2 interface.
//
// State: the id of the current file, the shape of the variables about to be
// defined or the position or range of the next write (`start`, `count`,
// `ndim`), and the first library failure since the current file was opened.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <utility>

#include "file_sys.h"
#include "vekcdf.h"

namespace {

int fd = -1;              // the current file; -1 after a failed open
long start[CDF_MAX_DIMS]; // dimension ids of the shape, or start indexes
long count[CDF_MAX_DIMS]; // counts of the range
int ndim = 0;             // entries of start and count in use
const char *fail_op = ""; // the first failed operation, "" while none failed
char fail_text[128] = ""; // the library's text for it

// Notes a failed library call, keeping the first one. ERR is the errno
// saved right after the call: for system errors the version-2 interface
// keeps only NC_SYSERR, and errno tells which.
void note_failure(const char *op, int err) {
    if (fail_op[0]) return;
    fail_op = op;
    const char *text = ncerr == NC_SYSERR ? strerror(err ? err : EIO) : nc_strerror(ncerr);
    snprintf(fail_text, sizeof fail_text, "%s", text);
}

// Notes a failure with its text.
void note_text(const char *op, const char *text) {
    if (fail_op[0]) return;
    fail_op = op;
    snprintf(fail_text, sizeof fail_text, "%s", text);
}

// Checks a library result: -1 is a failure of OP.
int checked(int result, const char *op) {
    if (result == -1) note_failure(op, errno);
    return result;
}

int def_var(const char *name, nc_type type) {
    if (fd == -1 || !name) return -1;
    int dims[CDF_MAX_DIMS];
    for (int i = 0; i < ndim; ++i) dims[i] = static_cast<int>(start[i]);
    errno = 0;
    return checked(ncvardef(fd, name, type, ndim, dims), "ncvardef");
}

// The type and number of dimensions of variable VAR; false (noted as a
// failure of OP) when it cannot be asked.
bool var_kind(int var, nc_type *type, int *dims, const char *op) {
    errno = 0;
    return checked(ncvarinq(fd, var, nullptr, type, dims, nullptr, nullptr), op) != -1;
}

// Writes the current range of VAR from ARRAY of element type TYPE. The
// variable must have that type and as many dimensions as the range, since
// the library reads its memory by the variable's type and shape.
int put_array(int var, const void *array, nc_type type) {
    if (fd == -1 || var == -1) return 0;
    nc_type vtype;
    int vdims = 0;
    if (!array || !var_kind(var, &vtype, &vdims, "ncvarput")) return -1;
    if (vtype != type || vdims != ndim) {
        note_text("ncvarput", "array does not match the variable's type or shape");
        return -1;
    }
    errno = 0;
    return checked(ncvarput(fd, var, start, count, array), "ncvarput");
}

template <class T>
bool fits(long v) {
    return v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
}

} // namespace

int CDF_set_fd(int val) {
    fd = val;
    return 0;
}

int CDF_print_errors(int val) {
    ncopts = val == 1 ? NC_VERBOSE : 0;
    return 0;
}

int CDF_open(const char *filename, int access) {
    fail_op = "";
    fail_text[0] = '\0';
    fd = -1;
    ncopts &= ~NC_FATAL; // failures are answers here, never the end of the process
    if (!filename || (access != 0 && access != 1)) return -1;
    if (access == 0) {
        fd = ncopen(filename, NC_NOWRITE);
        return fd;
    }
    struct stat st;
    if (stat(filename, &st) == 0 && !S_ISREG(st.st_mode)) {
        note_text("nccreate", "not a regular file");
        return -1;
    }
    // nc_create is what nccreate calls; called directly (through the
    // file-system operations in force), it tells why it failed, which the
    // version-2 call reduces to "system error" when the library's clean-up
    // has already changed errno.
    int id = -1;
    const int status = FILE_sys().create_cdf(filename, &id);
    if (status != NC_NOERR) {
        if (ncopts & NC_VERBOSE)
            fprintf(stderr, "nccreate: filename \"%s\": %s\n", filename, nc_strerror(status));
        note_text("nccreate", nc_strerror(status));
        return -1;
    }
    fd = id;
    return fd;
}

int CDF_def_dim(const char *name, long size) {
    if (fd == -1 || !name) return -1;
    errno = 0;
    return checked(ncdimdef(fd, name, size), "ncdimdef");
}

int CDF_get_dim(const char *name) {
    if (fd == -1 || !name) return -1;
    return ncdimid(fd, name);
}

int CDF_end_def() {
    if (fd == -1) return -1;
    errno = 0;
    return checked(ncendef(fd), "ncendef");
}

int CDF_close() {
    if (fd == -1) return -1;
    errno = 0;
    const int result = checked(ncclose(fd), "ncclose");
    fd = -1;
    return result;
}

int CDF_set_shape_list(int num, std::span<const long> dims) {
    if (num < 0 || num > CDF_MAX_DIMS || static_cast<size_t>(num) != dims.size()) return -1;
    for (int i = 0; i < num; ++i) start[i] = dims[i];
    ndim = num;
    return 0;
}

int CDF_set_pos_list(int num, std::span<const long> index) {
    if (num < 0 || num > CDF_MAX_DIMS || static_cast<size_t>(num) != index.size()) return -1;
    for (int i = 0; i < num; ++i) {
        start[i] = index[i];
        count[i] = 1;
    }
    ndim = num;
    return 0;
}

int CDF_set_range_list(int num, std::span<const long> pairs) {
    if (num < 0 || num > CDF_MAX_DIMS || 2 * static_cast<size_t>(num) != pairs.size()) return -1;
    for (int i = 0; i < num; ++i) {
        start[i] = pairs[2 * i];
        count[i] = pairs[2 * i + 1];
    }
    ndim = num;
    return 0;
}

int CDF_def_float_var(const char *name) {
    return def_var(name, NC_FLOAT);
}
int CDF_def_long_var(const char *name) {
    return def_var(name, NC_INT);
}
int CDF_def_short_var(const char *name) {
    return def_var(name, NC_SHORT);
}
int CDF_def_byte_var(const char *name) {
    return def_var(name, NC_BYTE);
}
int CDF_def_char_var(const char *name) {
    return def_var(name, NC_CHAR);
}
int CDF_def_double_var(const char *name) {
    return def_var(name, NC_DOUBLE);
}

int CDF_put_glob_att(const char *name, const char *value) {
    if (fd == -1 || !name || !value) return 0;
    const size_t len = strlen(value);
    if (len > INT_MAX) return -1;
    errno = 0;
    return checked(ncattput(fd, NC_GLOBAL, name, NC_CHAR, static_cast<int>(len), value),
                   "ncattput");
}

int CDF_put_glob_num_att(const char *name, nc_type type, double value) {
    if (fd == -1 || !name) return 0;
    const signed char b = static_cast<signed char>(value);
    const short s = static_cast<short>(value);
    const int i = static_cast<int>(value);
    const float f = static_cast<float>(value);
    const void *p = type == NC_BYTE    ? static_cast<const void *>(&b)
                    : type == NC_SHORT ? static_cast<const void *>(&s)
                    : type == NC_INT   ? static_cast<const void *>(&i)
                    : type == NC_FLOAT ? static_cast<const void *>(&f)
                                       : nullptr;
    if (!p) return -1;
    errno = 0;
    return checked(ncattput(fd, NC_GLOBAL, name, type, 1, p), "ncattput");
}

int CDF_put_base_att(int id, const char *long_name, const char *units) {
    if (fd == -1 || id == -1) return 0;
    int result = 0;
    for (const auto &[name, text] : {std::pair{"long_name", long_name}, {"units", units}}) {
        if (!text) continue;
        errno = 0;
        if (checked(ncattput(fd, id, name, NC_CHAR, static_cast<int>(strlen(text)), text),
                    "ncattput") == -1)
            result = -1;
    }
    return result;
}

int CDF_put_text_att(int id, const char *name, const char *value) {
    if (fd == -1 || id == -1) return 0;
    if (!name || !value) return -1;
    errno = 0;
    return checked(ncattput(fd, id, name, NC_CHAR, static_cast<int>(strlen(value)), value),
                   "ncattput");
}

int CDF_put_num_att(int id, const char *name, nc_type type, std::span<const double> values) {
    if (fd == -1 || id == -1) return 0;
    constexpr size_t most = 32;
    if (!name || values.empty() || values.size() > most) return -1;
    signed char b[most];
    short s[most];
    int i[most];
    float f[most];
    double d[most];
    for (size_t k = 0; k < values.size(); ++k) {
        b[k] = static_cast<signed char>(values[k]);
        s[k] = static_cast<short>(values[k]);
        i[k] = static_cast<int>(values[k]);
        f[k] = static_cast<float>(values[k]);
        d[k] = values[k];
    }
    const void *p = type == NC_BYTE     ? static_cast<const void *>(b)
                    : type == NC_SHORT  ? static_cast<const void *>(s)
                    : type == NC_INT    ? static_cast<const void *>(i)
                    : type == NC_FLOAT  ? static_cast<const void *>(f)
                    : type == NC_DOUBLE ? static_cast<const void *>(d)
                                        : nullptr;
    if (!p) return -1;
    errno = 0;
    return checked(ncattput(fd, id, name, type, static_cast<int>(values.size()), p), "ncattput");
}

int CDF_put_str(int var, const char *str) {
    if (fd == -1 || var == -1) return 0;
    nc_type vtype;
    int vdims = 0;
    if (!str || !var_kind(var, &vtype, &vdims, "ncvarput")) return -1;
    if (vtype != NC_CHAR || ndim >= CDF_MAX_DIMS || vdims != ndim + 1) {
        note_text("ncvarput", "string does not match the variable's type or shape");
        return -1;
    }
    long s[CDF_MAX_DIMS], c[CDF_MAX_DIMS];
    for (int i = 0; i < ndim; ++i) {
        s[i] = start[i];
        c[i] = count[i];
    }
    s[ndim] = 0;
    c[ndim] = static_cast<long>(strlen(str)) + 1;
    errno = 0;
    return checked(ncvarput(fd, var, s, c, str), "ncvarput");
}

int CDF_put_float_array(int var, const float *array) {
    return put_array(var, array, NC_FLOAT);
}
int CDF_put_byte_array(int var, const signed char *array) {
    return put_array(var, array, NC_BYTE);
}
int CDF_put_short_array(int var, const short *array) {
    return put_array(var, array, NC_SHORT);
}
int CDF_put_char_array(int var, const char *array) {
    return put_array(var, array, NC_CHAR);
}
int CDF_put_int_array(int var, const int *array) {
    return put_array(var, array, NC_INT);
}
int CDF_put_double_array(int var, const double *array) {
    return put_array(var, array, NC_DOUBLE);
}

int CDF_put_long(int var, long value) {
    if (fd == -1 || var == -1) return 0;
    nc_type vtype;
    int vdims = 0;
    if (!var_kind(var, &vtype, &vdims, "ncvarput1")) return -1;
    if (vdims != ndim) {
        note_text("ncvarput1", "position does not match the variable's shape");
        return -1;
    }
    signed char b;
    short s;
    int i;
    float f;
    const void *p = nullptr;
    switch (vtype) {
    case NC_BYTE:
        b = static_cast<signed char>(value);
        if (fits<signed char>(value)) p = &b;
        break;
    case NC_SHORT:
        s = static_cast<short>(value);
        if (fits<short>(value)) p = &s;
        break;
    case NC_INT:
        i = static_cast<int>(value);
        if (fits<int>(value)) p = &i;
        break;
    case NC_FLOAT:
        f = static_cast<float>(value);
        p = &f;
        break;
    default:
        note_text("ncvarput1", "not a number variable");
        return -1;
    }
    if (!p) return 0;
    errno = 0;
    return checked(ncvarput1(fd, var, start, p), "ncvarput1");
}

const char *CDF_failure(const char **op) {
    if (!fail_op[0]) return nullptr;
    if (op) *op = fail_op;
    return fail_text;
}

void cdf_reset_state() {
    if (fd != -1) ncclose(fd);
    fd = -1;
    ndim = 0;
    fail_op = "";
    fail_text[0] = '\0';
}

// nc_read.h - reads netCDF files back for the tests of the netCDF layer and
// the netCDF converted file: every value of a variable and the characters
// of a char variable with the netCDF C library, and the header as ncdump
// shows it.
#ifndef NC_READ_H
#define NC_READ_H

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace vektest {

// Runs a shell command; returns its standard output and leaves its exit
// status in *STATUS.
inline std::string shell(const std::string &command, int *status) {
    std::string out;
    *status = -1;
    FILE *p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int ws = pclose(p);
    *status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
    return out;
}

// The header of a netCDF file as "ncdump -h" prints it.
inline std::string ncdump_header(const std::string &path) {
    int status = -1;
    const std::string out = shell("ncdump -h '" + path + "'", &status);
    EXPECT_EQ(status, 0) << path;
    return out;
}

class NcRead {
  public:
    explicit NcRead(const std::string &path) { status_ = nc_open(path.c_str(), NC_NOWRITE, &id_); }
    ~NcRead() {
        if (status_ == NC_NOERR) nc_close(id_);
    }
    NcRead(const NcRead &) = delete;
    NcRead &operator=(const NcRead &) = delete;
    bool ok() const { return status_ == NC_NOERR; }

    // Every value of a number variable, in storage order.
    std::vector<double> values(const char *var) const {
        int v = -1;
        std::vector<double> out(size_of(var, &v));
        EXPECT_EQ(nc_get_var_double(id_, v, out.data()), NC_NOERR) << var;
        return out;
    }

    // The characters of a char variable, in storage order.
    std::string chars(const char *var) const {
        int v = -1;
        std::string out(size_of(var, &v), '?');
        EXPECT_EQ(nc_get_var_text(id_, v, out.data()), NC_NOERR) << var;
        return out;
    }

    // The length of dimension NAME (0 when there is none).
    size_t dim(const char *name) const {
        int d = -1;
        size_t len = 0;
        if (nc_inq_dimid(id_, name, &d) == NC_NOERR) nc_inq_dimlen(id_, d, &len);
        return len;
    }

  private:
    size_t size_of(const char *var, int *v) const {
        EXPECT_EQ(nc_inq_varid(id_, var, v), NC_NOERR) << var;
        int ndims = 0, dimids[NC_MAX_VAR_DIMS];
        nc_inq_var(id_, *v, nullptr, nullptr, &ndims, dimids, nullptr);
        size_t n = 1;
        for (int i = 0; i < ndims; ++i) {
            size_t len = 0;
            nc_inq_dimlen(id_, dimids[i], &len);
            n *= len;
        }
        return n;
    }

    int id_ = -1;
    int status_ = -1;
};

} // namespace vektest

#endif

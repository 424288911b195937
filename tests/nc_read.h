// nc_read.h - netCDF files read back for the tests: every value of a
// variable with the netCDF C library, and the real clients run on them.
#ifndef NC_READ_H
#define NC_READ_H

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace vektest {

// The standard output of a shell command; its exit status in *STATUS.
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

// Whether /usr/bin/python3 has the modules the netCDF clients need, and the
// packages that give them.
constexpr const char *CLIENT_PACKAGES = "python3-netcdf4 and python3-xarray";
inline bool have_python_clients() {
    return std::system("/usr/bin/python3 -c 'import netCDF4, xarray' 2>/dev/null") == 0;
}

// Runs tests/cdf_clients.py of SOURCE with ARGS in DIR; what it printed
// (what failed, when a client failed: this check fails then too).
inline std::string cdf_client(const std::string &source, const std::string &dir,
                              const std::string &args) {
    int status = -1;
    const std::string said = shell("cd '" + dir + "' && /usr/bin/python3 " + source +
                                       "/tests/cdf_clients.py " + args + " 2>&1",
                                   &status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find("agree"), std::string::npos) << said;
    return said;
}

// Every value of number variable VAR of netCDF file PATH, in storage order.
inline std::vector<double> nc_values(const std::string &path, const char *var) {
    int id = -1, v = -1, ndims = 0, dimids[NC_MAX_VAR_DIMS];
    EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id), NC_NOERR) << path;
    EXPECT_EQ(nc_inq_varid(id, var, &v), NC_NOERR) << var;
    nc_inq_var(id, v, nullptr, nullptr, &ndims, dimids, nullptr);
    size_t n = 1, len = 0;
    for (int i = 0; i < ndims; ++i) n *= nc_inq_dimlen(id, dimids[i], &len) ? 0 : len;
    std::vector<double> out(n);
    EXPECT_EQ(nc_get_var_double(id, v, out.data()), NC_NOERR) << var;
    nc_close(id);
    return out;
}

} // namespace vektest

#endif

// nc_read.h - reads netCDF files back with the netCDF C library, for the
// tests of the access layer and of the netCDF converted file: the header as
// lines of text, every value of a variable, the rows of a char variable.
#ifndef NC_READ_H
#define NC_READ_H

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vektest {

class NcRead {
  public:
    explicit NcRead(const std::string &path) { status_ = nc_open(path.c_str(), NC_NOWRITE, &id_); }
    ~NcRead() {
        if (status_ == NC_NOERR) nc_close(id_);
    }
    NcRead(const NcRead &) = delete;
    NcRead &operator=(const NcRead &) = delete;
    bool ok() const { return status_ == NC_NOERR; }

    // "name = size" per dimension in order; the unlimited one as
    // "name = UNLIMITED (n)".
    std::vector<std::string> dims() const {
        std::vector<std::string> out;
        int n = 0, unlim = -1;
        nc_inq_ndims(id_, &n);
        nc_inq_unlimdim(id_, &unlim);
        for (int d = 0; d < n; ++d) {
            char name[NC_MAX_NAME + 1];
            size_t len = 0;
            nc_inq_dim(id_, d, name, &len);
            out.push_back(
                std::string(name) + " = " +
                (d == unlim ? "UNLIMITED (" + std::to_string(len) + ")" : std::to_string(len)));
        }
        return out;
    }

    // "type name(dim, dim) att=value ..." per variable in order.
    std::vector<std::string> vars() const {
        std::vector<std::string> out;
        int n = 0;
        nc_inq_nvars(id_, &n);
        for (int v = 0; v < n; ++v) {
            char name[NC_MAX_NAME + 1];
            nc_type type;
            int ndims = 0, dimids[NC_MAX_VAR_DIMS], natts = 0;
            nc_inq_var(id_, v, name, &type, &ndims, dimids, &natts);
            std::string line = type_name(type) + " " + name + "(";
            for (int i = 0; i < ndims; ++i) {
                char dname[NC_MAX_NAME + 1];
                nc_inq_dimname(id_, dimids[i], dname);
                line += (i ? ", " : "") + std::string(dname);
            }
            out.push_back(line + ")" + atts(v, natts));
        }
        return out;
    }

    // The global attributes as " name=value ...".
    std::string globals() const {
        int natts = 0;
        nc_inq_natts(id_, &natts);
        return atts(NC_GLOBAL, natts);
    }

    // Every value of a number variable, in storage order.
    std::vector<double> values(const char *var) const {
        int v = -1;
        size_t n = size_of(var, &v);
        std::vector<double> out(n);
        EXPECT_EQ(nc_get_var_double(id_, v, out.data()), NC_NOERR) << var;
        return out;
    }

    // The characters of a char variable, in storage order.
    std::string chars(const char *var) const {
        int v = -1;
        size_t n = size_of(var, &v);
        std::string out(n, '?');
        EXPECT_EQ(nc_get_var_text(id_, v, out.data()), NC_NOERR) << var;
        return out;
    }

    // The length of dimension NAME.
    size_t dim(const char *name) const {
        int d = -1;
        size_t len = 0;
        if (nc_inq_dimid(id_, name, &d) == NC_NOERR) nc_inq_dimlen(id_, d, &len);
        return len;
    }

    static std::string type_name(nc_type t) {
        switch (t) {
        case NC_BYTE:
            return "byte";
        case NC_CHAR:
            return "char";
        case NC_SHORT:
            return "short";
        case NC_INT:
            return "int";
        case NC_FLOAT:
            return "float";
        default:
            return "other";
        }
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

    std::string atts(int v, int natts) const {
        std::string line;
        for (int a = 0; a < natts; ++a) {
            char name[NC_MAX_NAME + 1];
            nc_type type;
            size_t len = 0;
            nc_inq_attname(id_, v, a, name);
            nc_inq_att(id_, v, name, &type, &len);
            line += std::string(" ") + name + "=";
            if (type == NC_CHAR) {
                std::string text(len, '\0');
                nc_get_att_text(id_, v, name, text.data());
                line += "\"" + text + "\"";
            } else {
                std::vector<double> vals(len);
                nc_get_att_double(id_, v, name, vals.data());
                char num[48];
                snprintf(num, sizeof num, "(%s)%g", type_name(type).c_str(), len ? vals[0] : 0.0);
                line += num;
            }
        }
        return line;
    }

    int id_ = -1;
    int status_ = -1;
};

} // namespace vektest

#endif

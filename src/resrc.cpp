// resrc.cpp - the resource store: named text values that configure every
// program of the package, kept in the order of their first creation, and the
// command line the program was given.
//
// State: the store (a list in order of first creation behind a sentinel,
// indexed by name) and the kept command line.

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "mess.h"
#include "resrc.h"
#include "vekstr.h"

namespace {

res_obj root_res = {-9999, nullptr, nullptr, CV_none, nullptr};
res_obj *last = &root_res;
// The stored resources by name (views of their own names), so that a
// lookup costs the same however many there are: reading a defaults file
// stays linear in its size.
std::unordered_map<std::string_view, res_obj *> by_name;
int clargc = 0;
char **clargv = nullptr;

res_obj *find(const char *name) {
    if (!name) return nullptr;
    auto it = by_name.find(name);
    return it == by_name.end() ? nullptr : it->second;
}

char *dup_or_null(const char *s, bool *failed) {
    *failed = false;
    if (!s) return nullptr;
    char *copy = strdup(s);
    if (!copy) *failed = true;
    return copy;
}

} // namespace

int RES_new(int index, const char *name, const char *data, DEF_convert cvt) {
    if (!name) return -1;
    bool failed;
    char *copy = dup_or_null(data, &failed);
    if (failed) return -1;
    res_obj *r = find(name);
    if (r) {
        free(r->data);
        r->data = copy;
        r->cvt = cvt;
        r->index = index;
        return 0;
    }
    r = static_cast<res_obj *>(calloc(1, sizeof(res_obj)));
    char *name_copy = strdup(name);
    if (!r || !name_copy) {
        free(r);
        free(name_copy);
        free(copy);
        return -1;
    }
    r->index = index;
    r->name = name_copy;
    r->data = copy;
    r->cvt = cvt;
    try {
        by_name.emplace(r->name, r);
    } catch (...) { // out of memory: the resource is not stored
        free(name_copy);
        free(copy);
        free(r);
        return -1;
    }
    last->next = r;
    last = r;
    return 0;
}

int RES_append(int index, const char *name, const char *data, DEF_convert cvt) {
    res_obj *r = find(name);
    if (!r) return RES_new(index, name, data, cvt);
    if (!data) return 0;
    if (!r->data) {
        char *copy = strdup(data);
        if (!copy) return -1;
        r->data = copy;
        return 0;
    }
    size_t a = strlen(r->data), b = strlen(data);
    char *joined = static_cast<char *>(malloc(a + b + 2));
    if (!joined) return -1;
    memcpy(joined, r->data, a);
    joined[a] = '\n';
    memcpy(joined + a + 1, data, b + 1);
    free(r->data);
    r->data = joined;
    return 0;
}

int RES_put(const char *name, const char *value) {
    return RES_new(-9999, name, value, CV_string);
}

const char *RES_get(const char *name) {
    const res_obj *r = find(name);
    if (!r) return nullptr;
    return r->data ? r->data : "";
}

int RES_getvals(const char *name, int *paramc, char ***paramv) {
    if (paramc) *paramc = 0;
    if (paramv) *paramv = nullptr;
    const res_obj *r = find(name);
    if (!r || !paramv) return 0;
    int count = 0;
    parse_string(r->data, r->cvt == CV_strings ? '\n' : ',', &count, paramv);
    if (paramc) *paramc = count;
    return count;
}

int RES_list() {
    for (const res_obj *r = root_res.next; r; r = r->next) {
        if (r->data)
            MESS_print(M_PRINT_D, "%s: %s\n", r->name, r->data);
        else
            MESS_print(M_PRINT_D, "%s:\n", r->name);
    }
    return 0;
}

int RES_setCL(int argc, char **argv) {
    clargc = argc;
    clargv = argv;
    return 1;
}

const char *RES_get_prog() {
    return (clargv && clargc > 0) ? clargv[0] : nullptr;
}

char *RES_get_progname(char *prog, size_t cap) {
    const char *path = RES_get_prog();
    const char *base = "VEK";
    if (path) {
        const char *slash = strrchr(path, '/');
        base = slash ? slash + 1 : path;
    }
    if (!prog) {
        char *copy = strdup(base);
        return copy ? copy : strdup("VEK");
    }
    vek_strlcpy(prog, base, cap);
    return prog;
}

const res_obj *RES_all() {
    return root_res.next;
}

void resrc_reset_state() {
    res_obj *r = root_res.next;
    while (r) {
        res_obj *next = r->next;
        free(r->name);
        free(r->data);
        free(r);
        r = next;
    }
    root_res.next = nullptr;
    last = &root_res;
    by_name.clear();
    clargc = 0;
    clargv = nullptr;
}

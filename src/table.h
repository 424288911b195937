// table.h - the hash table of the package library: fixed-size records stored
// under one to four string keys and walked in the order they were entered.
#ifndef TABLE_H
#define TABLE_H

#include "vek.h"

int TAB_key(const TAB_table *tab, const char *key);
int TAB_init(TAB_table *tab);
int TAB_create(TAB_table *tab, int tsize, int dsize, int nkey);
int TAB_enter_keys(TAB_table *tab, const void *data, const char *const *keys, int nkeys);
// Enters a copy of the record under exactly numkey keys, in key order.
template <class... Keys>
int TAB_enter(TAB_table *tab, const void *data, Keys... keys) {
    const char *const list[] = {static_cast<const char *>(keys)...};
    return TAB_enter_keys(tab, data, list, static_cast<int>(sizeof...(Keys)));
}
char *TAB_search(TAB_table *tab, int keynum, const char *key);
char *TAB_first(TAB_table *tab);
char *TAB_next(TAB_table *tab);
// Releases everything the table owns and leaves it empty.
void TAB_free(TAB_table *tab);

#endif

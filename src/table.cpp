// table.cpp - a fixed-slot hash table that stores record copies under one to
// four string keys and walks them in the order they were entered.
//
// The table owns its slots, chained entries, key copies and one copy of each
// record; the entries of all keys of one record share that copy, which
// belongs to the first key's entry. Nothing is ever removed singly.
//
// Each key's slot array is one block: the tab_size slots, then one pointer
// per slot to the last entry of its chain, so that entering a record costs
// the same however many records share its key or its slot.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "table.h"

namespace {

constexpr int MAX_KEYS = 4;
constexpr uint64_t HASH_MOD = 35177;

bool usable(const TAB_table *tab) {
    return tab && tab->tab_size > 0 && tab->table[0];
}

// The chain ends of key I's slots, kept behind its slot array.
TAB_entry **chain_ends(const TAB_table *tab, int i) {
    return reinterpret_cast<TAB_entry **>(tab->table[i] + tab->tab_size);
}

char *copy_key(const char *key) {
    const size_t n = std::strlen(key) + 1;
    char *copy = static_cast<char *>(std::malloc(n));
    if (copy) std::memcpy(copy, key, n);
    return copy;
}

} // namespace

// The slot index of KEY: a hash over its bytes (taken as signed, as the table
// has always hashed them), modulo the slot count. 0 for an unusable table.
int TAB_key(const TAB_table *tab, const char *key) {
    if (!tab || tab->tab_size <= 0 || !key) return 0;
    uint64_t h = 0;
    for (const char *p = key; *p; p++) {
        const auto c = static_cast<int64_t>(static_cast<signed char>(*p));
        h = (h * 257 + static_cast<uint64_t>(c)) % HASH_MOD;
    }
    return static_cast<int>(h % static_cast<uint64_t>(tab->tab_size));
}

// Clears the table record without releasing anything it may point to.
int TAB_init(TAB_table *tab) {
    if (!tab) return -1;
    tab->tab_size = 0;
    tab->data_size = 0;
    tab->data_ptr = nullptr;
    tab->head_ptr = nullptr;
    tab->last_ptr = nullptr;
    tab->num_entry = 0;
    tab->numkey = 0;
    for (TAB_entry *&t : tab->table) t = nullptr;
    return 0;
}

// Sets up an empty table of TSIZE slots (at least 1) per key for NKEY keys
// (1 to 4) and records of DSIZE bytes. Returns 0, or -1 for bad sizes or
// when memory runs out (the table is then left empty).
int TAB_create(TAB_table *tab, int tsize, int dsize, int nkey) {
    if (!tab) return -1;
    TAB_init(tab);
    if (nkey < 1 || nkey > MAX_KEYS || dsize < 0) return -1;
    if (tsize < 1) tsize = 1;
    for (int i = 0; i < nkey; i++) {
        const size_t bytes = size_t(tsize) * (sizeof(TAB_entry) + sizeof(TAB_entry *));
        tab->table[i] = static_cast<TAB_entry *>(std::calloc(1, bytes));
        if (!tab->table[i]) {
            for (int j = 0; j < i; j++) std::free(tab->table[j]);
            TAB_init(tab);
            return -1;
        }
    }
    tab->tab_size = tsize;
    tab->data_size = dsize;
    tab->numkey = nkey;
    return 0;
}

// Enters a copy of the record at DATA under exactly numkey keys. Everything
// the entry needs is allocated before anything is linked, so a failure (-1)
// leaves the table as it was. Duplicate keys are kept; searches find the
// record entered first.
int TAB_enter_keys(TAB_table *tab, const void *data, const char *const *keys, int nkeys) {
    if (!usable(tab) || !data || !keys || nkeys != tab->numkey) return -1;
    for (int i = 0; i < nkeys; i++)
        if (!keys[i]) return -1;

    int slot_of[MAX_KEYS] = {};
    TAB_entry *target[MAX_KEYS] = {};
    bool fresh[MAX_KEYS] = {};
    char *key_copy[MAX_KEYS] = {};
    char *block = static_cast<char *>(std::malloc(tab->data_size > 0 ? size_t(tab->data_size) : 1));
    bool ok = block != nullptr;
    for (int i = 0; ok && i < nkeys; i++) {
        slot_of[i] = TAB_key(tab, keys[i]);
        TAB_entry *slot = &tab->table[i][slot_of[i]];
        if (!slot->key) {
            target[i] = slot;
        } else {
            target[i] = static_cast<TAB_entry *>(std::calloc(1, sizeof(TAB_entry)));
            fresh[i] = target[i] != nullptr;
            ok = fresh[i];
        }
        if (ok) {
            key_copy[i] = copy_key(keys[i]);
            ok = key_copy[i] != nullptr;
        }
    }
    if (!ok) {
        for (int i = 0; i < nkeys; i++) {
            std::free(key_copy[i]);
            if (fresh[i]) std::free(target[i]);
        }
        std::free(block);
        return -1;
    }

    std::memcpy(block, data, size_t(tab->data_size));
    for (int i = 0; i < nkeys; i++) {
        TAB_entry *e = target[i];
        e->key = key_copy[i];
        e->data = block;
        TAB_entry *&end = chain_ends(tab, i)[slot_of[i]];
        if (fresh[i]) end->link = e;
        end = e;
    }
    TAB_entry *first = target[0];
    if (tab->num_entry == 0) {
        tab->head_ptr = first;
    } else {
        tab->last_ptr->next = first;
    }
    tab->last_ptr = first;
    tab->num_entry++;
    return 0;
}

// Finds the record entered first under KEY as key number KEYNUM (from 1).
// Returns null for an unusable table, a key number out of range, or no match.
char *TAB_search(TAB_table *tab, int keynum, const char *key) {
    if (!usable(tab) || !key || keynum < 1 || keynum > tab->numkey) return nullptr;
    for (TAB_entry *e = &tab->table[keynum - 1][TAB_key(tab, key)]; e && e->key; e = e->link)
        if (std::strcmp(e->key, key) == 0) return e->data;
    return nullptr;
}

// Puts the walk back at the first record entered and returns that record
// without moving past it (the next TAB_next returns it again).
char *TAB_first(TAB_table *tab) {
    if (!tab) return nullptr;
    tab->data_ptr = tab->head_ptr;
    return tab->data_ptr ? tab->data_ptr->data : nullptr;
}

// The record at the walk's position, which then moves on; null at the end.
char *TAB_next(TAB_table *tab) {
    if (!tab || tab->tab_size == 0 || !tab->data_ptr) return nullptr;
    char *data = tab->data_ptr->data;
    tab->data_ptr = tab->data_ptr->next;
    return data;
}

void TAB_free(TAB_table *tab) {
    if (!tab) return;
    for (int i = 0; i < MAX_KEYS; i++) {
        TAB_entry *slots = tab->table[i];
        if (!slots) continue;
        for (int s = 0; s < tab->tab_size; s++) {
            TAB_entry *e = &slots[s];
            std::free(e->key);
            if (i == 0) std::free(e->data);
            for (TAB_entry *c = e->link; c;) {
                TAB_entry *after = c->link;
                std::free(c->key);
                if (i == 0) std::free(c->data);
                std::free(c);
                c = after;
            }
        }
        std::free(slots);
    }
    TAB_init(tab);
}

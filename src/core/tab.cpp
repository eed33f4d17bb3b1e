// Hash tables: fixed-size records with string keys, found under up to four independent key slots
// and walked in the order in which they were entered.
//
// Each key slot has an array of tab_size bucket heads stored inline; further entries of a bucket
// are allocated one by one and chained through link.  All key slots of a record point to one
// record copy; the key-slot-1 entries are chained through next in order of entry.
//
// A record is appended at the end of its chain, so that a search finds the first record entered
// under a key.  The last entry of every chain is remembered beside the table (from TAB_create
// to TAB_clear), so that entering stays quick however long a chain grows: many records under
// one key, or far more records than buckets.
#include "vykstr.h"
#include "vyktab.h"
#include "vykscan.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

// The component's state: the last entry of each chain, per bucket array (NULL: the chain is
// its head alone or empty).  Made on first use and never destroyed, since tables may be made
// and cleared while other files' statics are built or torn down.
struct State {
    std::unordered_map<const TAB_entry *, std::vector<TAB_entry *>> ends;
};
State &state()
{
    static auto *st = new State;
    return *st;
}

/// Starts remembering the chain ends of a new bucket array (nothing remembered when no
/// storage can be had: the chains are then walked).
void track_chains(const TAB_entry *buckets, int tab_size)
{
    try {
        state().ends[buckets].assign(static_cast<size_t>(tab_size), nullptr);
    } catch (const std::bad_alloc &) {
        state().ends.erase(buckets);
    }
}

/// The last entry of bucket b of a key slot's array.
TAB_entry *chain_end(TAB_entry *buckets, int b)
{
    TAB_entry *e = &buckets[b];
    const auto it = state().ends.find(buckets);
    if (it != state().ends.end() && static_cast<size_t>(b) < it->second.size() && it->second[b])
        e = it->second[b];
    while (e->key && e->link) e = e->link;
    return e;
}

void set_chain_end(const TAB_entry *buckets, int b, TAB_entry *e)
{
    const auto it = state().ends.find(buckets);
    if (it != state().ends.end() && static_cast<size_t>(b) < it->second.size()) it->second[b] = e;
}

/// The bucket array of a key slot counted from 1, or NULL when the slot or the table is unusable.
TAB_entry *slot_buckets(const TAB_table *tab, int slot)
{
    if (!tab || tab->tab_size <= 0 || slot < 1 || slot > tab->numkey || slot > TAB_MAX_KEYS) return nullptr;
    return tab->table[slot - 1];
}

}  // namespace

int TAB_init(TAB_table *tab)
{
    if (!tab) return -1;
    // The sizes and bucket arrays are cleared too, so that a table that was only initialised
    // answers every search with nothing instead of following stale pointers.
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

int TAB_create(TAB_table *tab, int tab_size, int data_size, int numkey)
{
    if (TAB_init(tab) != 0) return -1;
    if (numkey < 1 || numkey > TAB_MAX_KEYS || data_size < 0) return -1;
    if (tab_size < 1) tab_size = 1;
    for (int k = 0; k < numkey; k++) {
        tab->table[k] = static_cast<TAB_entry *>(calloc(static_cast<size_t>(tab_size), sizeof(TAB_entry)));
        if (!tab->table[k]) {
            for (int j = 0; j < k; j++) {
                state().ends.erase(tab->table[j]);
                free(tab->table[j]);
                tab->table[j] = nullptr;
            }
            return -1;
        }
        track_chains(tab->table[k], tab_size);
    }
    tab->tab_size = tab_size;
    tab->data_size = data_size;
    tab->numkey = numkey;
    return 0;
}

int TAB_key(const TAB_table *tab, const char *key)
{
    if (!tab || tab->tab_size <= 0 || !key) return 0;
    uint64_t h = 0;
    for (const char *p = key; *p; p++) {
        // Each character counts as a signed byte; unsigned arithmetic wraps, so a negative
        // byte at the start is well defined.
        const uint64_t c = static_cast<uint64_t>(static_cast<int64_t>(static_cast<signed char>(*p)));
        h = (h * 257u + c) % 35177u;
    }
    return static_cast<int>(h % static_cast<uint64_t>(tab->tab_size));
}

int TAB_enter(TAB_table *tab, const void *data, ...)
{
    if (!tab || !data || tab->numkey < 1 || tab->numkey > TAB_MAX_KEYS || tab->tab_size <= 0) return -1;
    const int numkey = tab->numkey;
    for (int k = 0; k < numkey; k++)
        if (!tab->table[k]) return -1;

    const char *keys[TAB_MAX_KEYS] = {};
    va_list ap;
    va_start(ap, data);
    for (int k = 0; k < numkey; k++) keys[k] = va_arg(ap, const char *);
    va_end(ap);
    for (int k = 0; k < numkey; k++)
        if (!keys[k]) return -1;

    // Everything the record needs is allocated before anything is linked in, so that running
    // out of memory leaves the table exactly as it was.
    TAB_entry *target[TAB_MAX_KEYS] = {};  // the free bucket head, or the chain's last entry
    int bucket[TAB_MAX_KEYS] = {};
    TAB_entry *fresh[TAB_MAX_KEYS] = {};   // a new chained entry, when the bucket is taken
    char *key_copy[TAB_MAX_KEYS] = {};
    void *record = nullptr;
    bool failed = false;
    for (int k = 0; k < numkey && !failed; k++) {
        bucket[k] = TAB_key(tab, keys[k]);
        TAB_entry *e = chain_end(tab->table[k], bucket[k]);
        target[k] = e;
        if (e->key) {
            fresh[k] = static_cast<TAB_entry *>(malloc(sizeof(TAB_entry)));
            if (!fresh[k]) failed = true;
        }
        if (!failed) {
            key_copy[k] = create_string(keys[k]);
            if (!key_copy[k]) failed = true;
        }
    }
    if (!failed) {
        record = malloc(tab->data_size > 0 ? static_cast<size_t>(tab->data_size) : 1u);
        if (!record) failed = true;
    }
    if (failed) {
        for (int k = 0; k < numkey; k++) {
            free(fresh[k]);
            free(key_copy[k]);
        }
        free(record);
        return -1;
    }
    if (tab->data_size > 0) memcpy(record, data, static_cast<size_t>(tab->data_size));

    TAB_entry *first = nullptr;
    for (int k = 0; k < numkey; k++) {
        TAB_entry *e = target[k];
        if (fresh[k]) {
            e->link = fresh[k];
            e = fresh[k];
            e->link = nullptr;
        }
        e->next = nullptr;
        e->key = key_copy[k];
        e->data = record;
        set_chain_end(tab->table[k], bucket[k], e);
        if (k == 0) first = e;
    }
    if (!tab->head_ptr)
        tab->head_ptr = first;
    else
        tab->last_ptr->next = first;
    tab->last_ptr = first;
    tab->num_entry++;
    return 0;
}

void *TAB_search(const TAB_table *tab, int slot, const char *key)
{
    const TAB_entry *bucket = slot_buckets(tab, slot);
    if (!bucket || !key) return nullptr;
    for (const TAB_entry *e = &bucket[TAB_key(tab, key)]; e && e->key; e = e->link)
        if (strcmp(e->key, key) == 0) return e->data;
    return nullptr;
}

int TAB_searches(const TAB_table *tab, int slot, const char *key, void **out, int max)
{
    const TAB_entry *bucket = slot_buckets(tab, slot);
    if (!bucket || !key || !out || max <= 0) return 0;
    int n = 0;
    for (const TAB_entry *e = &bucket[TAB_key(tab, key)]; e && e->key && n < max; e = e->link)
        if (strcmp(e->key, key) == 0) out[n++] = e->data;
    return n;
}

int TAB_first(TAB_table *tab)
{
    if (!tab) return -1;
    tab->data_ptr = tab->head_ptr;
    return 0;
}

void *TAB_next(TAB_table *tab)
{
    if (!tab || tab->tab_size <= 0 || !tab->table[0] || !tab->data_ptr) return nullptr;
    void *data = tab->data_ptr->data;
    tab->data_ptr = tab->data_ptr->next;
    return data;
}

int TAB_clear(TAB_table *tab)
{
    if (!tab) return -1;
    for (int k = 0; k < TAB_MAX_KEYS; k++) {
        TAB_entry *bucket = tab->table[k];
        if (!bucket) continue;
        state().ends.erase(bucket);
        for (int b = 0; b < tab->tab_size; b++) {
            TAB_entry *head = &bucket[b];
            free(head->key);
            if (k == 0) free(head->data);  // every record has exactly one key-slot-1 entry
            for (TAB_entry *e = head->link; e;) {
                TAB_entry *next = e->link;
                free(e->key);
                if (k == 0) free(e->data);
                free(e);
                e = next;
            }
        }
        free(bucket);
        tab->table[k] = nullptr;
    }
    // Sizes and counts stay as they were; nothing points into released memory any more.
    tab->data_ptr = nullptr;
    tab->head_ptr = nullptr;
    tab->last_ptr = nullptr;
    return 0;
}

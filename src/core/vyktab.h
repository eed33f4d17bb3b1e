// vyktab.h: hash tables of records under up to four keys (tab.cpp).
#ifndef VYKTAB_H
#define VYKTAB_H

constexpr int TAB_MAX_KEYS = 4;

struct TAB_entry {
    char *key;        // the entry's own copy of its key; NULL in an empty bucket head
    void *data;       // the record copy, shared by all key slots of one record
    TAB_entry *link;  // next entry of the same bucket
    TAB_entry *next;  // next record in order of entry (key slot 1 only)
};

struct TAB_table {
    int tab_size;                    // buckets per key slot
    int data_size;                   // bytes of one record
    TAB_entry *data_ptr;             // iteration cursor
    TAB_entry *head_ptr;             // first entered record (key slot 1)
    TAB_entry *last_ptr;             // last entered record (key slot 1)
    int num_entry;                   // records entered
    int numkey;                      // key slots, 1 to 4
    TAB_entry *table[TAB_MAX_KEYS];  // per key slot, tab_size bucket heads
};

int TAB_init(TAB_table *tab);
int TAB_create(TAB_table *tab, int tab_size, int data_size, int numkey);
int TAB_key(const TAB_table *tab, const char *key);
int TAB_enter(TAB_table *tab, const void *data, ...);
void *TAB_search(const TAB_table *tab, int slot, const char *key);
int TAB_searches(const TAB_table *tab, int slot, const char *key, void **out, int max);
int TAB_first(TAB_table *tab);
void *TAB_next(TAB_table *tab);
int TAB_clear(TAB_table *tab);

#endif

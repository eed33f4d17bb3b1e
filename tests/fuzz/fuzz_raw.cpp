// Fuzz target of the point-data reader: the input is read as a header file and as a headerless
// one, line by line by column number and by name and value by value; every report holds
// terminated texts within their fields, the field list stays within its 75 entries, and the
// reads end.
#include "dadodu.h"
#include "fuzz_util.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr int MAX_CALLS = 2000;

void check(const RAW_report &r)
{
    if (!std::memchr(r.id, 0, sizeof r.id) || !std::memchr(r.data, 0, sizeof r.data) ||
        !std::memchr(r.format, 0, sizeof r.format))
        vykfuzz::fail("a report text not terminated");
}

void read_all(int slot, const char *designator)
{
    RAW_report r{};
    int calls = 0;
    for (int line = 0; calls < MAX_CALLS; calls++) {
        const int got = RAW_read(slot, &r, designator, &line);
        if (got < 0) break;
        check(r);
        if (designator != RAW_field(RAW_FIELD_EACH) || got == 0) line++;
    }
    if (calls == MAX_CALLS) vykfuzz::fail("the reads do not end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, data, size);
    for (int type : {RAW_TYPE_HEADER, RAW_TYPE_PLAIN}) {
        int t = type;
        std::string name = path;
        const int slot = RAW_open(name.data(), RAW_READ, &t);
        if (slot < 0) vykfuzz::fail("the file does not open");
        RAW_info info{};
        RAW_getinfo(slot, &info);
        if (!std::memchr(info.datim, 0, sizeof info.datim) || !std::memchr(info.info, 0, sizeof info.info))
            vykfuzz::fail("a header text not terminated");
        if (RAW_get_num_field(slot) < 0 || RAW_get_num_field(slot) > RAW_FIELDS)
            vykfuzz::fail("field count out of range");
        read_all(slot, RAW_field(RAW_FIELD_EACH));
        read_all(slot, RAW_field(RAW_FIELD_DATA + 1));
        read_all(slot, "t");
        read_all(slot, RAW_field(RAW_FIELD_ID));
        for (int k = 0; k < RAW_get_num_field(slot); k++) {
            const char *name_k = RAW_get_field_name(slot, RAW_field(RAW_FIELD_DATA - 3 + k));
            if (name_k && std::strlen(name_k) >= RAW_FIELD_NAME_LEN) vykfuzz::fail("entry name too long");
        }
        RAW_close(slot);
    }
    return 0;
}

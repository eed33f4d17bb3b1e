// The table runner of the output-fault tests: every writer of a table tried on every output
// fault (a full file system, one with a little room left, a full device), each as a user runs
// it from a shell.
#ifndef OUTPUT_FAULT_H
#define OUTPUT_FAULT_H

#include <gtest/gtest.h>

#include "test_util.h"

#include <string>
#include <vector>

namespace vyktest {

/// One writer: a shell line in which {} stands for the output file (quoted when it is put in).
struct FaultWriter {
    std::string what;
    std::string command;
    bool beyond_room = true;  // writes more than the short disk's room (else it fits there)
};

/// Expects every writer to fail on every fault, naming its output and leaving no cut file (a
/// device node stays as it was); a writer that fits in the short disk's room meets only the
/// full disk and the device.  Faults that cannot be made here are skipped with a message once
/// the others have been tried.
inline void expect_outputs_fail_cleanly(const std::vector<FaultWriter> &writers)
{
    std::string missing;
    for (const FaultWriter &w : writers) {
        for (OutputFault fault : OUTPUT_FAULTS) {
            if (fault == OutputFault::short_disk && !w.beyond_room) continue;
            SCOPED_TRACE(w.what + " on a " + fault_name(fault));
            auto line = [&](const std::string &path) {
                std::string text = w.command;
                text.replace(text.find("{}"), 2, quote(path));
                return text;
            };
            const std::string result = run_on_output_fault(fault, "out", line);
            if (result.empty()) {
                if (missing.find(fault_name(fault)) == std::string::npos)
                    missing += std::string(missing.empty() ? "" : ", ") + fault_name(fault);
                continue;
            }
            EXPECT_EQ(result, fault == OutputFault::full_device ? "failed named kept"
                                                                : "failed named gone");
        }
    }
    if (!missing.empty()) GTEST_SKIP() << "cannot be made here: " << missing;
}

}  // namespace vyktest

#endif

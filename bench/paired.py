# Times two commands as whole processes in alternating pairs (A B, then B A, ...) and prints
# the medians: "WALL_A WALL_B RATIO CPU_A CPU_B RATIO_LO RATIO_HI CPU_RATIO" (milliseconds;
# RATIO is the median of the pairs' wall-time ratios A/B, RATIO_LO and RATIO_HI the least and
# the largest, CPU_RATIO the median of the pairs' processor-time ratios A/B).
# CPU is user + system time of the process and the children it waited for.  The commands'
# output is dropped; a command that fails stops the run with its status.
#
# Usage: python3 paired.py PAIRS COMMAND_A... -- COMMAND_B...
import os
import statistics
import subprocess
import sys
import time


def run(cmd):
    t = time.perf_counter()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, use = os.wait4(p.pid, 0)
    wall = (time.perf_counter() - t) * 1000
    if status != 0:
        sys.exit("paired.py: %s failed (status %d)" % (cmd[0], os.waitstatus_to_exitcode(status)))
    return wall, (use.ru_utime + use.ru_stime) * 1000


def main():
    pairs = int(sys.argv[1])
    cut = sys.argv.index("--")
    a, b = sys.argv[2:cut], sys.argv[cut + 1:]
    run(a), run(b)  # caches warm, neither timed
    wa, wb, ca, cb, ratio, cpu_ratio = [], [], [], [], [], []
    for i in range(pairs):
        if i % 2 == 0:
            ta, tb = run(a), run(b)
        else:
            tb, ta = run(b), run(a)
        wa.append(ta[0]), wb.append(tb[0]), ca.append(ta[1]), cb.append(tb[1])
        ratio.append(ta[0] / tb[0])
        cpu_ratio.append(ta[1] / tb[1] if tb[1] > 0 else float("inf"))
    med = statistics.median
    print("%.2f %.2f %.4f %.2f %.2f %.4f %.4f %.4f"
          % (med(wa), med(wb), med(ratio), med(ca), med(cb), min(ratio), max(ratio),
             med(cpu_ratio)))


if __name__ == "__main__":
    main()

#pragma once
// The memory of this process, as /proc/self/status tells it.

namespace vek::test {

// The value of one /proc/self/status line, named by its key ("VmRSS:" resident, "VmHWM:" the
// resident peak so far), in MB; 0 when it cannot be read.
double processMemoryMb(const char* key);

} // namespace vek::test

#pragma once

// This process's resident memory, for the tests that bound what hostile or large pictures may cost.

namespace test_support {

// VmRSS of /proc/self/status in MB; 0 when it cannot be read.
double residentMegabytes();

}  // namespace test_support

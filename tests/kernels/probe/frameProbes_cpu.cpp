// The test probes on the CPU backend.
#define ZT_BACKEND_CPU 1
#include "tests/kernels/probe/frameProbes.cu"

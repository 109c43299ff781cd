// The CPU backend: the kernels of ztNodes.cu on Thrust's OpenMP system, in
// namespace zt::cpu.
#define ZT_BACKEND_CPU 1
#include "kernels/ztNodes.cu"

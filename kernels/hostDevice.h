#pragma once
// ZT_HD marks functions that run on the host and, in the CUDA build, on the
// device: every kernel body and every helper a kernel body calls.

#if defined(__CUDACC__)
#define ZT_HD __host__ __device__
#else
#define ZT_HD
#endif

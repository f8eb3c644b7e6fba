#pragma once
// The calculations that the windows run on worker threads (the Moon planner's
// track, the spectrum view's ray traces) are plain SSE arithmetic and the
// math library's sin, cos and exp. On x86-64 something in the window's
// start-up (seen with Qt 6.4) leaves the upper halves of the AVX registers
// in use, and while they are, every such instruction waits on them: the
// Moon's ephemeris then runs eight times slower and a loop of sines twenty
// times. A thread starts with the registers of the thread that made it, so
// each one clears them before it computes.

namespace quillmere {

// Marks the upper halves of the AVX registers unused (VZEROUPPER) on a
// processor that has them; elsewhere does nothing.
inline void ClearUpperVectorState() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper" ::: "memory");
#endif
}

}  // namespace quillmere

#pragma once
// Processor time for benchmarks: the machine they run on is often shared, so wall time
// mostly measures the neighbours. Peers run as child processes are measured by the
// processor time of the reaped children.
#include <sys/resource.h>
#include <time.h>

namespace tavrik::cpu_time {

// Seconds of processor time of the calling thread.
inline double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Seconds of processor time (user and system) of the child processes reaped so far.
inline double childSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

}  // namespace tavrik::cpu_time

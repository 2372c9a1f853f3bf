// Calls per second of the navigation routines that run on every go-to and alarm tick
// and on every mouse move over the chart, and the heap allocations they make (none).

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/Rhumb.hpp>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "geo/nav_math.h"

namespace {

// Heap allocations are counted only while a timed loop runs.
bool g_counting = false;
long g_allocations = 0;

void* countedAlloc(std::size_t n) {
  if (g_counting) ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) { return countedAlloc(n); }
void* operator new[](std::size_t n) { return countedAlloc(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (g_counting) ++g_allocations;
  return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  if (g_counting) ++g_allocations;
  return std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using tavrik::CalcRecord;

// A varied table: every quadrant, both hemispheres, the date line, short and long
// distances, the meridian and parallel cases.
std::vector<CalcRecord> inputTable() {
  std::vector<CalcRecord> t;
  unsigned long long s = 0x9E3779B97F4A7C15ull;
  auto next = [&s] {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<double>(s % 2000001ull) / 1000000.0 - 1.0;  // -1..1
  };
  for (int i = 0; i < 4096; ++i) {
    CalcRecord r;
    r.Lat1 = next() * 75;
    r.Lon1 = next() * 180;
    const double reach = (i % 4 == 0) ? 0.02 : (i % 4 == 1) ? 1 : (i % 4 == 2) ? 10 : 60;
    r.Lat2 = r.Lat1 + next() * reach;
    if (r.Lat2 > 80) r.Lat2 = 80;
    if (r.Lat2 < -80) r.Lat2 = -80;
    r.Lon2 = r.Lon1 + next() * reach * 2;
    if (r.Lon2 > 180) r.Lon2 -= 360;
    if (r.Lon2 < -180) r.Lon2 += 360;
    if (i % 64 == 0) r.Lat2 = r.Lat1;  // along a parallel
    if (i % 64 == 1) r.Lon2 = r.Lon1;  // along a meridian
    r.Course = (next() + 1) * 180;
    if (r.Course >= 360) r.Course = 0;
    if (i % 64 == 2) r.Course = 90;
    if (i % 64 == 3) r.Course = 270;
    r.Distance = (next() + 1) * reach * 60;
    t.push_back(r);
  }
  return t;
}

volatile double g_sink = 0;

// Seconds of processor time of this thread: the figure is per core, whatever else
// the machine is doing.
double threadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <typename Routine>
double callsPerSecond(const std::vector<CalcRecord>& table, Routine routine, long& allocations) {
  std::vector<CalcRecord> work = table;  // allocated before counting starts
  const std::size_t n = work.size();
  long calls = 0;
  double sum = 0;
  g_allocations = 0;
  g_counting = true;
  const double start = threadSeconds();
  double now = start;
  // Whole passes over the table until about 0.4 s have gone by.
  do {
    for (int pass = 0; pass < 50; ++pass) {
      for (std::size_t i = 0; i < n; ++i) {
        CalcRecord& r = work[i];
        routine(r);
        sum += r.Course + r.Distance + r.Lat2 + r.Lon2;  // every result is used
      }
      calls += static_cast<long>(n);
    }
    now = threadSeconds();
  } while (now - start < 0.4);
  g_counting = false;
  allocations = g_allocations;
  g_sink = g_sink + sum;
  return static_cast<double>(calls) / (now - start);
}

}  // namespace

int main() {
  const std::vector<CalcRecord> table = inputTable();
  long a1 = 0, a2 = 0, a3 = 0;
  // Each routine works on its own copy of the table, so one's results are not the
  // next one's inputs.
  const double rhumb = callsPerSecond(table, [](CalcRecord& r) { tavrik::RhumbCourseDistance(r); }, a1);
  const double dr = callsPerSecond(table, [](CalcRecord& r) { tavrik::DeadReckoning(r); }, a2);
  const double gc = callsPerSecond(table, [](CalcRecord& r) { tavrik::GreatCircle(r); }, a3);
  // The peer: GeographicLib's rhumb line and geodesic on the sphere on which a minute
  // of arc is a nautical mile (full double precision, no rounding).
  const double radius = 1852.0 * 60.0 * 180.0 / (4 * std::atan(1.0));
  const GeographicLib::Rhumb rhumbLine(radius, 0);
  const GeographicLib::Geodesic geodesic(radius, 0);
  long p1 = 0, p2 = 0, p3 = 0;
  const double peerRhumb = callsPerSecond(table, [&](CalcRecord& r) {
    rhumbLine.Inverse(r.Lat1, r.Lon1, r.Lat2, r.Lon2, r.Distance, r.Course);
  }, p1);
  const double peerDr = callsPerSecond(table, [&](CalcRecord& r) {
    rhumbLine.Direct(r.Lat1, r.Lon1, r.Course, r.Distance * 1852, r.Lat2, r.Lon2);
  }, p2);
  const double peerGc = callsPerSecond(table, [&](CalcRecord& r) {
    double azi2;
    geodesic.Inverse(r.Lat1, r.Lon1, r.Lat2, r.Lon2, r.Distance, r.Course, azi2);
  }, p3);
  std::printf("BENCH rhumb_course_distance %.0f calls/s\n", rhumb);
  std::printf("BENCH dead_reckoning %.0f calls/s\n", dr);
  std::printf("BENCH great_circle %.0f calls/s\n", gc);
  std::printf("BENCH geographiclib_rhumb_inverse %.0f calls/s\n", peerRhumb);
  std::printf("BENCH geographiclib_rhumb_direct %.0f calls/s\n", peerDr);
  std::printf("BENCH geographiclib_geodesic_inverse %.0f calls/s\n", peerGc);
  std::printf("BENCH rhumb_course_distance_vs_geographiclib %.2f ratio\n", rhumb / peerRhumb);
  std::printf("BENCH dead_reckoning_vs_geographiclib %.2f ratio\n", dr / peerDr);
  std::printf("BENCH great_circle_vs_geographiclib %.2f ratio\n", gc / peerGc);
  const long allocations = a1 + a2 + a3;
  std::printf("BENCH nav_math_allocations %ld count\n", allocations);
  return allocations == 0 ? 0 : 1;
}

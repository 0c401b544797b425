// Work split across threads. Each of `jobs` workers (the calling thread is
// one of them) takes the next unclaimed index of [0, count) until none is
// left; `work(index, worker)` must not depend on which worker runs it, so the
// results are the same for every number of jobs.
//
// Example: ParallelFor(10, 3, f) calls f(0..9, w) once each, w in 0..2.
#ifndef KYORI_PLATFORM_PARALLEL_FOR_H_
#define KYORI_PLATFORM_PARALLEL_FOR_H_

#include <atomic>
#include <thread>
#include <vector>

namespace kyori {

template <typename Work>
void ParallelFor(long count, int jobs, Work work) {
  if (jobs > count) jobs = static_cast<int>(count);
  if (jobs < 1) jobs = 1;
  std::atomic<long> next{0};
  auto run = [&](int worker) {
    for (long index = next.fetch_add(1); index < count; index = next.fetch_add(1)) work(index, worker);
  };
  std::vector<std::thread> helpers;
  for (int w = 1; w < jobs; ++w) helpers.emplace_back(run, w);
  run(0);
  for (std::thread& t : helpers) t.join();
}

}  // namespace kyori

#endif  // KYORI_PLATFORM_PARALLEL_FOR_H_

// Work split across threads. Each of `jobs` workers (the calling thread is
// one of them) takes the next unclaimed index of [0, count) until none is
// left; `work(index, worker)` must not depend on which worker runs it, so the
// results are the same for every number of jobs.
//
// A thread that cannot be started (no memory for its stack, no threads left
// for the user) is not an error: the workers that did start, at least the
// calling thread, take all the indices between them, and `worker` stays
// below the number that started. When `work` throws in any worker, no
// further index is handed out, every thread is joined, and the first
// exception thrown is thrown again in the caller (a std::bad_alloc in a
// worker reaches the caller as a std::bad_alloc).
//
// Example: ParallelFor(10, 3, f) calls f(0..9, w) once each, w in 0..2; under
// an address-space limit that leaves room for one more stack, the same ten
// calls, w in 0..1. If f(4, w) throws std::bad_alloc, f runs for none of the
// indices claimed after that, and ParallelFor throws that std::bad_alloc once
// all three threads are joined.
#ifndef KYORI_PLATFORM_PARALLEL_FOR_H_
#define KYORI_PLATFORM_PARALLEL_FOR_H_

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kyori {

template <typename Work>
void ParallelFor(long count, int jobs, Work work) {
  if (jobs > count) jobs = static_cast<int>(count);
  if (jobs < 1) jobs = 1;
  std::atomic<long> next{0};
  std::mutex failure_lock;
  std::exception_ptr failure;
  auto run = [&](int worker) {
    try {
      for (long index = next.fetch_add(1); index < count; index = next.fetch_add(1)) work(index, worker);
    } catch (...) {
      next.store(count);  // hand out nothing more
      const std::lock_guard<std::mutex> hold(failure_lock);
      if (!failure) failure = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  try {
    helpers.reserve(static_cast<std::size_t>(jobs - 1));
    for (int w = 1; w < jobs; ++w) helpers.emplace_back(run, w);
  } catch (...) {
    // No room for another thread: the ones started so far do the work.
  }
  run(0);
  for (std::thread& t : helpers) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kyori

#endif  // KYORI_PLATFORM_PARALLEL_FOR_H_

// The work split across threads: every index once, whatever the number of
// jobs; an exception in any worker reaches the caller once every thread is
// joined; threads that cannot be started leave their share to the others.
#include "platform/parallel_for.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kyori {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(ParallelForTest, EveryIndexOnceAndWorkersBelowJobs) {
  for (long count : {0L, 1L, 3L, 7L, 1000L}) {
    for (int jobs = 1; jobs <= 8; ++jobs) {
      std::vector<std::atomic<int>> calls(static_cast<std::size_t>(count));
      std::atomic<int> highest_worker{-1};
      ParallelFor(count, jobs, [&](long index, int worker) {
        calls[static_cast<std::size_t>(index)].fetch_add(1);
        int seen = highest_worker.load();
        while (worker > seen && !highest_worker.compare_exchange_weak(seen, worker)) {
        }
      });
      for (long i = 0; i < count; ++i) {
        EXPECT_EQ(calls[static_cast<std::size_t>(i)].load(), 1) << "count " << count << " jobs " << jobs << " index " << i;
      }
      EXPECT_LT(highest_worker.load(), std::max(1L, std::min<long>(jobs, count)));
    }
  }
}

// Work that fails in one worker while the others are busy: the caller gets
// that exception, no work is running once it has it, and the indices after
// the failure are not all handed out.
TEST(ParallelForTest, AnExceptionInAWorkerReachesTheCallerAfterEveryThreadEnds) {
  for (int jobs : {1, 2, 4, 8}) {
    constexpr long kCount = 100000;
    std::atomic<int> running{0};
    std::atomic<long> done{0};
    bool caught = false;
    try {
      ParallelFor(kCount, jobs, [&](long index, int) {
        running.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::microseconds(20));
        if (index == 40) {
          running.fetch_sub(1);
          throw std::bad_alloc();
        }
        done.fetch_add(1);
        running.fetch_sub(1);
      });
    } catch (const std::bad_alloc&) {
      caught = true;
      EXPECT_EQ(running.load(), 0) << "jobs " << jobs;
    }
    EXPECT_TRUE(caught) << "jobs " << jobs;
    EXPECT_LT(done.load(), kCount / 2) << "jobs " << jobs;
  }
}

TEST(ParallelForTest, TheFirstOfSeveralExceptionsIsThrown) {
  try {
    ParallelFor(64, 4, [](long index, int) {
      if (index == 0) throw std::runtime_error("index 0");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      throw std::runtime_error("a later index");
    });
    FAIL() << "nothing thrown";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "index 0");
  }
}

// The bytes of address space the process holds now (Linux).
long AddressSpaceBytes() {
  long pages = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * ::sysconf(_SC_PAGESIZE);
}

// In a child process whose address space leaves room for a few thread
// stacks only: 64 jobs still do every index once, on fewer workers. Each
// index takes a while, so that 64 threads, had they started, would all have
// had a share. Exits 0 when the work was done by fewer workers, 2 when all 64
// took part (the limit did not bite), 1 when an index was missed or done
// twice.
void RunUnderAddressSpaceRoomForAFewStacks() {
  constexpr long kCount = 5000;
  constexpr int kJobs = 64;
  std::unique_ptr<std::atomic<int>[]> calls(new std::atomic<int>[kCount]());
  std::unique_ptr<std::atomic<bool>[]> used(new std::atomic<bool>[kJobs]());
  const long room = 24L << 20;
  const rlim_t limit = static_cast<rlim_t>(AddressSpaceBytes() + room);
  const struct rlimit address_space = {limit, limit};
  if (AddressSpaceBytes() == 0 || ::setrlimit(RLIMIT_AS, &address_space) != 0) std::_Exit(3);
  ParallelFor(kCount, kJobs, [&](long index, int worker) {
    calls[index].fetch_add(1);
    used[worker].store(true);
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  });
  for (long i = 0; i < kCount; ++i) {
    if (calls[i].load() != 1) std::_Exit(1);
  }
  int workers = 0;
  for (int w = 0; w < kJobs; ++w) workers += used[w].load() ? 1 : 0;
  std::_Exit(workers < kJobs ? 0 : 2);
}

TEST(ParallelForTest, ThreadsThatCannotStartLeaveTheWorkToTheOthers) {
  if (kSanitized) GTEST_SKIP() << "a sanitizer cannot run under an address-space limit";
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(RunUnderAddressSpaceRoomForAFewStacks(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kyori

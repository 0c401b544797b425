#include "batch/pipeline.h"

#include <algorithm>

#include "batch/collection_reader.h"
#include "platform/platform.h"

namespace kyori {
namespace {

// The compatible spread may differ from the accurate one by this much,
// relative, before it is listed: about what a report cell of 8 characters
// hides.
constexpr double kSpreadTolerance = 1e-6;

bool OverCapacity(const Collection& counts) {
  return counts.variety_count >= kBatchCapacity + 1 || counts.trait_count >= kBatchCapacity + 1;
}

RunShape ShapeOf(const RunRequest& request) {
  RunShape shape;
  shape.arithmetic = request.arithmetic;
  shape.matrix = request.products.matrix;
  shape.tree = request.products.tree;
  shape.picture = request.products.picture;
  shape.jobs = request.jobs;
  shape.thread_stack_bytes = request.machine.thread_stack_bytes;
  return shape;
}

ReadOutcome::Kind RefusalOf(RunPlan::Verdict verdict) {
  return verdict == RunPlan::kOverCapacity ? ReadOutcome::kOverCapacity : ReadOutcome::kOverMemory;
}

}  // namespace

MachineLimits ThisMachine() {
  MachineLimits machine;
  machine.memory_bytes = platform::MemoryLimitBytes();
  machine.thread_stack_bytes = platform::ThreadStackBytes();
  return machine;
}

RunPlan PlanRun(const Collection& counts, const RunRequest& request) {
  RunPlan plan;
  plan.limit = request.machine.memory_bytes;
  if (OverCapacity(counts)) {
    plan.verdict = RunPlan::kOverCapacity;
    return plan;
  }
  RunShape shape = ShapeOf(request);
  shape.jobs = std::max(JobsWithin(counts.varieties, counts.traits, shape, plan.limit), 1);
  plan.jobs = shape.jobs;
  plan.needed = PeakBytes(counts.varieties, counts.traits, shape);
  plan.verdict = plan.needed > plan.limit ? RunPlan::kOverMemory : RunPlan::kFits;
  return plan;
}

ReadOutcome ReadDataFile(DataFile& data, const RunRequest& request, Collection& c) {
  ReadOutcome outcome;
  ReadCollectionCounts(data.Channel(), c);
  outcome.plan = PlanRun(c, request);
  if (outcome.plan.verdict != RunPlan::kFits) {
    data.Close();
    outcome.kind = RefusalOf(outcome.plan.verdict);
    return outcome;
  }
  ReadCollectionBody(data.Channel(), c);
  data.Close();
  if (c.varieties == 0) outcome.kind = ReadOutcome::kNoVarieties;
  return outcome;
}

Standardized StandardizeTraits(Collection& c, Arithmetic arithmetic) {
  Standardized found;
  if (arithmetic == Arithmetic::kCompatible) found.spreads_off = CompareSpreads(c, kSpreadTolerance);
  found.stop = StandardizeCollection(c, arithmetic);
  return found;
}

RunDistances ComputeRunDistances(const Collection& c, const RunRequest& request, int jobs) {
  DistanceTriangle triangle = ComputeDistances(c, request.arithmetic, jobs);
  RunDistances made;
  made.cells = PackCells(triangle, request.products.NeedDistances() ? &made.distances : nullptr, jobs);
  return made;
}

}  // namespace kyori

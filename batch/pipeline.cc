#include "batch/pipeline.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"

namespace kyori {
namespace {

bool OverCapacity(const Collection& counts, const RunProducts& products) {
  const double most = products.PairSearch() ? kPairSearchCapacity : kBatchCapacity;
  return counts.variety_count >= most + 1 || counts.trait_count >= kBatchCapacity + 1;
}

RunShape ShapeOf(const RunRequest& request, Arithmetic arithmetic, const ReadForm& form) {
  RunShape shape = ShapeOfRequest(request, arithmetic);
  shape.reading_bytes = form.reading_bytes;
  return shape;
}

}  // namespace

MachineLimits ThisMachine() {
  MachineLimits machine;
  machine.memory_bytes = platform::MemoryLimitBytes();
  machine.thread_stack_bytes = platform::ThreadStackBytes();
  return machine;
}

RunPlan PlanRun(const Collection& counts, const RunRequest& request, const ReadForm& form) {
  RunPlan plan;
  plan.limit = request.machine.memory_bytes;
  plan.arithmetic = ChooseArithmetic(request.arithmetic, form.table, request.products.report, counts);
  if (OverCapacity(counts, request.products)) {
    plan.verdict = RunPlan::kOverCapacity;
    return plan;
  }
  RunShape shape = ShapeOf(request, plan.arithmetic, form);
  shape.jobs = std::max(JobsWithin(counts.varieties, counts.traits, shape, plan.limit), 1);
  plan.jobs = shape.jobs;
  plan.needed = PeakBytes(counts.varieties, counts.traits, shape);
  plan.verdict = plan.needed > plan.limit ? RunPlan::kOverMemory : RunPlan::kFits;
  return plan;
}

Standardized StandardizeTraits(Collection& c, Arithmetic arithmetic) {
  Standardized found;
  if (arithmetic == Arithmetic::kCompatible) found.spreads_off = CompareSpreads(c, kSpreadWarnRelative);
  found.stop = StandardizeCollection(c, arithmetic);
  return found;
}

RunDistances ComputeRunDistances(const Collection& c, const RunRequest& request, const RunPlan& plan) {
  RunDistances made;
  if (request.products.report && !request.products.NeedDistances() && plan.arithmetic == Arithmetic::kAccurate) {
    made.cells.packed = ComputeAccurateCells(c, plan.jobs);  // no roots held
    return made;
  }
  DistanceTriangle triangle = ComputeDistances(c, plan.arithmetic, plan.jobs);
  if (!request.products.report) {
    // The roots handed over, or the squares' roots taken; no cells.
    made.distances = triangle.rooted ? std::move(triangle.roots) : CondensedDistances(triangle, plan.jobs);
    return made;
  }
  made.cells = PackCells(triangle, request.products.NeedDistances() ? &made.distances : nullptr, plan.jobs);
  return made;
}

RunShape ShapeOfRequest(const RunRequest& request, Arithmetic arithmetic) {
  RunShape shape;
  shape.arithmetic = arithmetic;
  shape.report = request.products.report;
  shape.distance_table = request.products.distance_table;
  shape.values_table = request.products.values_table;
  shape.matrix = request.products.matrix;
  shape.tree = request.products.tree;
  shape.picture = request.products.picture;
  shape.neighbours = request.products.neighbours;
  shape.duplicates = request.products.duplicates;
  shape.pca = request.products.pca;
  shape.groups = request.products.groups;
  shape.group_means = request.products.group_means;
  shape.group_count = request.products.group_count;
  shape.jobs = request.jobs;
  shape.thread_stack_bytes = request.machine.thread_stack_bytes;
  return shape;
}

}  // namespace kyori

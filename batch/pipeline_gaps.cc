#include "batch/pipeline_gaps.h"

#include <algorithm>
#include <utility>

#include "batch/collection_memory.h"
#include "batch/collection_report.h"

namespace kyori {
namespace {

// The shape of the gapped stages for the request's products and machine.
RunShape GappedShape(const RunRequest& request) {
  RunShape shape = ShapeOfRequest(request, Arithmetic::kAccurate);
  shape.gaps = true;
  return shape;
}

RunPlan PlanGappedRun(const Collection& c, const RunRequest& request) {
  RunPlan plan;
  plan.arithmetic = Arithmetic::kAccurate;
  plan.limit = request.machine.memory_bytes;
  RunShape shape = GappedShape(request);
  shape.jobs = std::max(JobsWithin(c.varieties, c.traits, shape, plan.limit), 1);
  plan.jobs = shape.jobs;
  plan.needed = PeakBytes(c.varieties, c.traits, shape);
  plan.verdict = plan.needed > plan.limit ? RunPlan::kOverMemory : RunPlan::kFits;
  return plan;
}

}  // namespace

GapsFound FindGaps(const Collection& c, const RunRequest& request) {
  GapsFound found;
  found.missing = CountMissing(c);
  if (!found.missing.Any()) return found;
  if (request.arithmetic == ArithmeticChoice::kCompatible) {
    found.kind = GapsFound::kCompatibleNamed;
    return found;
  }
  found.plan = PlanGappedRun(c, request);
  found.kind = found.plan.verdict == RunPlan::kFits ? GapsFound::kGaps : GapsFound::kOverMemory;
  return found;
}

GappedRunDistances ComputeGappedRunDistances(const Collection& c, const RunRequest& request, const RunPlan& plan) {
  GappedRunDistances made;
  DistanceTriangle triangle = ComputeGappedDistances(c, request.min_common, plan.jobs);
  made.no_distance = CountNoDistances(triangle, c.varieties);
  if (!request.products.report) {
    // The roots handed over as they are (NaN for a pair without a
    // distance); no cells.
    made.distances.distances = std::move(triangle.roots);
  } else {
    const bool keep = request.products.NeedDistances();
    made.distances.cells =
        PackCells(triangle, keep ? &made.distances.distances : nullptr, plan.jobs, NanCell::kMissing);
  }
  if (request.products.NeedEveryDistance() && made.no_distance.pairs != 0) made.kind = GappedRunDistances::kNoDistance;
  return made;
}

}  // namespace kyori

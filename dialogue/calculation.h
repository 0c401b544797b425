// The calculator's arithmetic over its process-wide data: standardization of
// every trait and the squared distances between all varieties, each step by
// the kernels it shares with batch mode (kernels/standardize_trait.h,
// kernels/squared_distances.h).
//
// Where each result is held decides the printed digits: a trait's sum of
// squares and its standard deviation are held in single precision, and so are
// the squared distances; everything else is double.
#ifndef KYORI_DIALOGUE_CALCULATION_H_
#define KYORI_DIALOGUE_CALCULATION_H_

namespace kyori {

enum class StandardizeOutcome { kDone, kIdenticalData };

// Replaces every value of TraitValues by (value - mean) / standard deviation,
// trait by trait (sample deviation, divisor n - 1). Stops with
// kIdenticalData at the first trait whose sum of squared deviations is 0 or
// not a number, or whose variance is not a positive finite number (it could
// not divide); CounterJ then holds that trait's number.
StandardizeOutcome StandardizeTraits();

// Fills DistanceMatrix[k][i] with the sum over the traits, in trait order, of
// the squared difference of the standardized values of varieties i and k.
void AccumulateDistances();

}  // namespace kyori

#endif  // KYORI_DIALOGUE_CALCULATION_H_

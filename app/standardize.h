// The calculator's arithmetic: standardization of every trait and the squared
// distances between all varieties.
//
// Where each result is held decides the printed digits: a trait's sum of
// squares and its standard deviation are held in single precision, and so are
// the squared distances; everything else is double. A result stored into a
// single is formed in double and then rounded to single.
#ifndef KYORI_APP_STANDARDIZE_H_
#define KYORI_APP_STANDARDIZE_H_

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

#endif  // KYORI_APP_STANDARDIZE_H_

// The calculator's run from start to end: introduction, data-file prompt,
// reading and echo, standardization, output-file prompt, report with the
// distances, closing advice and final prompt; or the early stops.
#ifndef KYORI_DIALOGUE_RUN_SEQUENCE_H_
#define KYORI_DIALOGUE_RUN_SEQUENCE_H_

namespace kyori {

// Runs the whole program once and returns its exit status: 0 for a run that
// ended normally or at one of the stops, 1 when standard input ended where a
// question had to be asked again or when the output file was not fully written.
int RunKyori();

}  // namespace kyori

#endif  // KYORI_DIALOGUE_RUN_SEQUENCE_H_

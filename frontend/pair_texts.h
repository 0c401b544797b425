// The Japanese texts of the messages of the neighbours, the duplicates and
// the .npy matrix (readable UTF-8 beside the code page 932 bytes), as in
// batch_texts.h.
#ifndef KYORI_FRONTEND_PAIR_TEXTS_H_
#define KYORI_FRONTEND_PAIR_TEXTS_H_

#include "text/texts.h"

namespace kyori::texts {

// "12組が距離0.5以下です": the count of near duplicates, then D
inline constexpr SjisText kJaPairsWithin = {"組が距離", "\x91g\x82\xAA\x8B\x97\x97\xA3"};
inline constexpr SjisText kJaPairsWithinEnd = {"以下です", "\x88\xC8\x89\xBA\x82\xC5\x82\xB7"};

// two options that a run cannot take together
inline constexpr SjisText kJaConflictingOptions = {
    "同時に指定できないオプションです",
    "\x93\xAF\x8E\x9E\x82\xC9\x8Ew\x92\xE8\x82\xC5\x82\xAB\x82\xC8\x82\xA2\x83I\x83v\x83V\x83\x87\x83\x93\x82\xC5\x82\xB7"};

// counts beyond the capacity of the neighbours and the duplicates
inline constexpr SjisText kJaOverPairCapacity = {
    "品種数は1000000まで，形質数は32767までです",
    "\x95i\x8E\xED\x90\x94\x82\xCD" "1000000\x82\xDC\x82\xC5\x81" "C\x8C`\x8E\xBF\x90\x94\x82\xCD" "32767\x82\xDC\x82\xC5\x82\xC5\x82\xB7"};

// a collection of one variety: no pair
inline constexpr SjisText kJaNoPairs = {
    "比べる品種の組がありません",
    "\x94\xE4\x82\xD7\x82\xE9\x95i\x8E\xED\x82\xCC\x91g\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

inline constexpr const SjisText* kAllPairTexts[] = {&kJaPairsWithin, &kJaPairsWithinEnd, &kJaConflictingOptions,
                                                    &kJaOverPairCapacity, &kJaNoPairs};

}  // namespace kyori::texts

#endif  // KYORI_FRONTEND_PAIR_TEXTS_H_

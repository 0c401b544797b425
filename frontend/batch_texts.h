// The texts of the command line's messages in Japanese, each written once:
// its readable form (UTF-8) beside its bytes in code page 932, as the
// dialogue's texts are. A message is put together from these pieces and the
// names and numbers it reports; the English messages are in messages.cc.
#ifndef KYORI_FRONTEND_BATCH_TEXTS_H_
#define KYORI_FRONTEND_BATCH_TEXTS_H_

#include "text/texts.h"

namespace kyori::texts {

// a data file that cannot be opened
inline constexpr SjisText kJaCannotOpenData = {
    "データファイルが開けません",
    "\x83" "f\x81[\x83^\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1"};

// a data file with no bytes
inline constexpr SjisText kJaDataEmpty = {
    "データファイルが空です",
    "\x83" "f\x81[\x83^\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8B\xF3\x82\xC5\x82\xB7"};

// a data file that holds no variety (the count of varieties less than 1)
inline constexpr SjisText kJaNoVarieties = {
    "品種がありません．先頭の品種数が1以上ではありません",
    "\x95i\x8E\xED\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "D\x90\xE6\x93\xAA\x82\xCC\x95i\x8E\xED\x90\x94\x82\xAA" "1\x88\xC8\x8F\xE3\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// an output file that cannot be created
inline constexpr SjisText kJaCannotCreateOutput = {
    "出力ファイルが作成できません",
    "\x8Fo\x97\xCD\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"};

// OUTPUT naming the data file
inline constexpr SjisText kJaSameFile = {
    "データファイルと同じファイルです．データを上書きしないよう終了します",
    "\x83" "f\x81[\x83^\x83t\x83@\x83" "C\x83\x8B\x82\xC6\x93\xAF\x82\xB6\x83t\x83@\x83" "C\x83\x8B\x82\xC5\x82\xB7\x81" "D\x83" "f\x81[\x83^\x82\xF0\x8F\xE3\x8F\x91\x82\xAB\x82\xB5\x82\xC8\x82\xA2\x82\xE6\x82\xA4\x8FI\x97\xB9\x82\xB5\x82\xDC\x82\xB7"};

// counts beyond the batch capacity
inline constexpr SjisText kJaOverCapacity = {
    "品種数と形質数はそれぞれ32767までです",
    "\x95i\x8E\xED\x90\x94\x82\xC6\x8C`\x8E\xBF\x90\x94\x82\xCD\x82\xBB\x82\xEA\x82\xBC\x82\xEA" "32767\x82\xDC\x82\xC5\x82\xC5\x82\xB7"};

// the memory check, before the amount needed
inline constexpr SjisText kJaMemoryNeeds = {
    "計算にメモリが",
    "\x8Cv\x8EZ\x82\xC9\x83\x81\x83\x82\x83\x8A\x82\xAA"};

// the memory check, between the two amounts
inline constexpr SjisText kJaMemoryHas = {
    "必要ですが，この計算機には",
    "\x95K\x97v\x82\xC5\x82\xB7\x82\xAA\x81" "C\x82\xB1\x82\xCC\x8Cv\x8EZ\x8B@\x82\xC9\x82\xCD"};

// the memory check, after the amount the machine has
inline constexpr SjisText kJaMemoryEnd = {
    "しかありません",
    "\x82\xB5\x82\xA9\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// memory that ran out during the run
inline constexpr SjisText kJaOutOfMemory = {
    "メモリが足りないため，処理を中止しました",
    "\x83\x81\x83\x82\x83\x8A\x82\xAA\x91\xAB\x82\xE8\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x81" "C\x8F\x88\x97\x9D\x82\xF0\x92\x86\x8E~\x82\xB5\x82\xDC\x82\xB5\x82\xBD"};

// before a trait's number
inline constexpr SjisText kJaTraitPrefix = {
    "番目の形質（",
    "\x94\xD4\x96\xDA\x82\xCC\x8C`\x8E\xBF\x81i"};

// after a trait's name
inline constexpr SjisText kJaTraitSuffix = {
    "）",
    "\x81j"};

// a trait whose values are all the same
inline constexpr SjisText kJaIdentical = {
    "のデータがすべて同一です",
    "\x82\xCC\x83" "f\x81[\x83^\x82\xAA\x82\xB7\x82\xD7\x82\xC4\x93\xAF\x88\xEA\x82\xC5\x82\xB7"};

// a trait holding a value that is not a finite number
inline constexpr SjisText kJaNotFinite = {
    "に有限でない値があります",
    "\x82\xC9\x97L\x8C\xC0\x82\xC5\x82\xC8\x82\xA2\x92l\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7"};

// a write that failed
inline constexpr SjisText kJaWriteFailed = {
    "書き込みに失敗しました",
    "\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD"};

// the start of a warning
inline constexpr SjisText kJaWarning = {
    "警告：",
    "\x8Cx\x8D\x90\x81" "F"};

// the spread check, before the relative error
inline constexpr SjisText kJaSpreadOff = {
    "の標準偏差は互換の計算で",
    "\x82\xCC\x95W\x8F\x80\x95\xCE\x8D\xB7\x82\xCD\x8C\xDD\x8A\xB7\x82\xCC\x8Cv\x8EZ\x82\xC5"};

// the spread check, after the relative error
inline constexpr SjisText kJaSpreadOffEnd = {
    "ずれています．--arithmetic=accurate で正しい値になります",
    "\x82\xB8\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81" "D--arithmetic=accurate \x82\xC5\x90\xB3\x82\xB5\x82\xA2\x92l\x82\xC9\x82\xC8\x82\xE8\x82\xDC\x82\xB7"};

// a trait the compatible arithmetic stops as identical although its values differ
inline constexpr SjisText kJaFalseIdentical = {
    "は互換の計算ではすべて同一とされますが，値は異なります．--arithmetic=accurate で正しく計算できます",
    "\x82\xCD\x8C\xDD\x8A\xB7\x82\xCC\x8Cv\x8EZ\x82\xC5\x82\xCD\x82\xB7\x82\xD7\x82\xC4\x93\xAF\x88\xEA\x82\xC6\x82\xB3\x82\xEA\x82\xDC\x82\xB7\x82\xAA\x81" "C\x92l\x82\xCD\x88\xD9\x82\xC8\x82\xE8\x82\xDC\x82\xB7\x81" "D--arithmetic=accurate \x82\xC5\x90\xB3\x82\xB5\x82\xAD\x8Cv\x8EZ\x82\xC5\x82\xAB\x82\xDC\x82\xB7"};

// before the cophenetic correlation
inline constexpr SjisText kJaCophenetic = {
    "コーフェン相関係数",
    "\x83R\x81[\x83t\x83" "F\x83\x93\x91\x8A\x8A\xD6\x8CW\x90\x94"};

// an unknown option
inline constexpr SjisText kJaUnknownOption = {
    "不明なオプションです",
    "\x95s\x96\xBE\x82\xC8\x83I\x83v\x83V\x83\x87\x83\x93\x82\xC5\x82\xB7"};

// an option given without its value
inline constexpr SjisText kJaMissingValue = {
    "オプションに値がありません",
    "\x83I\x83v\x83V\x83\x87\x83\x93\x82\xC9\x92l\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// an option value out of its range
inline constexpr SjisText kJaBadValue = {
    "オプションの値が使えません",
    "\x83I\x83v\x83V\x83\x87\x83\x93\x82\xCC\x92l\x82\xAA\x8Eg\x82\xA6\x82\xDC\x82\xB9\x82\xF1"};

// a command line without exactly DATA and OUTPUT
inline constexpr SjisText kJaFileCount = {
    "DATA と OUTPUT の二つのファイルを指定してください（kyori --help）",
    "DATA \x82\xC6 OUTPUT \x82\xCC\x93\xF1\x82\xC2\x82\xCC\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81ikyori --help\x81j"};

// between two option names that name one file
inline constexpr SjisText kJaAnd = {
    " と ",
    " \x82\xC6 "};

// two outputs naming one file, after the two option names
inline constexpr SjisText kJaSameOutput = {
    "が同じファイルです．出力ごとに別のファイルを指定してください",
    "\x82\xAA\x93\xAF\x82\xB6\x83t\x83@\x83" "C\x83\x8B\x82\xC5\x82\xB7\x81" "D\x8Fo\x97\xCD\x82\xB2\x82\xC6\x82\xC9\x95\xCA\x82\xCC\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"};

// an output naming the file standard error writes to
inline constexpr SjisText kJaStandardErrorFile = {
    "標準エラー出力の行き先と同じファイルです．メッセージが混ざらないよう終了します",
    "\x95W\x8F\x80\x83G\x83\x89\x81[\x8Fo\x97\xCD\x82\xCC\x8Ds\x82\xAB\x90\xE6\x82\xC6\x93\xAF\x82\xB6\x83t\x83@\x83" "C\x83\x8B\x82\xC5\x82\xB7\x81" "D\x83\x81\x83" "b\x83Z\x81[\x83W\x82\xAA\x8D\xAC\x82\xB4\x82\xE7\x82\xC8\x82\xA2\x82\xE6\x82\xA4\x8FI\x97\xB9\x82\xB5\x82\xDC\x82\xB7"};

// a run ended by a signal (SIGTERM, SIGINT, ...)
inline constexpr SjisText kJaStoppedBySignal = {
    "シグナルで中断しました．出力ファイルはどれも置き換えていません",
    "\x83V\x83O\x83i\x83\x8B\x82\xC5\x92\x86\x92" "f\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "D\x8Fo\x97\xCD\x83t\x83@\x83" "C\x83\x8B\x82\xCD\x82\xC7\x82\xEA\x82\xE0\x92u\x82\xAB\x8A\xB7\x82\xA6\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1"};

// an option given twice
inline constexpr SjisText kJaRepeatedOption = {
    "オプションが二度指定されています",
    "\x83I\x83v\x83V\x83\x87\x83\x93\x82\xAA\x93\xF1\x93x\x8Ew\x92\xE8\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// the count of missing values: between the count of values and the count missing
inline constexpr SjisText kJaMissingOf = {
    "個の値のうち",
    "\x8C\xC2\x82\xCC\x92l\x82\xCC\x82\xA4\x82\xBF"};

// the count of missing values: between the count missing and the count of traits
inline constexpr SjisText kJaMissingValues = {
    "個が欠測です（",
    "\x8C\xC2\x82\xAA\x8C\x87\x91\xAA\x82\xC5\x82\xB7\x81i"};

// the count of missing values: after the count of traits
inline constexpr SjisText kJaMissingTraits = {
    "形質に）",
    "\x8C`\x8E\xBF\x82\xC9\x81j"};

// a trait with fewer than two present values, before their count
inline constexpr SjisText kJaTooFewPresent = {
    "の欠測でない値が2個未満です（",
    "\x82\xCC\x8C\x87\x91\xAA\x82\xC5\x82\xC8\x82\xA2\x92l\x82\xAA" "2\x8C\xC2\x96\xA2\x96\x9E\x82\xC5\x82\xB7\x81i"};

// after the count of a trait's present values
inline constexpr SjisText kJaPresentEnd = {
    "個）．標準化には2個以上必要です",
    "\x8C\xC2\x81j\x81" "D\x95W\x8F\x80\x89\xBB\x82\xC9\x82\xCD" "2\x8C\xC2\x88\xC8\x8F\xE3\x95K\x97v\x82\xC5\x82\xB7"};

// a trait whose present values are all the same
inline constexpr SjisText kJaPresentIdentical = {
    "の欠測でない値がすべて同一です",
    "\x82\xCC\x8C\x87\x91\xAA\x82\xC5\x82\xC8\x82\xA2\x92l\x82\xAA\x82\xB7\x82\xD7\x82\xC4\x93\xAF\x88\xEA\x82\xC5\x82\xB7"};

// missing values with --arithmetic=compatible, after their count
inline constexpr SjisText kJaCompatibleGaps = {
    "個の欠測値があります．互換の計算には欠測値の定義がないため，--arithmetic=accurate（または auto）で実行してください",
    "\x8C\xC2\x82\xCC\x8C\x87\x91\xAA\x92l\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "D\x8C\xDD\x8A\xB7\x82\xCC\x8Cv\x8EZ\x82\xC9\x82\xCD\x8C\x87\x91\xAA\x92l\x82\xCC\x92\xE8\x8B`\x82\xAA\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x81" "C--arithmetic=accurate\x81i\x82\xDC\x82\xBD\x82\xCD auto\x81j\x82\xC5\x8E\xC0\x8Ds\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"};

// before a variety's name
inline constexpr SjisText kJaVarietyPrefix = {
    "番目の品種（",
    "\x94\xD4\x96\xDA\x82\xCC\x95i\x8E\xED\x81i"};

// between the two varieties of a pair
inline constexpr SjisText kJaVarietyAnd = {
    "と",
    "\x82\xC6"};

// a pair of varieties without a trait in common
inline constexpr SjisText kJaNoCommonTrait = {
    "には共通の形質がなく，距離がありません",
    "\x82\xC9\x82\xCD\x8B\xA4\x92\xCA\x82\xCC\x8C`\x8E\xBF\x82\xAA\x82\xC8\x82\xAD\x81" "C\x8B\x97\x97\xA3\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// a pair with fewer common traits than --min-common, before the number
inline constexpr SjisText kJaFewCommonBefore = {
    "の共通の形質は",
    "\x82\xCC\x8B\xA4\x92\xCA\x82\xCC\x8C`\x8E\xBF\x82\xCD"};

// a pair with fewer common traits than --min-common, before the option
inline constexpr SjisText kJaFewCommonMid = {
    "未満です（",
    "\x96\xA2\x96\x9E\x82\xC5\x82\xB7\x81i"};

// a pair with fewer common traits than --min-common, after the option
inline constexpr SjisText kJaFewCommonAfter = {
    "）．距離がありません",
    "\x81j\x81" "D\x8B\x97\x97\xA3\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// the count of pairs without a distance, before it
inline constexpr SjisText kJaNoDistancePairs = {
    "．距離のない組は全部で",
    "\x81" "D\x8B\x97\x97\xA3\x82\xCC\x82\xC8\x82\xA2\x91g\x82\xCD\x91S\x95\x94\x82\xC5"};

// the count of pairs without a distance, after it
inline constexpr SjisText kJaNoDistanceEnd = {
    "組あり，樹形図，PHYLIP 行列，図にはすべての組の距離が必要です",
    "\x91g\x82\xA0\x82\xE8\x81" "C\x8E\xF7\x8C`\x90}\x81" "CPHYLIP \x8Ds\x97\xF1\x81" "C\x90}\x82\xC9\x82\xCD\x82\xB7\x82\xD7\x82\xC4\x82\xCC\x91g\x82\xCC\x8B\x97\x97\xA3\x82\xAA\x95K\x97v\x82\xC5\x82\xB7"};
// groups cut from the tree, when the tree is neighbour-joining
inline constexpr SjisText kJaGroupsNeedLinkage = {
    "グループは連結法（average, single, complete, ward）の樹形図を切って作ります．--method=nj では作れません",
    "\x83O\x83\x8B\x81[\x83v\x82\xCD\x98" "A\x8C\x8B\x96@\x81iaverage, single, complete, ward\x81j\x82\xCC\x8E\xF7\x8C`\x90}\x82\xF0\x90\xD8\x82\xC1\x82\xC4\x8D\xEC\x82\xE8\x82\xDC\x82\xB7\x81" "D--method=nj \x82\xC5\x82\xCD\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1"};

// --k given without an option that writes groups
inline constexpr SjisText kJaCountWithoutGroups = {
    "グループ数は --groups か --group-means と一緒に指定してください",
    "\x83O\x83\x8B\x81[\x83v\x90\x94\x82\xCD --groups \x82\xA9 --group-means \x82\xC6\x88\xEA\x8F\x8F\x82\xC9\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"};

// the start of a line about the principal components
inline constexpr SjisText kJaPrincipalComponents = {
    "主成分分析：",
    "\x8E\xE5\x90\xAC\x95\xAA\x95\xAA\x90\xCD\x81" "F"};

// the principal components with missing values, before their count
inline constexpr SjisText kJaPcaMissingBefore = {
    "主成分分析：欠測値",
    "\x8E\xE5\x90\xAC\x95\xAA\x95\xAA\x90\xCD\x81" "F\x8C\x87\x91\xAA\x92l"};

// the principal components with missing values, after their count
inline constexpr SjisText kJaPcaMissingAfter = {
    "個を形質の平均値として計算しました",
    "\x8C\xC2\x82\xF0\x8C`\x8E\xBF\x82\xCC\x95\xBD\x8B\xCF\x92l\x82\xC6\x82\xB5\x82\xC4\x8Cv\x8EZ\x82\xB5\x82\xDC\x82\xB5\x82\xBD"};

// a biplot of one trait, before the count of traits
inline constexpr SjisText kJaBiplotTraits = {
    "主成分分析：バイプロットには2形質以上が必要ですが，データの形質数は",
    "\x8E\xE5\x90\xAC\x95\xAA\x95\xAA\x90\xCD\x81" "F\x83o\x83" "C\x83v\x83\x8D\x83" "b\x83g\x82\xC9\x82\xCD" "2\x8C`\x8E\xBF\x88\xC8\x8F\xE3\x82\xAA\x95K\x97v\x82\xC5\x82\xB7\x82\xAA\x81" "C\x83" "f\x81[\x83^\x82\xCC\x8C`\x8E\xBF\x90\x94\x82\xCD"};

// the number of groups chosen, before it
inline constexpr SjisText kJaGroupsChosen = {
    "グループ数：",
    "\x83O\x83\x8B\x81[\x83v\x90\x94\x81" "F"};

// the number of groups chosen, before its average silhouette width
inline constexpr SjisText kJaGroupsChosenWidth = {
    "（平均シルエット幅が最大：",
    "\x81i\x95\xBD\x8B\xCF\x83V\x83\x8B\x83G\x83" "b\x83g\x95\x9D\x82\xAA\x8D\xC5\x91\xE5\x81" "F"};

// the number of groups chosen, after its average silhouette width
inline constexpr SjisText kJaGroupsChosenEnd = {
    "）",
    "\x81j"};

// groups of too few varieties, before the count needed
inline constexpr SjisText kJaGroupsNeedVarieties = {
    "グループ分けには",
    "\x83O\x83\x8B\x81[\x83v\x95\xAA\x82\xAF\x82\xC9\x82\xCD"};

// groups of too few varieties, between the count needed and the count the data has
inline constexpr SjisText kJaGroupsVarietiesHas = {
    "品種以上が必要ですが，データの品種数は",
    "\x95i\x8E\xED\x88\xC8\x8F\xE3\x82\xAA\x95K\x97v\x82\xC5\x82\xB7\x82\xAA\x81" "C\x83" "f\x81[\x83^\x82\xCC\x95i\x8E\xED\x90\x94\x82\xCD"};

// the end of a line that ends in a count (of varieties, of traits)
inline constexpr SjisText kJaCountEnd = {
    "です",
    "\x82\xC5\x82\xB7"};

// a trait with fewer than two values
inline constexpr SjisText kJaTooFewValues = {
    "の値が2つ未満です",
    "\x82\xCC\x92l\x82\xAA" "2\x82\xC2\x96\xA2\x96\x9E\x82\xC5\x82\xB7"};

inline constexpr const SjisText* kAllBatchTexts[] = {
    &kJaCannotOpenData,
    &kJaDataEmpty,
    &kJaNoVarieties,
    &kJaCannotCreateOutput,
    &kJaSameFile,
    &kJaOverCapacity,
    &kJaMemoryNeeds,
    &kJaMemoryHas,
    &kJaMemoryEnd,
    &kJaOutOfMemory,
    &kJaTraitPrefix,
    &kJaTraitSuffix,
    &kJaIdentical,
    &kJaNotFinite,
    &kJaWriteFailed,
    &kJaWarning,
    &kJaSpreadOff,
    &kJaSpreadOffEnd,
    &kJaFalseIdentical,
    &kJaCophenetic,
    &kJaUnknownOption,
    &kJaMissingValue,
    &kJaBadValue,
    &kJaFileCount,
    &kJaAnd,
    &kJaSameOutput,
    &kJaStoppedBySignal,
    &kJaStandardErrorFile,
    &kJaRepeatedOption,
    &kJaMissingOf,
    &kJaMissingValues,
    &kJaMissingTraits,
    &kJaTooFewPresent,
    &kJaPresentEnd,
    &kJaPresentIdentical,
    &kJaCompatibleGaps,
    &kJaVarietyPrefix,
    &kJaVarietyAnd,
    &kJaNoCommonTrait,
    &kJaFewCommonBefore,
    &kJaFewCommonMid,
    &kJaFewCommonAfter,
    &kJaNoDistancePairs,
    &kJaNoDistanceEnd,
    &kJaGroupsNeedLinkage,
    &kJaCountWithoutGroups,
    &kJaPrincipalComponents,
    &kJaPcaMissingBefore,
    &kJaPcaMissingAfter,
    &kJaBiplotTraits,
    &kJaGroupsChosen,
    &kJaGroupsChosenWidth,
    &kJaGroupsChosenEnd,
    &kJaGroupsNeedVarieties,
    &kJaGroupsVarietiesHas,
    &kJaCountEnd,
    &kJaTooFewValues};

}  // namespace kyori::texts

#endif  // KYORI_FRONTEND_BATCH_TEXTS_H_

// The texts of the messages about a data file that cannot be read, in
// Japanese, each written once: its readable form (UTF-8) beside its bytes in
// code page 932, as the dialogue's texts are. frontend/read_messages.cc puts
// them together with the names, numbers and bytes of each fault.
#ifndef KYORI_FRONTEND_READ_TEXTS_H_
#define KYORI_FRONTEND_READ_TEXTS_H_

#include "text/texts.h"

namespace kyori::texts {

// after a line number: "7行目："
inline constexpr SjisText kJaLine = {
    "行目：",
    "\x8Ds\x96\xDA\x81" "F"};

// between a variety and a trait, or a trait and 値: "コシヒカリの穂長"
inline constexpr SjisText kJaOf = {
    "の",
    "\x82\xCC"};

// after a variety and trait: "コシヒカリの穂長の値"
inline constexpr SjisText kJaValueOf = {
    "の値",
    "\x82\xCC\x92l"};

// a variety without a name, before its number: "品種3"
inline constexpr SjisText kJaVarietyNumbered = {
    "品種",
    "\x95i\x8E\xED"};

// a trait without a name, before its number: "形質2"
inline constexpr SjisText kJaTraitNumbered = {
    "形質",
    "\x8C`\x8E\xBF"};

// after a value named, before what was found: "…の値が"abc"で"
inline constexpr SjisText kJaIs = {
    "が",
    "\x82\xAA"};

// a value that is not a number, after what was found
inline constexpr SjisText kJaNotANumber = {
    "で，数ではありません",
    "\x82\xC5\x81" "C\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// a value with digits beyond what is read as written, after what was found
inline constexpr SjisText kJaTooManyDigits = {
    "は桁が多すぎて，書かれたとおりに読めません",
    "\x82\xCD\x8C\x85\x82\xAA\x91\xBD\x82\xB7\x82\xAC\x82\xC4\x81" "C\x8F\x91\x82\xA9\x82\xEA\x82\xBD\x82\xC6\x82\xA8\x82\xE8\x82\xC9\x93\xC7\x82\xDF\x82\xDC\x82\xB9\x82\xF1"};

// an empty value, after the value named
inline constexpr SjisText kJaIsEmpty = {
    "が空です",
    "\x82\xAA\x8B\xF3\x82\xC5\x82\xB7"};

// the count of varieties
inline constexpr SjisText kJaVarietyCount = {
    "品種数",
    "\x95i\x8E\xED\x90\x94"};

// the count of traits
inline constexpr SjisText kJaTraitCount = {
    "形質数",
    "\x8C`\x8E\xBF\x90\x94"};

// a count that is not a whole number, after what was found
inline constexpr SjisText kJaNotWhole = {
    "で，整数ではありません",
    "\x82\xC5\x81" "C\x90\xAE\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// after a numbered variety or trait: "品種3の名前"
inline constexpr SjisText kJaNameOf = {
    "の名前",
    "\x82\xCC\x96\xBC\x91O"};

// the place after the last field
inline constexpr SjisText kJaTheEnd = {
    "終わり",
    "\x8FI\x82\xED\x82\xE8"};

// a file that ends early, after the field it ends before
inline constexpr SjisText kJaEndsBefore = {
    "の前でファイルが終わっています",
    "\x82\xCC\x91O\x82\xC5\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8FI\x82\xED\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// before the counts a file announces: "（品種数 12，形質数 5 とあります）"
inline constexpr SjisText kJaAnnounced = {
    "（品種数 ",
    "\x81i\x95i\x8E\xED\x90\x94 "};

// between the two counts announced
inline constexpr SjisText kJaAnnouncedTraits = {
    "，形質数 ",
    "\x81" "C\x8C`\x8E\xBF\x90\x94 "};

// after the counts announced
inline constexpr SjisText kJaAnnouncedEnd = {
    " とあります）",
    " \x82\xC6\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81j"};

// a field after the last one, before the last value named
inline constexpr SjisText kJaAfterLastValue = {
    "最後の値（",
    "\x8D\xC5\x8C\xE3\x82\xCC\x92l\x81i"};

// a field after the last one, before the last name
inline constexpr SjisText kJaAfterLastName = {
    "最後の名前（",
    "\x8D\xC5\x8C\xE3\x82\xCC\x96\xBC\x91O\x81i"};

// a field after the last one, between the last field named and the field found
inline constexpr SjisText kJaFollows = {
    "）のあとに",
    "\x81j\x82\xCC\x82\xA0\x82\xC6\x82\xC9"};

// after a field found: "…のあとに"junk"があります"
inline constexpr SjisText kJaThereIs = {
    "があります",
    "\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7"};

// a data file whose bytes could not be read
inline constexpr SjisText kJaCannotRead = {
    "データファイルが読めません",
    "\x83" "f\x81[\x83^\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x93\xC7\x82\xDF\x82\xDC\x82\xB9\x82\xF1"};

// after a cause that moves every later field
inline constexpr SjisText kJaShifted = {
    "．そのあとの項目はすべて一つずれて読まれます",
    "\x81" "D\x82\xBB\x82\xCC\x82\xA0\x82\xC6\x82\xCC\x8D\x80\x96\xDA\x82\xCD\x82\xB7\x82\xD7\x82\xC4\x88\xEA\x82\xC2\x82\xB8\x82\xEA\x82\xC4\x93\xC7\x82\xDC\x82\xEA\x82\xDC\x82\xB7"};

// a blank ending a line, after its line number
inline constexpr SjisText kJaCauseTrailingBlank = {
    "行目の終わりの空白で，行末がもう一つの空の項目になっています",
    "\x8Ds\x96\xDA\x82\xCC\x8FI\x82\xED\x82\xE8\x82\xCC\x8B\xF3\x94\x92\x82\xC5\x81" "C\x8Ds\x96\x96\x82\xAA\x82\xE0\x82\xA4\x88\xEA\x82\xC2\x82\xCC\x8B\xF3\x82\xCC\x8D\x80\x96\xDA\x82\xC9\x82\xC8\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// a comma ending a line, after its line number
inline constexpr SjisText kJaCauseTrailingComma = {
    "行目の終わりのコンマで，行末がもう一つの空の項目になっています",
    "\x8Ds\x96\xDA\x82\xCC\x8FI\x82\xED\x82\xE8\x82\xCC\x83R\x83\x93\x83}\x82\xC5\x81" "C\x8Ds\x96\x96\x82\xAA\x82\xE0\x82\xA4\x88\xEA\x82\xC2\x82\xCC\x8B\xF3\x82\xCC\x8D\x80\x96\xDA\x82\xC9\x82\xC8\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// an empty line, after its line number
inline constexpr SjisText kJaCauseEmptyLine = {
    "行目の空の行がもう一つの空の項目として読まれています",
    "\x8Ds\x96\xDA\x82\xCC\x8B\xF3\x82\xCC\x8Ds\x82\xAA\x82\xE0\x82\xA4\x88\xEA\x82\xC2\x82\xCC\x8B\xF3\x82\xCC\x8D\x80\x96\xDA\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// two commas in a row, after the line number
inline constexpr SjisText kJaCauseDoubleComma = {
    "行目に続けて二つあるコンマの間が空の項目になっています",
    "\x8Ds\x96\xDA\x82\xC9\x91\xB1\x82\xAF\x82\xC4\x93\xF1\x82\xC2\x82\xA0\x82\xE9\x83R\x83\x93\x83}\x82\xCC\x8A\xD4\x82\xAA\x8B\xF3\x82\xCC\x8D\x80\x96\xDA\x82\xC9\x82\xC8\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// a comma starting a line, after its line number
inline constexpr SjisText kJaCauseLeadingComma = {
    "行目の先頭のコンマの前が空の項目になっています",
    "\x8Ds\x96\xDA\x82\xCC\x90\xE6\x93\xAA\x82\xCC\x83R\x83\x93\x83}\x82\xCC\x91O\x82\xAA\x8B\xF3\x82\xCC\x8D\x80\x96\xDA\x82\xC9\x82\xC8\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// a decimal comma, after the line number and the text
inline constexpr SjisText kJaCauseDecimalComma = {
    "は小数点のコンマのようです．コンマで二つの値に分かれ，そのあとの項目はすべて一つずれて読まれます",
    "\x82\xCD\x8F\xAC\x90\x94\x93_\x82\xCC\x83R\x83\x93\x83}\x82\xCC\x82\xE6\x82\xA4\x82\xC5\x82\xB7\x81" "D\x83R\x83\x93\x83}\x82\xC5\x93\xF1\x82\xC2\x82\xCC\x92l\x82\xC9\x95\xAA\x82\xA9\x82\xEA\x81" "C\x82\xBB\x82\xCC\x82\xA0\x82\xC6\x82\xCC\x8D\x80\x96\xDA\x82\xCD\x82\xB7\x82\xD7\x82\xC4\x88\xEA\x82\xC2\x82\xB8\x82\xEA\x82\xC4\x93\xC7\x82\xDC\x82\xEA\x82\xDC\x82\xB7"};

// a name followed by a blank and its values, after the line number and the name
inline constexpr SjisText kJaCauseNameTookLine = {
    "のあとに空白と値が続き，名前が行全体になっています（名前はコンマか行末で終えてください）",
    "\x82\xCC\x82\xA0\x82\xC6\x82\xC9\x8B\xF3\x94\x92\x82\xC6\x92l\x82\xAA\x91\xB1\x82\xAB\x81" "C\x96\xBC\x91O\x82\xAA\x8Ds\x91S\x91\xCC\x82\xC9\x82\xC8\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81i\x96\xBC\x91O\x82\xCD\x83R\x83\x93\x83}\x82\xA9\x8Ds\x96\x96\x82\xC5\x8FI\x82\xA6\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81j"};

// a line with too few values, after its line number
inline constexpr SjisText kJaCauseShortLine = {
    "行目の値が足りないようです．次の行の最初の項目がこの値として読まれています",
    "\x8Ds\x96\xDA\x82\xCC\x92l\x82\xAA\x91\xAB\x82\xE8\x82\xC8\x82\xA2\x82\xE6\x82\xA4\x82\xC5\x82\xB7\x81" "D\x8E\x9F\x82\xCC\x8Ds\x82\xCC\x8D\xC5\x8F\x89\x82\xCC\x8D\x80\x96\xDA\x82\xAA\x82\xB1\x82\xCC\x92l\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7"};

// a CR that ends no line
inline constexpr SjisText kJaCauseLoneCr = {
    "．項目の中に行を終えないCRがあります（行末はLFかCR LFです）",
    "\x81" "D\x8D\x80\x96\xDA\x82\xCC\x92\x86\x82\xC9\x8Ds\x82\xF0\x8FI\x82\xA6\x82\xC8\x82\xA2" "CR\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81i\x8Ds\x96\x96\x82\xCDLF\x82\xA9" "CR LF\x82\xC5\x82\xB7\x81j"};

// a UTF-8 byte-order mark at the start of a file in the kyori layout
inline constexpr SjisText kJaCauseByteOrderMark = {
    "．ファイルの先頭にUTF-8のバイト順マークがあります．マークなしで保存してください",
    "\x81" "D\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x90\xE6\x93\xAA\x82\xC9UTF-8\x82\xCC\x83o\x83" "C\x83g\x8F\x87\x83}\x81[\x83N\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "D\x83}\x81[\x83N\x82\xC8\x82\xB5\x82\xC5\x95\xDB\x91\xB6\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"};

// a file in UTF-16
inline constexpr SjisText kJaCauseUtf16 = {
    "．ファイルがUTF-16です．Shift-JISかUTF-8で保存してください",
    "\x81" "D\x83t\x83@\x83" "C\x83\x8B\x82\xAAUTF-16\x82\xC5\x82\xB7\x81" "DShift-JIS\x82\xA9UTF-8\x82\xC5\x95\xDB\x91\xB6\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"};

// before a line number and a text of a cause: "．3行目の"95,5"…"
inline constexpr SjisText kJaCauseLineOf = {
    "．",
    "\x81" "D"};

// after a line number, before a text on it: "3行目の"
inline constexpr SjisText kJaLineOf = {
    "行目の",
    "\x8Ds\x96\xDA\x82\xCC"};

// before a name in a cause: "名前"x 1 2""
inline constexpr SjisText kJaName = {
    "名前",
    "\x96\xBC\x91O"};

// a table in UTF-16
inline constexpr SjisText kJaUtf16Table = {
    "UTF-16は読めません．表をUTF-8かShift-JISで保存してください",
    "UTF-16\x82\xCD\x93\xC7\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81" "D\x95\\\x82\xF0UTF-8\x82\xA9Shift-JIS\x82\xC5\x95\xDB\x91\xB6\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"};

// a control byte, before it
inline constexpr SjisText kJaControlByte = {
    "制御文字 ",
    "\x90\xA7\x8C\xE4\x95\xB6\x8E\x9A "};

// a control byte, after it
inline constexpr SjisText kJaNotATextTable = {
    " があります．テキストの表ではありません",
    " \x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "D\x83" "e\x83L\x83X\x83g\x82\xCC\x95\\\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// bytes of neither encoding, before them
inline constexpr SjisText kJaBadBytes = {
    "バイト ",
    "\x83o\x83" "C\x83g "};

// bytes of neither encoding, after them
inline constexpr SjisText kJaNeitherEncoding = {
    " はUTF-8でもShift-JISでもありません",
    " \x82\xCDUTF-8\x82\xC5\x82\xE0Shift-JIS\x82\xC5\x82\xE0\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// a quote that is never closed
inline constexpr SjisText kJaQuoteNotClosed = {
    "ここで始まる引用符（\"）が閉じていません",
    "\x82\xB1\x82\xB1\x82\xC5\x8En\x82\xDC\x82\xE9\x88\xF8\x97p\x95\x84\x81i\"\x81j\x82\xAA\x95\xC2\x82\xB6\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1"};

// text after a closing quote, before the text
inline constexpr SjisText kJaAfterClosingQuote = {
    "閉じた引用符のあとに",
    "\x95\xC2\x82\xB6\x82\xBD\x88\xF8\x97p\x95\x84\x82\xCC\x82\xA0\x82\xC6\x82\xC9"};

// a header of the name column alone
inline constexpr SjisText kJaNoTraitColumn = {
    "見出し行に形質の列がありません",
    "\x8C\xA9\x8Fo\x82\xB5\x8Ds\x82\xC9\x8C`\x8E\xBF\x82\xCC\x97\xF1\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// after kJaNoTraitColumn, when the user chose the delimiter
inline constexpr SjisText kJaDelimiterRight = {
    "（区切り文字は正しいですか）",
    "\x81i\x8B\xE6\x90\xD8\x82\xE8\x95\xB6\x8E\x9A\x82\xCD\x90\xB3\x82\xB5\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81j"};

// too many traits, between their count and the most
inline constexpr SjisText kJaTraitsCounted = {
    "の形質があります．形質は",
    "\x82\xCC\x8C`\x8E\xBF\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "D\x8C`\x8E\xBF\x82\xCD"};

// too many varieties, between their count and the most
inline constexpr SjisText kJaVarietiesCounted = {
    "の品種があります．品種は",
    "\x82\xCC\x95i\x8E\xED\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "D\x95i\x8E\xED\x82\xCD"};

// after the most allowed
inline constexpr SjisText kJaAtMost = {
    "までです",
    "\x82\xDC\x82\xC5\x82\xC5\x82\xB7"};

// a table of its header alone
inline constexpr SjisText kJaHeaderOnly = {
    "見出し行しかありません",
    "\x8C\xA9\x8Fo\x82\xB5\x8Ds\x82\xB5\x82\xA9\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"};

// a ragged row, before its variety
inline constexpr SjisText kJaRowOf = {
    "品種 ",
    "\x95i\x8E\xED "};

// a ragged row, between its variety and its cells
inline constexpr SjisText kJaRowHas = {
    " の行のセルは",
    " \x82\xCC\x8Ds\x82\xCC\x83Z\x83\x8B\x82\xCD"};

// a ragged row, between its cells and the header's
inline constexpr SjisText kJaHeaderHas = {
    "個，見出し行は",
    "\x8C\xC2\x81" "C\x8C\xA9\x8Fo\x82\xB5\x8Ds\x82\xCD"};

// a ragged row, after the header's cells
inline constexpr SjisText kJaCells = {
    "個です",
    "\x8C\xC2\x82\xC5\x82\xB7"};

// a name too long, between its bytes and the most
inline constexpr SjisText kJaNameBytes = {
    "バイトの名前があります．名前は",
    "\x83o\x83" "C\x83g\x82\xCC\x96\xBC\x91O\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "D\x96\xBC\x91O\x82\xCD"};

// a name too long, after the most
inline constexpr SjisText kJaBytesAtMost = {
    "バイトまでです",
    "\x83o\x83" "C\x83g\x82\xDC\x82\xC5\x82\xC5\x82\xB7"};

// a row without a variety name
inline constexpr SjisText kJaNoVarietyName = {
    "品種名のない行です",
    "\x95i\x8E\xED\x96\xBC\x82\xCC\x82\xC8\x82\xA2\x8Ds\x82\xC5\x82\xB7"};

// before a variety name
inline constexpr SjisText kJaVarietyName = {
    "品種名",
    "\x95i\x8E\xED\x96\xBC"};

// a variety name with a line break, after it
inline constexpr SjisText kJaHoldsLineBreak = {
    "に改行があります",
    "\x82\xC9\x89\xFC\x8Ds\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7"};

// before a variety given twice
inline constexpr SjisText kJaVariety = {
    "品種 ",
    "\x95i\x8E\xED "};

// a variety given twice, between it and the line of its first
inline constexpr SjisText kJaAlreadyOn = {
    " はすでに",
    " \x82\xCD\x82\xB7\x82\xC5\x82\xC9"};

// a variety given twice, after the line of its first
inline constexpr SjisText kJaAlreadyOnEnd = {
    "行目にあります",
    "\x8Ds\x96\xDA\x82\xC9\x82\xA0\x82\xE8\x82\xDC\x82\xB7"};

// a value with a point in a table separated by semicolons
inline constexpr SjisText kJaDecimalIsComma = {
    "．小数点はコンマです",
    "\x81" "D\x8F\xAC\x90\x94\x93_\x82\xCD\x83R\x83\x93\x83}\x82\xC5\x82\xB7"};

// a value too large, after it
inline constexpr SjisText kJaTooLarge = {
    "は大きすぎます",
    "\x82\xCD\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xDC\x82\xB7"};

// a table of one variety, before its name
inline constexpr SjisText kJaOneVariety = {
    "品種が一つ（",
    "\x95i\x8E\xED\x82\xAA\x88\xEA\x82\xC2\x81i"};

// a table of one variety, after its name
inline constexpr SjisText kJaOneVarietyEnd = {
    "）しかありません．標準化には二つ以上の品種が必要です",
    "\x81j\x82\xB5\x82\xA9\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "D\x95W\x8F\x80\x89\xBB\x82\xC9\x82\xCD\x93\xF1\x82\xC2\x88\xC8\x8F\xE3\x82\xCC\x95i\x8E\xED\x82\xAA\x95K\x97v\x82\xC5\x82\xB7"};

inline constexpr const SjisText* kAllReadTexts[] = {
    &kJaLine,
    &kJaOf,
    &kJaValueOf,
    &kJaVarietyNumbered,
    &kJaTraitNumbered,
    &kJaIs,
    &kJaNotANumber,
    &kJaTooManyDigits,
    &kJaIsEmpty,
    &kJaVarietyCount,
    &kJaTraitCount,
    &kJaNotWhole,
    &kJaNameOf,
    &kJaTheEnd,
    &kJaEndsBefore,
    &kJaAnnounced,
    &kJaAnnouncedTraits,
    &kJaAnnouncedEnd,
    &kJaAfterLastValue,
    &kJaAfterLastName,
    &kJaFollows,
    &kJaThereIs,
    &kJaCannotRead,
    &kJaShifted,
    &kJaCauseTrailingBlank,
    &kJaCauseTrailingComma,
    &kJaCauseEmptyLine,
    &kJaCauseDoubleComma,
    &kJaCauseLeadingComma,
    &kJaCauseDecimalComma,
    &kJaCauseNameTookLine,
    &kJaCauseShortLine,
    &kJaCauseLoneCr,
    &kJaCauseByteOrderMark,
    &kJaCauseUtf16,
    &kJaCauseLineOf,
    &kJaLineOf,
    &kJaName,
    &kJaUtf16Table,
    &kJaControlByte,
    &kJaNotATextTable,
    &kJaBadBytes,
    &kJaNeitherEncoding,
    &kJaQuoteNotClosed,
    &kJaAfterClosingQuote,
    &kJaNoTraitColumn,
    &kJaDelimiterRight,
    &kJaTraitsCounted,
    &kJaVarietiesCounted,
    &kJaAtMost,
    &kJaHeaderOnly,
    &kJaRowOf,
    &kJaRowHas,
    &kJaHeaderHas,
    &kJaCells,
    &kJaNameBytes,
    &kJaBytesAtMost,
    &kJaNoVarietyName,
    &kJaVarietyName,
    &kJaHoldsLineBreak,
    &kJaVariety,
    &kJaAlreadyOn,
    &kJaAlreadyOnEnd,
    &kJaDecimalIsComma,
    &kJaTooLarge,
    &kJaOneVariety,
    &kJaOneVarietyEnd};

}  // namespace kyori::texts

#endif  // KYORI_FRONTEND_READ_TEXTS_H_

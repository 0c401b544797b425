#include "io/input_statement.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "convert/text_to_number.h"
#include "text/byte_string.h"
#include "io/channels.h"
#include "text/texts.h"

namespace kyori {
namespace {

constexpr int32_t kChannel = 1;

// One target of each kind, with storage for every kind; untouched targets
// keep a value that no field in these tests produces.
struct Slot {
  InputKind kind;
  double float64 = -99.0;
  float float32 = -99.0f;
  int32_t int32 = -99;
  int16_t int16 = -99;
  int8_t int8 = -99;
  ByteString text;

  void* Address() {
    switch (kind) {
      case KindFloat64: return &float64;
      case KindFloat32: return &float32;
      case KindInt32: return &int32;
      case KindInt16: return &int16;
      case KindInt8: return &int8;
      default: return &text;  // KindText and unknown kinds
    }
  }

  // The stored value as text: numbers in %g, texts in brackets, unchanged
  // targets as "-".
  std::string Render() const {
    char number[64];
    switch (kind) {
      case KindFloat64:
        if (float64 == -99.0) return "-";
        std::snprintf(number, sizeof number, "%g", float64);
        return number;
      case KindText:
        if (text.IsNull()) return "-";
        return "[" + std::string(text.View()) + "]";
      default:
        return "?";
    }
  }
};

// Sets the list to `slots` and returns nothing; the slots must outlive the
// statement.
void SetTargets(std::vector<Slot>& slots) {
  std::vector<InputTarget> targets;
  for (Slot& slot : slots) targets.push_back({slot.Address(), slot.kind});
  SetInputTargets(targets.data(), static_cast<int>(targets.size()));
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InputStatementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRuntime();
    ResetChannels();
    dir_ = std::filesystem::temp_directory_path() /
           ("kyori_input_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    ResetChannels();
    if (console_out_ >= 0) ::close(console_out_);
    if (console_in_ >= 0) ::close(console_in_);
    std::filesystem::remove_all(dir_);
  }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  void OpenDataFile(const std::string& bytes) {
    OpenChannel(TextFromBytes(WriteFile("data.txt", bytes)), kOpenRead, kChannel);
    ASSERT_TRUE(ChannelIsOpen(kChannel));
  }

  // Standard input becomes a pipe holding `typed` (then closed, so that it
  // ends after it); standard output a file read back by ConsoleOutput().
  void PipeConsole(const std::string& typed) {
    ResetChannels();
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_LT(typed.size(), 60000u);  // fits in the pipe without a reader
    ASSERT_EQ(::write(fds[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    ::close(fds[1]);
    console_in_ = fds[0];
    out_path_ = (dir_ / "console_out.txt").string();
    console_out_ = ::open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(console_out_, 0);
    ConsoleIn = console_in_;
    ConsoleOut = console_out_;
  }

  std::string ConsoleOutput() {
    FlushConsoleOutput();
    return ReadWholeFile(out_path_);
  }

  std::filesystem::path dir_;
  std::string out_path_;
  int console_in_ = -1;
  int console_out_ = -1;
};

// ---------------------------------------------------------------------------
// ReadFromChannel

struct ChannelCase {
  const char* name;
  std::string file;
  // One statement per entry: the kinds of its targets ('d' double, 't' text).
  std::vector<std::string> statements;
  // What each statement's targets hold afterwards, joined by "|".
  std::vector<std::string> expected;
};

std::vector<Slot> SlotsFor(const std::string& kinds) {
  std::vector<Slot> slots;
  for (char k : kinds) {
    Slot slot;
    slot.kind = k == 't' ? KindText : KindFloat64;
    slots.push_back(std::move(slot));
  }
  return slots;
}

std::string RenderAll(const std::vector<Slot>& slots) {
  std::string joined;
  for (const Slot& slot : slots) {
    if (!joined.empty()) joined += "|";
    joined += slot.Render();
  }
  return joined;
}

TEST_F(InputStatementTest, ChannelFieldsLandWhereTheByteRulesPutThem) {
  const ChannelCase cases[] = {
      {"space", "12 34", {"dd"}, {"12|34"}},
      {"comma", "12,34", {"dd"}, {"12|34"}},
      {"comma and space", "12, 34", {"dd"}, {"12|34"}},
      {"space then comma", "12 ,34", {"dd"}, {"12|34"}},
      {"tabs and CR LF", "12\t\t34\r\n", {"dd"}, {"12|34"}},
      {"blank, then a field", "1  2,3", {"ddd"}, {"1|2|3"}},
      {"blank then two commas", "1 ,,3", {"ddd"}, {"1|0|3"}},
      {"text keeps blanks", "ab cd 5\r\nx", {"t", "t"}, {"[ab cd 5]", "[x]"}},
      {"text: leading blanks skipped, trailing kept", " \t ab \r\n", {"t"}, {"[ab ]"}},
      {"quoted text keeps quotes and comma", "\"a,b\",c", {"t", "t"}, {"[\"a,b\"]", "[c]"}},
      {"quotes protect blanks in a number", "\"1 2\" 3", {"d", "d"}, {"0", "3"}},
      {"quotes protect commas in a number", "\"1,2\",3", {"dd"}, {"0|3"}},
      {"CR inside quotes still ends the field", "\"a\r\nb\"", {"t", "t"}, {"[\"a]", "[b\"]"}},
      {"CR LF, LF and end of file", "1\r\n2\n3", {"d", "d", "d", "d"}, {"1", "2", "3", "-"}},
      {"trailing blank gives an empty field", "5 \r\n6\r\n", {"d", "d", "d"}, {"5", "0", "6"}},
      {"trailing comma gives an empty field", "5,\r\n6", {"d", "d", "d"}, {"5", "0", "6"}},
      {"trailing blank before a text", "5 \r\nab\r\n", {"d", "t", "t"}, {"5", "[]", "[ab]"}},
      {"empty line", "\r\nab", {"t", "t"}, {"[]", "[ab]"}},
      {"CR inside a number", "12\r34\r\n7", {"d", "d"}, {"12", "7"}},
      {"CR inside a text", "12\r34\r\n7", {"t", "t"}, {"[12\r34]", "[7]"}},
      {"CR before CR LF", "1\r\r\n2", {"t", "t"}, {"[1\r]", "[2]"}},
      {"CR as the last byte", "ab\r", {"t", "t"}, {"[ab]", "-"}},
      {"NUL ends a field", std::string("ab\0cd", 5), {"t", "t"}, {"[ab]", "[cd]"}},
      {"running out of fields", "1 2", {"ddd"}, {"1|2|-"}},
      {"only blanks", "  \t ", {"d"}, {"-"}},
      {"empty file", "", {"t"}, {"-"}},
      {"Shift-JIS names pass whole", "\x95i\x8E\xED,\x83\\\x83t\x83g", {"t", "t"},
       {"[\x95i\x8E\xED]", "[\x83\\\x83t\x83g]"}},
  };
  for (const ChannelCase& c : cases) {
    SCOPED_TRACE(c.name);
    OpenDataFile(c.file);
    ASSERT_EQ(c.statements.size(), c.expected.size());
    for (std::size_t i = 0; i < c.statements.size(); ++i) {
      std::vector<Slot> slots = SlotsFor(c.statements[i]);
      SetTargets(slots);
      ReadFromChannel(kChannel);
      EXPECT_EQ(RenderAll(slots), c.expected[i]) << "statement " << i;
    }
    CloseChannel(kChannel);
  }
}

TEST_F(InputStatementTest, ChannelThatIsNotOpenAssignsNothing) {
  std::vector<Slot> slots = SlotsFor("dt");
  SetTargets(slots);
  ReadFromChannel(kChannel);  // never opened
  EXPECT_EQ(RenderAll(slots), "-|-");

  OpenChannel(TextFromBytes((dir_ / "missing.txt").string()), kOpenRead, kChannel);
  ASSERT_FALSE(ChannelIsOpen(kChannel));
  ReadFromChannel(kChannel);
  EXPECT_EQ(RenderAll(slots), "-|-");
}

// Every kind stores TextToNumber's result its own way; integers round to
// nearest with ties to even and wrap into their low bits.
TEST_F(InputStatementTest, EachKindStoresItsOwnConversion) {
  OpenDataFile("2.5,-2.5,3.5,3000000000,-3000000000,300,-1,70000,0.1,0.1,x,7");
  std::vector<Slot> slots(12);
  const InputKind kinds[] = {KindInt32, KindInt32, KindInt32, KindInt32, KindInt32, KindInt8,
                             KindInt8,  KindInt16, KindFloat32, KindFloat64, 7, KindFloat64};
  for (int i = 0; i < 12; ++i) slots[i].kind = kinds[i];
  SetTargets(slots);
  ReadFromChannel(kChannel);
  EXPECT_EQ(slots[0].int32, 2);
  EXPECT_EQ(slots[1].int32, -2);
  EXPECT_EQ(slots[2].int32, 4);
  EXPECT_EQ(slots[3].int32, INT32_MIN);
  EXPECT_EQ(slots[4].int32, INT32_MIN);
  EXPECT_EQ(slots[5].int8, 44);  // 300 mod 256
  EXPECT_EQ(slots[6].int8, -1);
  EXPECT_EQ(slots[7].int16, 4464);  // 70000 mod 65536
  EXPECT_EQ(slots[8].float32, static_cast<float>(TextToNumber("0.1")));
  EXPECT_EQ(slots[9].float64, TextToNumber("0.1"));
  EXPECT_TRUE(slots[10].text.IsNull());  // an unknown kind stores nothing...
  EXPECT_EQ(slots[11].float64, 7.0);     // ...but its field is consumed
}

TEST_F(InputStatementTest, NotANumberStoresTheIntegerMinimum) {
  const std::string one_and_zeros = "1" + std::string(400, '0');  // converts to NaN
  OpenDataFile(one_and_zeros + "," + std::string(400, '9'));
  std::vector<Slot> slots(2);
  slots[0].kind = KindInt32;
  slots[1].kind = KindInt16;
  SetTargets(slots);
  ReadFromChannel(kChannel);
  EXPECT_EQ(slots[0].int32, INT32_MIN);
  EXPECT_EQ(slots[1].int16, 0);  // low 16 bits of -2147483648
}

TEST_F(InputStatementTest, TextTargetsReleaseTheirOldText) {
  OpenDataFile("a,b,c,d");
  std::vector<Slot> slots = SlotsFor("t");
  slots[0].text = TextFromBytes("old");
  SetTargets(slots);
  const int32_t live = LiveByteStringCount();
  for (const char* want : {"[a]", "[b]", "[c]", "[d]"}) {
    ReadFromChannel(kChannel);
    EXPECT_EQ(slots[0].Render(), want);
    EXPECT_EQ(LiveByteStringCount(), live);
  }
}

TEST_F(InputStatementTest, HugeFieldsAndUnclosedQuotesAreSafe) {
  // A 10 MB line inside an unclosed quote: blanks and commas stay in the field
  // and the line end still closes it.
  std::string line = "\"" + std::string(10 * 1024 * 1024, 'x');
  line[5000] = ',';
  line[6000] = ' ';
  OpenDataFile(line + "\r\n12");
  std::vector<Slot> slots = SlotsFor("t");
  SetTargets(slots);
  ReadFromChannel(kChannel);
  EXPECT_TRUE(slots[0].text.View() == line);  // no 10 MB failure message
  std::vector<Slot> number = SlotsFor("d");
  SetTargets(number);
  ReadFromChannel(kChannel);
  EXPECT_EQ(number[0].float64, 12.0);
}

// A 300 by 300 data file in the calculator's order: counts, trait names, then
// per variety its name and its values. Reading it must stay linear in its size.
TEST_F(InputStatementTest, ReadsAThreeHundredByThreeHundredFileQuickly) {
  constexpr int kSize = 300;
  std::string file = "300,300\r\n";
  for (int t = 1; t <= kSize; ++t) file += "trait" + std::to_string(t) + (t < kSize ? "," : "\r\n");
  for (int v = 1; v <= kSize; ++v) {
    file += "variety " + std::to_string(v);
    for (int t = 1; t <= kSize; ++t) file += "," + std::to_string((v * 7919 + t * 104729) % 100000) + ".5";
    file += "\r\n";
  }
  OpenDataFile(file);

  double count = 0;
  Slot number;
  number.kind = KindFloat64;
  Slot name;
  name.kind = KindText;
  const InputTarget number_target{&number.float64, KindFloat64};
  const InputTarget name_target{&name.text, KindText};
  double sum = 0;
  int fields = 0;
  const auto start = std::chrono::steady_clock::now();
  SetInputTargets(&number_target, 1);
  ReadFromChannel(kChannel);
  count = number.float64;
  ReadFromChannel(kChannel);
  fields += 2;
  for (int t = 1; t <= kSize; ++t, ++fields) {
    SetInputTargets(&name_target, 1);
    ReadFromChannel(kChannel);
  }
  for (int v = 1; v <= kSize; ++v) {
    SetInputTargets(&name_target, 1);
    ReadFromChannel(kChannel);
    ++fields;
    for (int t = 1; t <= kSize; ++t, ++fields) {
      SetInputTargets(&number_target, 1);
      ReadFromChannel(kChannel);
      sum += number.float64;
    }
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("read %d fields (%zu bytes) in %.2f ms\n", fields, file.size(), ms);

  EXPECT_EQ(count, 300.0);
  EXPECT_EQ(name.Render(), "[variety 300]");
  EXPECT_EQ(number.float64, ((300 * 7919 + 300 * 104729) % 100000) + 0.5);
  double want_sum = 0;
  for (int v = 1; v <= kSize; ++v)
    for (int t = 1; t <= kSize; ++t) want_sum += ((v * 7919 + t * 104729) % 100000) + 0.5;
  EXPECT_EQ(sum, want_sum);
  // Generous for a loaded machine; a reader that costs the file's size per
  // statement takes minutes here.
  EXPECT_LT(ms, 1000.0);
}

// ---------------------------------------------------------------------------
// ReadFromConsole

const std::string kPrompt = "? ";
const std::string kTooMany = std::string(texts::kTooManyFields.bytes) + "\n";
const std::string kTooFew = std::string(texts::kTooFewFields.bytes) + "\n";

struct ConsoleCase {
  const char* name;
  std::string kinds;  // 'd' double, 't' text
  std::string typed;
  bool returns;
  std::string output;
  std::string values;
};

TEST_F(InputStatementTest, ConsoleLinesMustHoldOneFieldPerTarget) {
  const std::string long_line(5000, 'L');
  const ConsoleCase cases[] = {
      {"one target, no comma", "t", "kyori_in.txt\n", true, kPrompt, "[kyori_in.txt]"},
      {"one target, one comma", "t", "a,b\nc\n", true, kPrompt + kTooMany + kPrompt, "[c]"},
      {"empty line, number", "d", "\n", true, kPrompt, "0"},
      {"empty line, text", "t", "\n", true, kPrompt, "[]"},
      {"two targets, too few", "dd", "1\n1, 2\n", true, kPrompt + kTooFew + kPrompt, "1|0"},
      {"two targets, too many", "dd", "1,2,3\n4,5\n", true, kPrompt + kTooMany + kPrompt, "4|5"},
      {"blanks and quotes are kept", "tt", "\"x, y\" \n", true, kPrompt, "[\"x]|[ y\" ]"},
      {"CR LF ending", "t", "abc\r\n", true, kPrompt, "[abc]"},
      {"only one CR dropped", "t", "abc\r\r\n", true, kPrompt, "[abc\r]"},
      {"last line without LF", "t", "abc", true, kPrompt, "[abc]"},
      {"bytes after a NUL are dropped", "tt", std::string("a,b\0,c\n", 7), true, kPrompt, "[a]|[b]"},
      {"several lines in one read", "t", "a,b\nc,d\ne\nf\n", true,
       kPrompt + kTooMany + kPrompt + kTooMany + kPrompt, "[e]"},
      {"line longer than 1024 bytes", "t", long_line + "\n", true, kPrompt, "[" + long_line + "]"},
      {"input ended: empty reply accepted", "t", "", true, kPrompt, "[]"},
      // The empty reply refills the first target; the second keeps the value
      // of the rejected line.
      {"input ended: too few, not asked again", "ddd", "1,2\n", false,
       kPrompt + kTooFew + kPrompt + kTooFew, "0|2|-"},
      {"input ended after a rejected line: the empty reply fits", "d", "1,2\n", true,
       kPrompt + kTooMany + kPrompt, "0"},
  };
  for (const ConsoleCase& c : cases) {
    SCOPED_TRACE(c.name);
    PipeConsole(c.typed);
    std::vector<Slot> slots = SlotsFor(c.kinds);
    SetTargets(slots);
    const int32_t live = LiveByteStringCount();
    EXPECT_EQ(ReadFromConsole(TextFromBytes(kPrompt)), c.returns);
    EXPECT_EQ(ConsoleOutput(), c.output);
    EXPECT_EQ(RenderAll(slots), c.values);
    int32_t texts_stored = 0;
    for (const Slot& slot : slots) texts_stored += slot.text.IsNull() ? 0 : 1;
    EXPECT_EQ(LiveByteStringCount(), live + texts_stored);  // the prompt was released
    ::close(console_in_);
    ::close(console_out_);
    console_in_ = console_out_ = -1;
  }
}

// Each prompt takes exactly one line, so the line after a rejected one is left
// for the next statement.
TEST_F(InputStatementTest, ConsecutiveStatementsTakeOneLineEach) {
  PipeConsole("in.txt\nout.txt\n\n");
  std::vector<Slot> first = SlotsFor("t");
  std::vector<Slot> second = SlotsFor("t");
  std::vector<Slot> third = SlotsFor("t");
  for (auto* slots : {&first, &second, &third}) {
    SetTargets(*slots);
    EXPECT_TRUE(ReadFromConsole(TextFromBytes(kPrompt)));
  }
  EXPECT_EQ(first[0].Render(), "[in.txt]");
  EXPECT_EQ(second[0].Render(), "[out.txt]");
  EXPECT_EQ(third[0].Render(), "[]");
  EXPECT_EQ(ConsoleOutput(), kPrompt + kPrompt + kPrompt);
  EXPECT_FALSE(ConsoleInputEnded());  // the last line was read whole, LF included
}

}  // namespace
}  // namespace kyori

// The output files' replace-or-keep logic: one file's temporary, rename,
// restore and settle steps, the set's all-or-none commit, and which names
// are one file.
#include "frontend/output_set.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kyori {
namespace {

namespace fs = std::filesystem;

class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kyori-output-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Every name in the folder, sorted.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static bool Written(OutputFile& file, const std::string& bytes) {
    file.Stream() << bytes;
    return file.Finish();
  }

  std::string folder_;
};

TEST_F(OutputFiles, ReplaceThenSettleLeavesOnlyTheNewFileWithTheOldPermissions) {
  Put("out.txt", "old");
  ::chmod(Path("out.txt").c_str(), 0640);
  OutputFile file;
  ASSERT_TRUE(file.Open(Path("out.txt")));
  EXPECT_EQ(Listing().size(), 2u);  // the output and its temporary file
  EXPECT_EQ(Get("out.txt"), "old");
  ASSERT_TRUE(Written(file, "new"));
  ASSERT_TRUE(file.Replace());
  EXPECT_EQ(Get("out.txt"), "new");
  file.Settle();
  EXPECT_EQ(Listing(), std::vector<std::string>{"out.txt"});
  struct stat info;
  ASSERT_EQ(::stat(Path("out.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(OutputFiles, RestoreUndoesReplace) {
  Put("kept.txt", "old");
  for (const std::string name : {"kept.txt", "new.txt"}) {
    OutputFile file;
    ASSERT_TRUE(file.Open(Path(name)));
    ASSERT_TRUE(Written(file, "new"));
    ASSERT_TRUE(file.Replace());
    ASSERT_TRUE(file.Restore());
  }
  // The existing file has its old bytes back; the one that did not exist is gone.
  EXPECT_EQ(Listing(), std::vector<std::string>{"kept.txt"});
  EXPECT_EQ(Get("kept.txt"), "old");
}

TEST_F(OutputFiles, AbandonedOrDestroyedBeforeReplaceLeavesTheOutputAsItWas) {
  Put("out.txt", "old");
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(Path("out.txt")));
    file.Stream() << "half a report";
  }
  OutputFile finished;
  ASSERT_TRUE(finished.Open(Path("out.txt")));
  ASSERT_TRUE(Written(finished, "complete"));
  finished.Abandon();
  EXPECT_EQ(Listing(), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(Get("out.txt"), "old");
}

TEST_F(OutputFiles, TheTemporaryNameFitsBesideAnyLegalName) {
  const std::string longest(255, 'r');
  OutputFile file;
  ASSERT_TRUE(file.Open(Path(longest)));
  for (const std::string& name : Listing()) EXPECT_LE(name.size(), 40u) << name;
  ASSERT_TRUE(Written(file, "x"));
  ASSERT_TRUE(file.Replace());
  file.Settle();
  EXPECT_EQ(Listing(), std::vector<std::string>{longest});
}

TEST_F(OutputFiles, CannotOpenAMissingFolderAFolderOrALinkLoop) {
  fs::create_directory(Path("sub"));
  fs::create_symlink("loop", Path("loop"));
  for (const std::string name : {"nodir/out.txt", "sub", "loop"}) {
    OutputFile file;
    EXPECT_FALSE(file.Open(Path(name))) << name;
  }
  EXPECT_EQ(Listing(), (std::vector<std::string>{"loop", "sub"}));
}

TEST_F(OutputFiles, CommitPutsEveryOutputInPlaceOrNone) {
  for (const bool second_fails : {false, true}) {
    SCOPED_TRACE(second_fails);
    Put("a", "old a");
    fs::remove_all(Path("b"));
    OutputSet set({{"OUTPUT", Path("a")}, {"--tree", Path("b")}});
    ASSERT_EQ(set.Open(), -1);
    ASSERT_TRUE(Written(set.File(0), "new a"));
    ASSERT_TRUE(Written(set.File(1), "new b"));
    // A folder that takes the second output's name after it was opened:
    // its rename cannot replace it.
    if (second_fails) fs::create_directory(Path("b"));
    EXPECT_EQ(set.Commit(), second_fails ? 1 : -1);
    EXPECT_EQ(Get("a"), second_fails ? "old a" : "new a");
    if (!second_fails) {
      EXPECT_EQ(Get("b"), "new b");
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a", "b"}));
  }
}

TEST_F(OutputFiles, OpenThatFailsRemovesTheTemporaryFilesAlreadyMade) {
  OutputSet set({{"OUTPUT", Path("a")}, {"--svg", Path("nodir/b")}});
  EXPECT_EQ(set.Open(), 1);
  EXPECT_TRUE(Listing().empty());
}

TEST_F(OutputFiles, OutputsWrittenInPlaceComeLast) {
  OutputSet set({{"OUTPUT", "-"}, {"--tree", Path("t")}, {"--svg", "/dev/null"}, {"--phylip", Path("p")}});
  ASSERT_EQ(set.Open(), -1);
  EXPECT_EQ(set.WriteOrder(), (std::vector<int>{1, 3, 0, 2}));
}

TEST_F(OutputFiles, SharedFilesAreFoundByAnyNameOrLink) {
  Put("in.txt", "data");
  Put("out.txt", "old");
  fs::create_symlink("out.txt", Path("to_out"));
  fs::create_symlink("in.txt", Path("to_in"));
  fs::create_symlink("later.txt", Path("to_later"));  // a link to a file not yet made
  fs::create_hard_link(Path("out.txt"), Path("hard"));
  fs::create_directory(Path("sub"));
  struct Case {
    std::vector<std::string> outputs;
    int output;
    int other;
  };
  const int kData = SharedFile::kData;
  const int kNone = SharedFile::kNone;
  const std::vector<Case> cases = {
      {{"out.txt", "t.nwk", "t.svg"}, kNone, kNone},
      {{"out.txt", "in.txt"}, 1, kData},
      {{"out.txt", "sub/../in.txt"}, 1, kData},
      {{"out.txt", "to_in"}, 1, kData},
      {{"to_in"}, 0, kData},
      {{"out.txt", "to_out"}, 1, 0},
      {{"out.txt", "t", "hard"}, 2, 0},
      {{"new", "t", "./new"}, 2, 0},         // neither exists yet
      {{"later.txt", "to_later"}, 1, 0},     // the link's target, not yet made
      {{"nodir/a", "nodir/a"}, kNone, kNone},  // cannot be created: not a clash
  };
  for (const Case& c : cases) {
    std::vector<OutputName> names;
    for (const std::string& o : c.outputs) names.push_back({"opt", o});
    const fs::path here = fs::current_path();
    fs::current_path(folder_);
    const SharedFile found = FindSharedFile("in.txt", names);
    fs::current_path(here);
    EXPECT_EQ(found.output, c.output) << c.outputs.back();
    EXPECT_EQ(found.other, c.other) << c.outputs.back();
  }
}

}  // namespace
}  // namespace kyori

// Directory links (junctions, directory symbolic links) are never followed: the link itself
// is removed with RemoveDirectoryA, what it points at stays. The links come from
// make-links.sh, run in this test's own prefix before it starts.
//
// Wine cannot remove a link to a folder that is not empty (it tries the folder the link points
// at), so here the link's removal fails and is reported as failed; Windows removes the link.
// Either way nothing behind the link is deleted.
#include <gtest/gtest.h>

#include <memory>

#include "engine/files.h"
#include "engine/log_file.h"
#include "log_capture.h"
#include "test_support.h"

namespace {

const std::string kRoot = "C:\\purgon-links\\";

class LinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetFileAttributesA((kRoot + "tree\\link").c_str()), 0x410u) << "links not made";
    logDir_ = MakeScratchDir("links-log");
    log_.reset(new LogCapture(logDir_ + "purgon.log"));
  }
  void TearDown() override {
    log_.reset();
    DeleteTreeForTest(logDir_);
  }
  void ExpectTargetUntouched() {
    EXPECT_EQ(ReadFileBytes(kRoot + "target\\keep.txt"), "keep\n");
    EXPECT_EQ(ReadFileBytes(kRoot + "target\\deeper\\keep.txt"), "keep\n");
  }

  std::string logDir_;
  std::unique_ptr<LogCapture> log_;
};

// Lines for the entries of `folder` in listing order: `lineFor` gives each entry's lines.
template <typename LineFor>
void AppendInListingOrder(const std::string& folder, std::vector<std::string>& lines,
                          LineFor lineFor) {
  std::vector<std::string> names;
  ListDirectory(folder + "*", names);
  for (const std::string& name : names) lineFor(name, lines);
}

TEST_F(LinksTest, LinkInsideTreeIsNotFollowed) {
  const std::string tree = kRoot + "tree\\";
  const std::string sub = tree + "sub\\";
  std::vector<std::string> expected;
  AppendInListingOrder(tree, expected, [&](const std::string& name, std::vector<std::string>& lines) {
    if (name == "a.txt") lines.push_back(FileOk(tree + name));
    if (name == "link") lines.push_back(DirFailed(tree + "link\\"));
    if (name == "sub") {
      AppendInListingOrder(sub, lines, [&](const std::string& inner, std::vector<std::string>& l) {
        l.push_back(inner == "link2" ? DirFailed(sub + "link2\\") : FileOk(sub + inner));
      });
      lines.push_back(DirFailed(sub));
    }
  });
  expected.push_back(DirFailed(tree));
  ASSERT_EQ(expected.size(), 6u);

  RemoveDirTree(tree);
  ExpectTargetUntouched();
  EXPECT_FALSE(FileExists(tree + "a.txt"));
  EXPECT_FALSE(FileExists(sub + "b.txt"));
  EXPECT_EQ(log_->Log(), LogLines(expected));
  std::vector<std::string> failed;
  for (const std::string& line : expected)
    if (line.compare(16, 6, "failed") == 0) failed.push_back(line.substr(23));
  EXPECT_EQ(log_->Failures(), failed);
}

TEST_F(LinksTest, NamedFolderThatIsALinkIsRemovedAsALinkOnly) {
  RemoveDirTree(kRoot + "named\\");
  ExpectTargetUntouched();
  EXPECT_EQ(log_->Log(), LogLines({DirFailed(kRoot + "named\\")}));
  EXPECT_EQ(log_->Failures(), std::vector<std::string>{kRoot + "named\\"});
}

// A symbolic link planted under the log's name: the run stays unlogged, says so, and the file
// the link points at keeps its bytes. A link that points at nothing is not followed to
// create its target either.
TEST(LogLink, LinkUnderTheLogsNameIsRefusedAndItsTargetLeftAlone) {
  CleanupContext context;
  EXPECT_FALSE(OpenLogWithoutLinks(context, (kRoot + "log\\purgon.log").c_str()));
  EXPECT_TRUE(context.logRefused);
  EXPECT_EQ(ReadFileBytes(kRoot + "log\\victim.txt"), "precious\n");

  CleanupContext dangling;
  EXPECT_FALSE(OpenLogWithoutLinks(dangling, (kRoot + "dangling\\purgon.log").c_str()));
  EXPECT_TRUE(dangling.logRefused);
  EXPECT_FALSE(FileExists(kRoot + "dangling\\victim.txt"));
}

}  // namespace

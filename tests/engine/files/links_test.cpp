// Directory links (junctions, directory symbolic links) are never followed: the link itself
// is removed with RemoveDirectoryA, what it points at stays. The links come from
// make-links.sh, run in this test's own prefix before it starts.
//
// Wine cannot remove a link to a folder that is not empty (it tries the folder the link points
// at), so here the link's removal fails and is reported as failed; Windows removes the link.
// Either way nothing behind the link is deleted.
#include <gtest/gtest.h>

#include <memory>

#include <shlobj.h>

#include "engine/files/file_calls.h"
#include "engine/removal/remover.h"
#include "engine/core/log_file.h"
#include "engine/system/shell.h"
#include "engine/text/wide_text.h"
#include "log_capture.h"
#include "test_support.h"

namespace {

const std::string kRoot = "C:\\purgon-links\\";

class LinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetFileAttributesA((kRoot + "tree\\link").c_str()), 0x410u) << "links not made";
    logDir_ = MakeScratchDir("links-log");
    run_.reset(new TestRun(logDir_ + "purgon.log"));
  }
  void TearDown() override {
    run_.reset();
    DeleteTreeForTest(logDir_);
  }
  void ExpectTargetUntouched() {
    EXPECT_EQ(ReadFileBytes(kRoot + "target\\keep.txt"), "keep\n");
    EXPECT_EQ(ReadFileBytes(kRoot + "target\\deeper\\keep.txt"), "keep\n");
  }

  std::string logDir_;
  DWORD RemoveFile(const std::string& path) { return run_->remove.RemoveFile(Widen(path)); }
  DWORD RemoveDirTree(const std::string& path) { return run_->remove.RemoveDirTree(Widen(path)); }

  std::unique_ptr<TestRun> run_;
};

// Lines for the entries of `folder` in listing order: `lineFor` gives each entry's lines.
template <typename LineFor>
void AppendInListingOrder(const std::string& folder, std::vector<std::string>& lines,
                          LineFor lineFor) {
  std::vector<std::string> names;
  ListNames(folder + "*", names);
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
  EXPECT_EQ(run_->Log(), LogLines(expected));
  std::vector<std::string> failed;
  for (const std::string& line : expected)
    if (line.compare(16, 6, "failed") == 0) failed.push_back(line.substr(23));
  EXPECT_EQ(run_->Failures(), failed);
}

TEST_F(LinksTest, NamedFolderThatIsALinkIsRemovedAsALinkOnly) {
  RemoveDirTree(kRoot + "named\\");
  ExpectTargetUntouched();
  EXPECT_EQ(run_->Log(), LogLines({DirFailed(kRoot + "named\\")}));
  EXPECT_EQ(run_->Failures(), std::vector<std::string>{kRoot + "named\\"});
}

bool MadeByAdministrators(HANDLE) { return true; }

// A link in the middle of a path: through "docs" (a link to the profiles root) the user's
// profile, through "croot" (a link to the drive) the Windows folder. A link that no
// administrator made is never followed: everything through it is refused, even a folder below
// them. One the system made (Wine reads every owner as the running account, so the test says
// which) is followed, and the folders it leads to are judged by what they are: the protected
// ones refused, a folder below them everyday work. Deletions are faked: a failure here would
// take the profile or Windows.
TEST_F(LinksTest, LinkInTheMiddleOfAPathIsFollowedOnlyWhenTheSystemMadeIt) {
  const std::string profile = ShellFolderText(CSIDL_PROFILE);
  ASSERT_FALSE(profile.empty());
  const std::string user = profile.substr(profile.rfind('\\', profile.size() - 2) + 1);
  const std::string viaDocs = kRoot + "docs\\" + user;
  const std::vector<std::string> refused = {
      viaDocs,
      viaDocs + "AppData\\Roaming\\",
      kRoot + "croot\\windows\\",
      kRoot + "croot\\windows\\system32\\",
      kRoot + "croot\\users\\",
  };
  const std::string sub = "AppData\\Roaming\\purgon-links-sub\\";
  ASSERT_TRUE(MakeDirs(profile + sub + "inner\\"));
  FakedDeletions faked(*run_);
  std::vector<std::string> expected;
  for (const std::string& path : refused) expected.push_back(DirFailed(path));
  for (const std::string& path : refused) RemoveDirTree(path);
  RemoveDirTree(viaDocs + sub);
  RemoveFile(viaDocs + sub + "a.txt");
  expected.push_back(DirFailed(viaDocs + sub));
  expected.push_back(FileFailed(viaDocs + sub + "a.txt"));
  EXPECT_TRUE(FakedDeletions::Removed().empty());

  run_->context.files.madeByAdministrators = MadeByAdministrators;
  for (const std::string& path : refused) RemoveDirTree(path);
  RemoveDirTree(viaDocs + sub);
  for (const std::string& path : refused) expected.push_back(DirFailed(path));
  expected.push_back(DirOk(viaDocs + sub + "inner\\"));
  expected.push_back(DirOk(viaDocs + sub));
  EXPECT_EQ(FakedDeletions::Removed(),
            (std::vector<std::string>{viaDocs + sub + "inner\\", viaDocs + sub}));
  EXPECT_EQ(run_->Log(), LogLines(expected));
  RemoveDirectoryA((profile + sub + "inner").c_str());
  RemoveDirectoryA((profile + sub).c_str());
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

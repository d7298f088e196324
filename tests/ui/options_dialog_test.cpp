// The options dialog: its template as built into purgon.exe, the dialog driven in this
// process from that template, and the real program driven through the dialog as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resource.h"
#include "test_support.h"
#include "ui/options_dialog.h"
#include "version.h"

namespace {

const std::string kTitle = "Purgon " PURGON_VERSION_TEXT;

// ---- The template, read back from the built program -------------------------------------

struct ExpectedControl {
  int id;
  const char* caption;
  short x, y, cx, cy;
  DWORD style;
};

const DWORD kBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD kGroup = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;

// Template order, which is the tab order.
const ExpectedControl kControls[] = {
    {214, "Select all", 20, 25, 45, 10, kBox},
    {202, "All Users", 20, 40, 43, 10, kBox},
    {205, "Desktop Shortcuts", 20, 50, 75, 10, kBox},
    {206, "Program menu", 20, 60, 61, 10, kBox},
    {207, "Content Store", 20, 70, 59, 10, kBox},
    {208, "Shutdown PEL", 20, 80, 66, 10, kBox},
    {215, "Select all", 130, 25, 45, 10, kBox},
    {209, "All Users", 130, 40, 43, 10, kBox},
    {210, "Desktop Shortcuts", 130, 49, 75, 10, kBox},
    {211, "Program menu", 130, 59, 61, 10, kBox},
    {212, "Content Store", 130, 70, 59, 10, kBox},
    {213, "Shutdown QHost", 130, 80, 69, 10, kBox},
    {203, "Write to purgon.log", 10, 110, 75, 10, kBox},
    {204, "Verbose", 10, 120, 42, 10, kBox},
    {1, "OK", 10, 140, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {2, "Cancel", 70, 140, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {-1, "PEL Options", 11, 10, 104, 93, kGroup},
    {-1, "ORV Options", 125, 10, 104, 93, kGroup},
    {216, "Preferences", 130, 90, 54, 10, kBox},
    {217, "Preferences", 20, 90, 54, 10, kBox},
};

// Reads an extended dialog template (DLGTEMPLATEEX and DLGITEMTEMPLATEEX records).
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : p_(data), start_(data) {}
  WORD Word() { WORD v; memcpy(&v, p_, 2); p_ += 2; return v; }
  DWORD Dword() { DWORD v; memcpy(&v, p_, 4); p_ += 4; return v; }
  short Short() { return static_cast<short>(Word()); }
  BYTE Byte() { return *p_++; }
  // A name or an ordinal; an ordinal reads as "#n", nothing as "".
  std::string NameOrOrdinal() {
    const WORD first = Word();
    if (first == 0) return "";
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    std::string text(1, static_cast<char>(first));
    for (WORD c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignDword() { while ((p_ - start_) % 4) ++p_; }
  void Skip(size_t bytes) { p_ += bytes; }

 private:
  const BYTE* p_;
  const BYTE* start_;
};

struct DataModule {
  HMODULE module = LoadLibraryExA(PurgonPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ~DataModule() { if (module) FreeLibrary(module); }
};

TEST(OptionsTemplate, MatchesTheDialogTable) {
  DataModule program;
  ASSERT_TRUE(program.module != nullptr);
  HRSRC found = FindResourceA(program.module, MAKEINTRESOURCEA(IDD_OPTIONS), RT_DIALOG);
  ASSERT_TRUE(found != nullptr);
  TemplateReader in(static_cast<const BYTE*>(LockResource(LoadResource(program.module, found))));
  EXPECT_EQ(in.Word(), 1);       // dlgVer
  EXPECT_EQ(in.Word(), 0xFFFF);  // extended template
  in.Dword();                    // help id
  EXPECT_EQ(in.Dword(), 0u) << "extended style";
  EXPECT_EQ(in.Dword(), static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  const WORD count = in.Word();
  EXPECT_EQ(in.Short(), 0);
  EXPECT_EQ(in.Short(), 0);
  EXPECT_EQ(in.Short(), 237);
  EXPECT_EQ(in.Short(), 166);
  EXPECT_EQ(in.NameOrOrdinal(), "") << "menu";
  EXPECT_EQ(in.NameOrOrdinal(), "") << "class";
  EXPECT_EQ(in.NameOrOrdinal(), "Dialog");
  EXPECT_EQ(in.Word(), 8) << "point size";
  in.Word();  // weight
  in.Byte();  // italic
  in.Byte();  // character set
  EXPECT_EQ(in.NameOrOrdinal(), "MS Sans Serif");
  ASSERT_EQ(count, sizeof(kControls) / sizeof(kControls[0]));
  for (const ExpectedControl& control : kControls) {
    SCOPED_TRACE(control.caption);
    in.AlignDword();
    in.Dword();  // help id
    EXPECT_EQ(in.Dword(), 0u) << "extended style";
    EXPECT_EQ(in.Dword(), control.style);
    EXPECT_EQ(in.Short(), control.x);
    EXPECT_EQ(in.Short(), control.y);
    EXPECT_EQ(in.Short(), control.cx);
    EXPECT_EQ(in.Short(), control.cy);
    EXPECT_EQ(static_cast<int>(in.Dword()), control.id);
    const std::string windowClass = in.NameOrOrdinal();
    EXPECT_TRUE(windowClass == "#128" || lstrcmpiA(windowClass.c_str(), "Button") == 0) << windowClass;
    EXPECT_EQ(in.NameOrOrdinal(), control.caption);
    in.Skip(in.Word());  // creation data
  }
}

// ---- The dialog in this process, from the program's template ---------------------------

const int kPelBoxes[] = {202, 205, 206, 207, 208, 217};
const int kOrvBoxes[] = {209, 210, 211, 212, 213, 216};
const int kCheckBoxes[] = {214, 202, 205, 206, 207, 208, 215, 209, 210, 211, 212, 213, 203, 204, 216, 217};

// The ticked check boxes, in tab order, as "214 202 ...".
std::string TickedBoxes(const BoxInfo& box) {
  std::string ticked;
  for (int id : kCheckBoxes)
    if (IsTicked(box, id)) ticked += (ticked.empty() ? "" : " ") + std::to_string(id);
  return ticked;
}

// The settings the dialog run in this process fills.
RunSettings gSettings;

// Runs the dialog from purgon.exe's template on this thread while `user` works it.
INT_PTR RunDialogInProcess(const std::function<void(const BoxInfo&)>& user) {
  DataModule program;
  TestThread driver([&user]() {
    BoxInfo box;
    if (WaitForBox(GetCurrentProcessId(), 10000, box)) user(box);
  });
  OptionsDialog dialog(gSettings, "Purgon test");
  const INT_PTR result = dialog.Run(program.module, nullptr);
  driver.join();
  return result;
}

class OptionsDialogInProcess : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    RunSettings& app = gSettings;
    app.pelOptions = app.orvOptions = 0;
    app.logEnabled = app.verbose = false;
  }
};

TEST_F(OptionsDialogInProcess, BothSelectAllGive126AndTheFlagsFollowTheirBoxes) {
  gSettings.logEnabled = true;  // as "/l" would: OK with the box unticked turns it off
  std::string ticked;
  const INT_PTR result = RunDialogInProcess([&ticked](const BoxInfo& box) {
    ClickControl(box, IDC_PEL_SELECT_ALL);
    ClickControl(box, IDC_ORV_SELECT_ALL);
    ClickControl(box, IDC_VERBOSE);
    ticked = TickedBoxes(box);
    PressButton(box, "OK");
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(ticked, "214 202 205 206 207 208 215 209 210 211 212 213 204 216 217");
  const RunSettings& app = gSettings;
  EXPECT_EQ(app.pelOptions, 126);
  EXPECT_EQ(app.orvOptions, 126);
  EXPECT_FALSE(app.logEnabled);
  EXPECT_TRUE(app.verbose);
}

TEST_F(OptionsDialogInProcess, EachBoxAddsItsOwnBit) {
  struct Case { int id; int32_t pel, orv; } cases[] = {
      {202, 2, 0}, {205, 4, 0}, {206, 8, 0}, {207, 16, 0}, {208, 32, 0}, {217, 64, 0},
      {209, 0, 2}, {210, 0, 4}, {211, 0, 8}, {212, 0, 16}, {213, 0, 32}, {216, 0, 64}};
  for (const Case& c : cases) {
    Reset();
    RunDialogInProcess([&c](const BoxInfo& box) {
      ClickControl(box, c.id);
      PressButton(box, "OK");
    });
    EXPECT_EQ(gSettings.pelOptions, c.pel) << c.id;
    EXPECT_EQ(gSettings.orvOptions, c.orv) << c.id;
  }
}

TEST_F(OptionsDialogInProcess, CancelAndCloseWriteNothing) {
  gSettings.logEnabled = true;
  for (bool close : {false, true}) {
    const INT_PTR result = RunDialogInProcess([close](const BoxInfo& box) {
      ClickControl(box, IDC_PEL_SELECT_ALL);
      ClickControl(box, IDC_WRITE_LOG);
      ClickControl(box, IDC_VERBOSE);
      if (close) CloseBox(box);
      else PressButton(box, "Cancel");
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(gSettings.pelOptions, 0);
    EXPECT_TRUE(gSettings.logEnabled);
    EXPECT_FALSE(gSettings.verbose);
  }
}

TEST_F(OptionsDialogInProcess, ATaskBarOnTheLeftMovesTheDialogLeftOfTheWorkAreaCentre) {
  RECT saved = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0);
  RECT narrowed = saved;
  narrowed.left += 200;  // as a task bar 200 pixels wide on the left would
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &narrowed, 0));
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT rect = {};
  RunDialogInProcess([&rect](const BoxInfo& box) {
    GetWindowRect(box.window, &rect);
    PressButton(box, "Cancel");
  });
  SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
  ASSERT_EQ(work.left, saved.left + 200) << "the work area could not be changed here";
  // Only the work area's right and bottom edges count.
  EXPECT_EQ(rect.left, (work.right - (rect.right - rect.left)) / 2);
  EXPECT_EQ(rect.top, (work.bottom - (rect.bottom - rect.top)) / 2);
}

TEST_F(OptionsDialogInProcess, WithoutTheTemplateNothingIsShownOrWritten) {
  // This test program has no dialog template of its own.
  EXPECT_FALSE(ShowOptionsDialog(gSettings, "Purgon test"));
  EXPECT_EQ(gSettings.pelOptions, 0);
}

// ---- The real program, driven through its dialog ----------------------------------------

// Ends the program that shows `box`: the summary has been read and no removal is wanted.
void EndProgramOf(const BoxInfo& box) {
  DWORD processId = 0;
  GetWindowThreadProcessId(box.window, &processId);
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  TerminateProcess(process, 0xE0D);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

const char kEverythingSummary[] =
    "PEL Options:\n\tAll binaries and registry entries\n\tAll Users\n\tRemove Desktop Shortcuts\n"
    "\tRemove Program Shortcuts\n\tRemove CStore\n\tShutdown Client\n\tRemove Prefs"
    "\nORV Options:\n\tAll binaries and registry entries\n\tAll Users\n\tRemove Desktop Shortcuts\n"
    "\tRemove Program Shortcuts\n\tRemove CStore\n\tShutdown Client\n\tRemove Prefs";

class OptionsDialogRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { DeleteTreeForTest(dir_); }
  std::string LogPath() const { return dir_ + "purgon.log"; }

  // Runs purgon.exe with `arguments`: `inDialog` works the dialog (the first box), the
  // confirmation is answered Yes, and the program is ended at the summary box.
  RunResult Run(const std::string& arguments, const std::function<void(const BoxInfo&)>& inDialog) {
    auto seen = std::make_shared<int>(0);
    return RunPurgon(arguments, dir_, [seen, inDialog](const BoxInfo& box) {
      if ((*seen)++ == 0) inDialog(box);
      else if (box.text.rfind("PEL Options:", 0) == 0) EndProgramOf(box);
      else if (!PressButton(box, "Yes")) CloseBox(box);
    }, 60000);
  }
  std::string dir_;
};

TEST_F(OptionsDialogRun, OpensUntickedAndCentredAndSelectAllWorksItsOwnGroup) {
  std::vector<std::string> states;
  RECT rect = {};
  RunResult r = Run("", [&](const BoxInfo& box) {
    GetWindowRect(box.window, &rect);
    states.push_back(TickedBoxes(box));
    for (int id : {214, 205, 214, 215, 215, 214, 203}) {
      ClickControl(box, id);
      states.push_back(TickedBoxes(box));
    }
    PressButton(box, "Cancel");
  });
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u) << "Cancel ends the run without any further box";
  EXPECT_EQ(r.boxes[0].caption, kTitle);
  EXPECT_FALSE(r.boxes[0].isMessageBox);
  EXPECT_FALSE(r.boxes[0].owned) << "no window is active at start-up";
  const std::vector<std::string> expected = {
      "",                                   // nothing ticked at open
      "214 202 205 206 207 208 217",        // PEL "Select all" ticks its six
      "214 202 206 207 208 217",            // one box cleared; "Select all" stays
      "",                                   // "Select all" cleared clears its six
      "215 209 210 211 212 213 216",        // ORV "Select all" ticks its six only
      "",
      "214 202 205 206 207 208 217",
      "214 202 205 206 207 208 203 217",    // the log box is its own
  };
  EXPECT_EQ(states, expected);
  // Centred between the screen's left and top edges and the work area's right and bottom.
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(rect.left, (work.right - (rect.right - rect.left)) / 2);
  EXPECT_EQ(rect.top, (work.bottom - (rect.bottom - rect.top)) / 2);
}

TEST_F(OptionsDialogRun, BothSelectAllAskForEverythingAndTheUntickedLogBoxWins) {
  RunResult r = Run("/l", [](const BoxInfo& box) {
    ClickControl(box, IDC_PEL_SELECT_ALL);
    ClickControl(box, IDC_ORV_SELECT_ALL);
    ClickControl(box, IDC_VERBOSE);
    PressButton(box, "OK");
  });
  ASSERT_TRUE(r.finished);
  ASSERT_EQ(r.boxes.size(), 3u);
  EXPECT_EQ(r.boxes[1].buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(r.boxes[2].text, kEverythingSummary);
  EXPECT_FALSE(FileExists(LogPath())) << "the log is opened before the summary";
}

TEST_F(OptionsDialogRun, OrvContentStoreAloneWithLogWhenSilent) {
  // "/s" does not stop the dialog; after it there is no confirmation.
  RunResult r = Run("/s", [](const BoxInfo& box) {
    ClickControl(box, IDC_ORV_CONTENT_STORE);
    ClickControl(box, IDC_WRITE_LOG);
    ClickControl(box, IDC_VERBOSE);
    PressButton(box, "OK");
  });
  ASSERT_TRUE(r.finished);
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[1].caption, kTitle);
  EXPECT_EQ(r.boxes[1].text,
            "PEL Options:\n\t(none)\nORV Options:\n\tAll binaries and registry entries\n\tRemove CStore\n");
  EXPECT_TRUE(FileExists(LogPath()));
}

TEST_F(OptionsDialogRun, OkWithNoClientBoxEndsWithoutAnyBoxOrLog) {
  // Zero words ask for no removal: the dialog is shown all the same.
  RunResult r = Run("/l /pel 0 /orv 0", [](const BoxInfo& box) {
    ClickControl(box, IDC_WRITE_LOG);
    ClickControl(box, IDC_VERBOSE);
    PressButton(box, "OK");
  });
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_FALSE(r.boxes[0].isMessageBox) << "the one box is the dialog";
  EXPECT_FALSE(FileExists(LogPath()));
}

}  // namespace

// The main dialog grown to its texts in its font at the display's DPI: every text has room,
// nothing overlaps, the timestamp columns stay aligned, what stands to the right of the date and
// time fields moved by what they gained and the dialog grew by as much, and the rest stayed where
// the template puts it. Both dialogs are checked once more at 96 and at 144 DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/window_helpers.h"
#include "dialog/date_text.h"
#include "dialog/row_kinds.h"
#include "support/layout_checks.h"
#include "tests/dialog/dialog_test_support.h"

namespace {

using dialogtest::DialogFixture;

class FitTextsTest : public DialogFixture {
 protected:
  // A template rectangle (dialog units) in pixels of the dialog's client area; position and size
  // are converted each on its own, as the platform creates the controls.
  RECT Template(int x, int y, int cx, int cy) const {
    RECT units = {x, y, cx, cy};
    MapDialogRect(dialog_, &units);
    return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
  }
  RECT Now(int id) const { return layout::ClientRectIn(dialog_, Item(id)); }
};

const int kDates[] = {IDC_NOW_DATE, IDC_CREATION_DATE, IDC_LASTWRITE_DATE, IDC_LASTACCESS_DATE,
                      IDC_CREATION_SHIFT_DAYS, IDC_LASTWRITE_SHIFT_DAYS,
                      IDC_LASTACCESS_SHIFT_DAYS};
const int kTimes[] = {IDC_NOW_TIME, IDC_CREATION_TIME, IDC_LASTWRITE_TIME, IDC_LASTACCESS_TIME,
                      IDC_CREATION_SHIFT_TIME, IDC_LASTWRITE_SHIFT_TIME,
                      IDC_LASTACCESS_SHIFT_TIME};
const int kKinds[] = {IDC_CREATION_KIND, IDC_LASTWRITE_KIND, IDC_LASTACCESS_KIND};

TEST_F(FitTextsTest, MainDialogGrowsToItsTexts) {
  Open();
  layout::ExpectChosenDpi();
  std::vector<layout::Shape> shapes;
  for (int id : kDates) shapes.push_back({id, kDateTextShape});
  for (int id : kTimes) shapes.push_back({id, kTimeTextShape});
  for (int id : {IDC_CREATION_SHIFT_DAYS, IDC_LASTWRITE_SHIFT_DAYS, IDC_LASTACCESS_SHIFT_DAYS})
    shapes.push_back({id, kShiftDaysShape});
  // Each row of each kind: the fields of one kind share a place, so only those shown count. A
  // list's last item is the shift, the one before it an own time, the first the date.
  for (int fromEnd : {0, 1, -1}) {
    for (int id : kKinds) {
      LRESULT count = SendMessageA(Item(id), CB_GETCOUNT, 0, 0);
      SendMessageA(Item(id), CB_SETCURSEL, fromEnd < 0 ? 0 : count - 1 - fromEnd, 0);
      SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Item(id)));
    }
    SCOPED_TRACE(fromEnd == 0 ? "shifts" : fromEnd == 1 ? "own times" : "dates");
    layout::ExpectTextsFit(dialog_, shapes);
    layout::ExpectNothingOverlaps(dialog_);
  }

  for (int id : kDates) EXPECT_EQ(Now(IDC_NOW_DATE).left, Now(id).left) << id;
  for (int id : kTimes) EXPECT_EQ(Now(IDC_NOW_TIME).left, Now(id).left) << id;
  for (int id : kKinds) EXPECT_EQ(Now(IDC_CREATION_KIND).left, Now(id).left) << id;
  for (int id : kKinds) EXPECT_EQ(Now(IDC_CREATION_KIND).right, Now(id).right) << id;

  // The lists' template: 133, 36, 52 wide; the date field: 189, 40 wide; the time field: 231,
  // 28 wide. What the lists gain moves the fields; what all three gain moves the rest.
  RECT kind = Template(133, 36, 52, 14), date = Template(189, 36, 40, 14),
       time = Template(231, 36, 28, 14);
  RECT kindNow = Now(IDC_CREATION_KIND), dateNow = Now(IDC_CREATION_DATE),
       timeNow = Now(IDC_CREATION_TIME);
  int kindGain = kindNow.right - kind.right;
  int gain = kindGain + (dateNow.right - dateNow.left - (date.right - date.left)) +
             (timeNow.right - timeNow.left - (time.right - time.left));
  EXPECT_EQ(kind.left, kindNow.left);
  EXPECT_EQ(date.left + kindGain, dateNow.left);
  RECT frame = Template(0, 0, 306, 170);
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_EXSTYLE)));
  EXPECT_EQ(frame.right - frame.left + gain, GetWindowWidth(dialog_));

  // Moved by the gain: the copy buttons, OK and Cancel; widened by it: the pattern field and the
  // file list; in place: everything left of the lists and below them on the left.
  const struct {
    int id;
    RECT placed;
    int dx, grow;
  } controls[] = {
      {IDC_CREATION_FROM_NOW, Template(262, 36, 12, 14), gain, 0},
      {IDC_LASTACCESS_FROM_LASTWRITE, Template(286, 72, 12, 14), gain, 0},
      {IDOK, Template(195, 94, 50, 14), gain, 0},
      {IDCANCEL, Template(249, 94, 50, 14), gain, 0},
      {IDC_FILTER_PATTERN, Template(87, 114, 212, 14), 0, gain},
      {IDC_FILE_LIST, Template(7, 132, 292, 33), 0, gain},
      {IDC_ATTRIBUTE_FRAME, Template(7, 7, 79, 84), 0, 0},
      {IDC_READONLY, Template(14, 72, 65, 10), 0, 0},
      {IDC_CREATION_ON, Template(86, 38, 43, 10), 0, 0},
      {IDC_RECURSE, Template(7, 98, 127, 10), 0, 0},
      {IDC_FILTER_LABEL, Template(7, 116, 23, 8), 0, 0},
  };
  for (const auto& c : controls) {
    RECT now = Now(c.id);
    EXPECT_EQ(c.placed.left + c.dx, now.left) << c.id;
    EXPECT_EQ(c.placed.right + c.dx + c.grow, now.right) << c.id;
    EXPECT_EQ(c.placed.top, now.top) << c.id;
  }
}

// Runs the layout tests of both dialogs in a child process with the display at another DPI,
// which Wine reads from the registry when a process starts.
class DisplayDpi {
 public:
  explicit DisplayDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS;
    RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
  }
  ~DisplayDpi() {
    if (had_)
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                     sizeof old_);
    else
      RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
  }
  DisplayDpi(const DisplayDpi&) = delete;
  DisplayDpi& operator=(const DisplayDpi&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

DWORD RunLayoutTestsAt(DWORD dpi) {
  DisplayDpi display(dpi);
  SetEnvironmentVariableA("MORVANE_EXPECT_DPI", std::to_string(dpi).c_str());
  char program[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string commandLine = std::string("\"") + program +
                            "\" --gtest_filter=FitTextsTest.*:AboutBox.ShowsTheVersionResource*";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  DWORD code = 0xDEAD;
  if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
      TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  SetEnvironmentVariableA("MORVANE_EXPECT_DPI", nullptr);
  return code;
}

TEST(FitTextsAtDpi, BothDialogsFitAt96And144Dpi) {
  for (DWORD dpi : {96u, 144u}) EXPECT_EQ(0u, RunLayoutTestsAt(dpi)) << dpi << " DPI";
}

}  // namespace

// The About box (see about_dialog.h).
#include "about/about_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "about/about_layout.h"
#include "about/about_texts.h"
#include "about/dialog_template.h"
#include "text/holders.h"
#include "controls/gdi_text.h"
#include "controls/link_label.h"
#include "controls/window_helpers.h"
#include "shell/program_icon.h"
#include "text/wide_names.h"

const char PROP_ABOUTDIALOGDATA[] = "PROP_ABOUTDIALOGDATA";

namespace {

enum { IDC_ABOUT_ICON = 100, IDC_ABOUT_NAME = 101, IDC_ABOUT_LINK = 102, IDC_ABOUT_RESOURCES = 103 };

// In the order the layout measures them.
const int kLabelIds[ABOUT_LABEL_COUNT] = {IDC_ABOUT_NAME, IDC_ABOUT_LINK, IDC_ABOUT_RESOURCES};

struct AboutDialogData {
  HICON largeIcon;
  HICON smallIcon;
  const char* const* siteRef;
  ShellOpener opener;
};

// The one open About box of the process; user-interface thread only.
HWND openAboutBox = nullptr;

const DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP |
                           DS_MODALFRAME | DS_SETFONT | DS_SYSMODAL;
static_assert(kDialogStyle == 0x90C820C2, "the About box's style");
const DWORD kLabelStyle = WS_CHILD | WS_VISIBLE;
const char16_t kFontFace[] = u"ＭＳ Ｐゴシック";
const char16_t kOkText[] = u"OK";

// The labels start one unit wide; the layout widens them to their texts.
const DialogItemDesc kAboutItems[] = {
    {OrdinalName(DLGCLASS_STATIC), 0, kLabelStyle | SS_ICON, 0, 7, 7, 20, 21, IDC_ABOUT_ICON},
    {OrdinalName(DLGCLASS_STATIC), 0, kLabelStyle, 0, 30, 7, 1, 8, IDC_ABOUT_NAME},
    {OrdinalName(DLGCLASS_STATIC), 0, kLabelStyle, 0, 30, 16, 1, 8, IDC_ABOUT_LINK},
    {OrdinalName(DLGCLASS_STATIC), 0, kLabelStyle, 0, 30, 25, 1, 8, IDC_ABOUT_RESOURCES},
    {OrdinalName(DLGCLASS_BUTTON), StringName(kOkText),
     WS_CHILD | WS_VISIBLE | WS_GROUP | BS_DEFPUSHBUTTON, 0, 45, 35, 45, 14, IDOK},
};

const DialogDesc kAboutDialog = {
    kDialogStyle, 0, sizeof(kAboutItems) / sizeof(kAboutItems[0]), 0, 0, 38, 56, 0, nullptr, 0,
    kFontFace,    9,
};

// Buttons that end the dialog, and with what result.
struct EndingCommand {
  WORD id;
  INT_PTR result;
};
const EndingCommand kEndingCommands[] = {{IDOK, IDOK}, {IDCANCEL, IDCANCEL}};

AboutDialogData* DataOf(HWND dialog) {
  return static_cast<AboutDialogData*>(GetPropA(dialog, PROP_ABOUTDIALOGDATA));
}

const char* SiteAddress(const AboutDialogData* data) {
  if (!data || !data->siteRef || !*data->siteRef) return "";
  return *data->siteRef;
}

void BringForward(HWND dialog) {
  BringWindowToTop(dialog);
  SetForegroundWindow(dialog);
  ShowWindow(dialog, SW_SHOWDEFAULT);
}

// ---- Initialisation ----

void ShowVersionTexts(HWND dialog) {
  char path[PATH_BUFFER_SIZE];
  AboutTexts texts;
  if (!GetProgramFilePath(path, PATH_BUFFER_SIZE) || !ReadAboutTexts(path, &texts)) return;
  SetDlgItemTextA(dialog, IDC_ABOUT_NAME, texts.label);
  SetWindowTextA(dialog, texts.caption);
}

void ShowFreeResources(HWND dialog) {
  char text[34];
  ReadFreeResourcesText(text, sizeof text);
  SetDlgItemTextA(dialog, IDC_ABOUT_RESOURCES, text);
}

void ShowSiteLink(HWND dialog, const AboutDialogData* data) {
  SetDlgItemTextA(dialog, IDC_ABOUT_LINK, SiteAddress(data));
  HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
  SubclassLinkLabel(link);
  HWND tooltip = CreateTooltip(dialog, GetModuleHandleA(nullptr), TTS_ALWAYSTIP, 0);
  if (tooltip) AddTool(TTF_SUBCLASS, tooltip, dialog, link, "サポートサイトへ");
}

int TextWidth(HWND control) {
  char* text = GetWindowTextCopy(control);
  if (!text) return 0;
  int width = 0;
  HDC dc = GetDC(control);
  if (dc) {
    int saved = SaveDC(dc);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (font) SelectObject(dc, font);
    SIZE extent = {0, 0};
    if (GetTextExtent(dc, text, &extent))
      width = extent.cx;
    RestoreDC(dc, saved);
    ReleaseDC(control, dc);
  }
  FreeWindowTextCopy(text);
  return width;
}

void FitLabelsToTexts(HWND dialog) {
  AboutLayoutInput input = {};
  for (int label = 0; label < ABOUT_LABEL_COUNT; ++label) {
    HWND control = GetDlgItem(dialog, kLabelIds[label]);
    input.textWidths[label] = TextWidth(control);
    input.labelWidths[label] = GetWindowWidth(control);
  }
  HWND button = GetDlgItem(dialog, IDOK);
  input.dialogWidth = GetWindowWidth(dialog);
  input.buttonWidth = GetWindowWidth(button);
  AboutLayoutPlan plan = PlanAboutLayout(&input);
  for (int label = 0; label < ABOUT_LABEL_COUNT; ++label) {
    if (plan.labelGrowth[label] > 0)
      GrowDialogItemBy(dialog, kLabelIds[label], plan.labelGrowth[label], 0);
  }
  if (!plan.moveButton) return;
  GrowWindowBy(dialog, plan.dialogGrowth, 0);
  POINT origin = GetWindowOrigin(button);
  OffsetFromWindow(&origin, dialog);
  MoveWindowBy(button, plan.buttonLeft - origin.x, 0);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam) {
  auto* data = reinterpret_cast<AboutDialogData*>(lParam);
  openAboutBox = dialog;
  SetPropA(dialog, PROP_ABOUTDIALOGDATA, data);
  SetWindowIcon(dialog, ICON_BIG, data->largeIcon);
  SetWindowIcon(dialog, ICON_SMALL, data->smallIcon);
  ShowVersionTexts(dialog);
  ShowFreeResources(dialog);
  ShowSiteLink(dialog, data);
  SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_SETICON,
                      reinterpret_cast<WPARAM>(data->largeIcon), 0);
  FitLabelsToTexts(dialog);
  // Placed once it has its final size, so that the grown dialog still lies inside the work area.
  PlaceWindowAtCursor(dialog);
  return TRUE;
}

// ---- Messages ----

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  for (const EndingCommand& command : kEndingCommands) {
    if (LOWORD(wParam) == command.id) EndDialog(dialog, command.result);
  }
  return TRUE;
}

void OpenSite(HWND dialog) {
  AboutDialogData* data = DataOf(dialog);
  const char* address = SiteAddress(data);
  if (address[0] != 0 && data->opener) data->opener(nullptr, address);
  EndDialog(dialog, IDOK);
}

INT_PTR OnNotify(HWND dialog, const NMHDR* header) {
  // The tooltip notifies too, named by the label's window: only the label's own records count.
  if (header->idFrom != IDC_ABOUT_LINK || header->hwndFrom != GetDlgItem(dialog, IDC_ABOUT_LINK))
    return TRUE;
  if (header->code == LLN_CLICK) {
    OpenSite(dialog);
    return TRUE;
  }
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, ReflectNotify(header));
  return TRUE;
}

// The whole client area drags the dialog, as its caption would.
INT_PTR OnNcHitTest(HWND dialog, WPARAM wParam, LPARAM lParam) {
  LRESULT hit = DefWindowProcA(dialog, WM_NCHITTEST, wParam, lParam);
  if (hit == HTCLIENT) hit = HTCAPTION;
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, hit);
  return TRUE;
}

INT_PTR OnDestroy(HWND dialog) {
  RemovePropA(dialog, PROP_ABOUTDIALOGDATA);
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
    case WM_NOTIFY:
      return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_NCHITTEST:
      return OnNcHitTest(dialog, wParam, lParam);
    case WM_DESTROY:
      return OnDestroy(dialog);
    default:
      return FALSE;
  }
}

INT_PTR RunAboutBox(HWND parent, const char* const* siteRef, ShellOpener opener) {
  if (openAboutBox) {
    BringForward(openAboutBox);
    return 0;
  }
  std::uint16_t* block = BuildDialogTemplate(&kAboutDialog, kAboutItems);
  if (!block) return 0;
  IconHolder largeIcon(ProgramShellIcon(SHGFI_LARGEICON));
  IconHolder smallIcon(ProgramShellIcon(SHGFI_SMALLICON));
  AboutDialogData data = {largeIcon.Get(), smallIcon.Get(), siteRef, opener};
  INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(block), parent,
                                           AboutDialogProc, reinterpret_cast<LPARAM>(&data));
  openAboutBox = nullptr;
  FreeDialogTemplate(block);
  return result;
}

bool ShowAboutBox(HWND parent, const char* const* siteRef) {
  RunAboutBox(parent, siteRef, OpenInShell);
  return true;
}

HWND OpenAboutBox() { return openAboutBox; }

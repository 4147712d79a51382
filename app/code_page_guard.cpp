// The refusal to run under another code page (see code_page_guard.h).
#include "app/code_page_guard.h"

#include "text/trace.h"

namespace {

const UINT kProgramCodePage = 932;

// In UTF-16, written straight into the wide message box: the code page these texts would need
// is the one that is missing.
const wchar_t kCaption[] = L"Morvane";
const wchar_t kText[] =
    L"Morvane は日本語のコードページ (932) でだけ動作します。"
    L"このプログラムのコードページは %u です。何も変更していません。\n"
    L"[コントロール パネル] の [時計と地域] → [地域] → [管理] → [システム ロケールの変更] で"
    L"[日本語 (日本)] を選び (「ベータ: ワールドワイド言語サポートで Unicode UTF-8 を使用」は"
    L"オフにして)、Windows を再起動してください。Windows 11 以降ではこの設定は要りません。\n\n"
    L"Morvane runs only with the Japanese code page (932); it was given code page %u. "
    L"Nothing was changed.\n"
    L"In Control Panel, Clock and Region, Region, Administrative, Change system locale, choose "
    L"Japanese (Japan) (with \"Beta: Use Unicode UTF-8 for worldwide language support\" off) "
    L"and restart Windows. Windows 11 and later need no such setting.";

// A service, or a task run while nobody is logged on, has an invisible window station: a box
// there would wait for a click that never comes. (Without any display the box fails at once.)
bool CanShowWindows() {
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                 &needed))
    return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

bool RefuseForeignCodePage(UINT codePage) {
  if (codePage == kProgramCodePage) return false;
  // The English half is for a debugger that shows the line in that other code page.
  Trace("! %s (%u) / not code page 932 (%u): nothing changed\r\n",
        "コードページが 932 ではないため、何も変更しませんでした。", codePage, codePage);
  if (CanShowWindows()) {
    wchar_t text[1024];
    wsprintfW(text, kText, codePage, codePage);
    MessageBoxW(nullptr, text, kCaption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  }
  return true;
}

// Reads the next popup menu that the test's own thread opens, from inside the menu's modal loop,
// then closes it: with Escape, or by choosing an item with its access key as a user would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SeenMenuItem {
  UINT id;  // 0 for separators, -1 for submenus
  std::string text;
  bool checked;
};

struct SeenMenu {
  bool shown = false;
  RECT frame = {0, 0, 0, 0};  // screen rectangle of the popup
  std::vector<SeenMenuItem> items;
};

class MenuProbe {
 public:
  // accessKey 0 closes the menu with Escape; otherwise that key (an access letter) is pressed.
  explicit MenuProbe(WORD accessKey = 0);
  ~MenuProbe();
  MenuProbe(const MenuProbe&) = delete;
  MenuProbe& operator=(const MenuProbe&) = delete;
  // Runs the thread's messages until the menu has been seen and closed, or the time is up.
  const SeenMenu& Wait(DWORD timeout = 3000);

 private:
  UINT_PTR timer_;
};

// Real input, as the platform's input queue receives it from the keyboard and mouse.
void PressKey(WORD key);
void RightClickAt(POINT screenPoint);
void LeftClickAt(POINT screenPoint);
void PumpFor(DWORD milliseconds);

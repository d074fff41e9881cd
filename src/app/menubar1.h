#pragma once

#include <memory>

#include "host/menu.h"

namespace lumorra {

// The program's only menu bar: File holds Quit, Edit holds the usual edit commands. It stays
// hidden behind the full-screen scene; only its Quit shortcut ever acts.
class MenuBar1 : public host::MenuBar {
 public:
  MenuBar1();  // builds both menus

  // The single instance, made on the first request.
  static std::shared_ptr<MenuBar1> Instance();
  // Drops the program's reference at the end of the run.
  static void ReleaseInstance();
  static bool HasInstance();

  void Untitled1();  // the File menu
  void Untitled2();  // the Edit menu
};

}  // namespace lumorra

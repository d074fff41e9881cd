#include "app/menubar1.h"

#include "host/types.h"

namespace lumorra {

namespace {
std::shared_ptr<MenuBar1> implicitInstance;
}

std::shared_ptr<MenuBar1> MenuBar1::Instance() {
  if (!implicitInstance) implicitInstance = std::make_shared<MenuBar1>();
  return implicitInstance;
}

void MenuBar1::ReleaseInstance() { implicitInstance.reset(); }
bool MenuBar1::HasInstance() { return implicitInstance != nullptr; }

MenuBar1::MenuBar1() {
  Untitled1();
  Untitled2();
}

void MenuBar1::Untitled1() {
  auto fileMenu = std::make_shared<host::MenuItem>();
  fileMenu->Name = "FileMenu";
  fileMenu->AutoEnable = false;
  fileMenu->Text = "&File";
  fileMenu->KeyboardShortcut = "";
  Append(fileMenu);

  auto quit = std::make_shared<host::QuitMenuItem>();
  quit->Name = "FileQuit";
  quit->AutoEnable = true;
  quit->Text = "Quit";
  quit->KeyboardShortcut = "Cmd+Q";
  host::Deref(Child("FileMenu")).Append(quit);
}

void MenuBar1::Untitled2() {
  auto editMenu = std::make_shared<host::MenuItem>();
  editMenu->Name = "EditMenu";
  editMenu->AutoEnable = false;
  editMenu->Text = "&Edit";
  editMenu->KeyboardShortcut = "";
  Append(editMenu);

  struct Row {
    const char* name;
    const char* text;
    const char* shortcut;  // null: the separator keeps the default
  };
  static constexpr Row kRows[] = {
      {"EditUndo", "Undo", "Cmd+Z"}, {"UntitledMenu0", "-", nullptr}, {"EditCut", "Cut", "Cmd+X"},
      {"EditCopy", "Copy", "Cmd+C"}, {"EditPaste", "Paste", "Cmd+V"}, {"EditClear", "Clear", ""},
  };
  for (const Row& row : kRows) {
    auto item = std::make_shared<host::MenuItem>();
    item->Name = row.name;
    item->AutoEnable = false;
    item->Text = row.text;
    if (row.shortcut) item->KeyboardShortcut = row.shortcut;
    host::Deref(Child("EditMenu")).Append(item);
  }
}

}  // namespace lumorra

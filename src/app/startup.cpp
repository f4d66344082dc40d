#include "app/startup.h"

#include "app/session.h"
#include "app/ui/about.h"
#include "app/ui/main_window.h"
#include "app/ui/screen_placement.h"
#include "app/ui/windows.h"
#include "graphview/ui/graph_edit.h"
#include "tables/ui/table_ed.h"
#include "textview/ui/text_edit.h"

#include <memory>

TMain* Main = nullptr;
TTextEdit* TextEdit = nullptr;
TGraphEdit* GraphEdit = nullptr;
TAbout* About = nullptr;
TTableEd* TableEd = nullptr;

namespace {

// Owns the window instances; the named pointers above only observe them.
struct WindowSet {
  std::unique_ptr<TMain> main;
  std::unique_ptr<TTextEdit> textEdit;
  std::unique_ptr<TGraphEdit> graphEdit;
  std::unique_ptr<TAbout> about;
  std::unique_ptr<TTableEd> tableEd;
};

WindowSet& Owned() {
  static WindowSet windows;
  return windows;
}

// Creates one window and makes it reachable by name before the next one is built.
template <typename Window, typename... Arguments>
void Create(std::unique_ptr<Window>& owner, Window*& name, Arguments&... arguments) {
  owner = std::make_unique<Window>(arguments...);
  name = owner.get();
}

}  // namespace

void CreateWindows() {
  DestroyWindows();
  // The one session of the run, back at its start-up values, handed to the windows that show
  // or change it.
  TSession& session = CurrentSession();
  session.Reset();
  WindowSet& windows = Owned();
  Create(windows.main, Main, session);
  Create(windows.textEdit, TextEdit, session);
  Create(windows.graphEdit, GraphEdit, session);
  Create(windows.about, About);
  Create(windows.tableEd, TableEd);
  ShowOnScreen(Main);
}

void DestroyWindows() {
  WindowSet& windows = Owned();
  // Reverse order of creation; each name is cleared before its window goes.
  TableEd = nullptr;
  windows.tableEd.reset();
  About = nullptr;
  windows.about.reset();
  GraphEdit = nullptr;
  windows.graphEdit.reset();
  TextEdit = nullptr;
  windows.textEdit.reset();
  Main = nullptr;
  windows.main.reset();
}

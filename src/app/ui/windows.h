#pragma once

// The five windows, each a single instance living from CreateWindows() to DestroyWindows(),
// reachable by name from every window.

class TMain;
class TTextEdit;
class TGraphEdit;
class TAbout;
class TTableEd;

extern TMain* Main;
extern TTextEdit* TextEdit;
extern TGraphEdit* GraphEdit;
extern TAbout* About;
extern TTableEd* TableEd;

#pragma once

class QRect;
class QWidget;

// True where a window manager frames the windows on a real screen; false for the offscreen
// and minimal platforms, whose frames and screen are stand-ins.
[[nodiscard]] bool HasWindowFrames();

// Moves a top-level window, frame included, back inside `available` when it would not fit there,
// and makes it no larger than that; a window that fits keeps its place and size.
void FitWindowInside(QWidget* window, const QRect& available);

// Shows a top-level window at its place, kept inside the available area of its screen. The
// frame counts too: once the window manager has framed a newly shown window, it is fitted again.
void ShowOnScreen(QWidget* window);

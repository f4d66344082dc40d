#pragma once

// Needs a live Application. Sets the application title, puts the shared state back to its
// start-up values, creates the windows in the order Main, TextEdit, GraphEdit, About, TableEd
// and shows the main window. Calling it again starts afresh.
void CreateWindows();

// Deletes the five windows, so a later CreateWindows() starts afresh within one process.
void DestroyWindows();

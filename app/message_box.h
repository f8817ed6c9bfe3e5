#pragma once

// The window program's messages: "caption: text" on stderr always, and an
// error box with one OK button, modal to its owner window (may be null),
// while boxes are allowed.
void ShowMessageBox(void* owner, const char* text, const char* caption);

// Boxes need a display; without one a box could fail slowly or wait on
// nothing, so the program switches them off and relies on stderr.
void AllowMessageBoxes(bool allowed);

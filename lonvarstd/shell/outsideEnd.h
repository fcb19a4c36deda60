#pragma once
// An end asked for from outside the program (Ctrl-C, SIGTERM at log-out, the display
// going away) closes the status window as the user's close would, without the save
// question, but never under a dialog: a modal dialog lives on the stack inside its own
// event loop, and freeing the windows under it would free it twice.

class TFrmTavrixMain;

// Closes open menus and modal dialogs (as Cancel) and closes `status` once control is
// back in the main event loop (`mainLoopLevel` loops deep: 1 under QApplication::exec).
void CloseFromOutside(TFrmTavrixMain* status, int mainLoopLevel = 1);

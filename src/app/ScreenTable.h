#pragma once
// The table of the screens the main window opens: every menu entry, shortcut label and picture of the
// main window opens its screen through it (see ScreenOpeners in Form1.h).
//
//   kv::Form1* mainWindow = nullptr;   // set once the window is built ("Voir un autre exercice" uses it)
//   kv::Form1 window(session, pictures, display, kv::screenOpeners(session, pictures, mainWindow));
#include "Form1.h"

namespace kv {

class MainPictures;
class Session;

/// Every screen of the program by the name the main window asks for, and the exercise operations the
/// main window runs. `session`, `pictures` and `mainWindow` are kept by reference: they outlive the window.
ScreenOpeners screenOpeners(Session& session, MainPictures& pictures, Form1*& mainWindow);

} // namespace kv

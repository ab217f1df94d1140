// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows a dialog modally the way the program's message boxes are shown: the other windows are
// disabled meanwhile, and the active window and the focus come back afterwards.

class QDialog;
class QScreen;

// The screen a message box opens on: that of the active window, else the primary screen.
QScreen* PresentationScreen();

// Notes the active window and the focused widget, disables every other enabled, visible top-level
// window of the program, centres the dialog on PresentationScreen() and runs it. Afterwards, also
// when running it throws, re-enables those windows, re-activates the noted window and gives the
// focus back to the noted widget, and goes on asking for the window's activation for a moment
// until Qt has it active. Returns the dialog's result.
int ExecPresented(QDialog& dialog);
// The same without moving the dialog: a file dialog, which Qt places over its parent.
int ExecRestoringFocus(QDialog& dialog);

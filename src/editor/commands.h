// The editor's commands, one function each, on image window `number` (which is open when
// they are called). The tables in menus.cpp say which identifier runs which, whether
// the window is made current first and whether the current image is redrawn after.
#pragma once

namespace editor {

// Files and the clipboard.
void loadImageFile(int number);
void saveImageAs(int number);
void cutImage(int number);
void copyImage(int number);
void pasteAtPickedPlace(int number);
void pasteAtOrigin(int number);

// The picture as a whole.
void clipping(int number);
void invert(int number);
void flipHorizontally(int number);
void flipVertically(int number);
void rotateRight(int number);
void rotateLeft(int number);
void size50(int number);
void size70(int number);
void size141(int number);
void size200(int number);

// Colours and the TrueType font.
void changeColor(int number);
void pickColor(int number);
void changeFont(int number);

// Drawing, on the current image, at points picked in this window.
void drawLine(int number);
void drawRowLine(int number);
void drawColumnLine(int number);
void drawBox(int number);
void fillBox(int number);
void xorFillBox(int number);
void drawCircle(int number);
void fillCircle(int number);
void xorFillCircle(int number);
void drawText(int number);
void drawTrueTypeText(int number);
void paint(int number);

}  // namespace editor

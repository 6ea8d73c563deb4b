#pragma once

// The three cursors a tile drag shows: 1 copy the configuration, 2 link all channels, 3 choose from a
// menu at the drop. They are drawn by the program itself.

#include <QCursor>
#include <QPixmap>

namespace tervis {

constexpr int kCursorCopyConfig = 1;  // "CURSOR_COPYCFG"
constexpr int kCursorLinkAll = 2;     // "CURSOR_LINKALL"
constexpr int kCursorSelect = 3;      // "CURSOR_SELECT"
constexpr int kDragCursorSize = 32;

// Draws the three cursors into the cursor table; called once at start-up, after the application object
// exists. DragCursor loads them itself when this was not done.
void LoadDragCursors();

// Cursor 1..3 with its hot spot on the arrow's tip; the platform's forbidden cursor for other numbers.
QCursor DragCursor(int number);

// The same image for QDrag::setDragCursor, which puts the centre of a pixmap on the pointer: the 32 x 32
// image is placed so that the arrow's tip is the centre. Null for other numbers.
QPixmap DragCursorPixmap(int number);

}  // namespace tervis

#pragma once

#include <QFont>
#include <QStringList>

class QFontMetrics;
class QPlainTextEdit;

namespace tervis {

// Sizes are given in the pixels of a platform whose default font is smaller than ours; these helpers
// size a control, or failing that its font, so that the texts it must show fit.

// Width in pixels of the widest of texts.
int WidestText(const QFontMetrics& metrics, const QStringList& texts);

// font made smaller, in quarter points, until every one of texts is at most width pixels wide; font
// itself when they fit already. Never below 5 points.
QFont FontToFit(QFont font, const QStringList& texts, int width);

// The width a plain text box needs around its longest line: frame, document margins, the vertical scroll
// bar and the cursor.
int TextBoxChrome(const QPlainTextEdit& box);

// Every short name a slot may show: the catalogue's names and the "?(%d)" of the unknown codes.
QStringList AllBoardTypeNames();

}  // namespace tervis

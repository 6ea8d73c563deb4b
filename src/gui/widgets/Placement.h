#pragma once

class QWidget;

namespace tervis {

// Moves a top-level window so that it stands in the middle of the screen its owner is on (the primary
// screen for a window without owner), sized as it will be shown. A dialog placed this way is not
// re-centred on its owner when it opens.
void CentreOnScreen(QWidget& window);

// Widens a window that is narrower than its title needs in the default font, so that the window manager
// shows the whole title rather than an elided one.
void FitToTitle(QWidget& window);

}  // namespace tervis

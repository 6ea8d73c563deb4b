#pragma once

#include <QIcon>

namespace tervis {

// The toolbar's images, drawn at start-up rather than shipped as files.
enum class TToolIcon { New, Open, Save, Address, Compare, Read, Load, Clear, Restart, JackField };

QIcon ToolIcon(TToolIcon icon);
// The application's own icon: a small chassis.
QIcon ApplicationIcon();

}  // namespace tervis

#pragma once

#include "gui/widgets/GuiSeams.h"

namespace tervis {

// The real boxes and dialogs of the running application.
class TWidgetDialogs : public IDialogs {
public:
    TAnswer Ask(QWidget* parent, const QString& text, bool withCancel) override;
    void Message(QWidget* parent, const QString& text) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QString& currentName,
                                        const QString& folder) override;
    std::optional<QString> SaveFileName(QWidget* parent, const QString& currentName,
                                        const QString& folder) override;
    int Exec(QDialog& dialog) override;
    QAction* Popup(QMenu& menu, const QPoint& globalPos) override;
};

}  // namespace tervis

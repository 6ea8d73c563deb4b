#pragma once

#include <QFileIconProvider>
#include <QIdentityProxyModel>

#include <memory>

#include "gui/widgets/GuiSeams.h"

class QFileDialog;

namespace tervis {

// Icons and type names for the file dialogs, decided from the name and the kind of entry alone. The
// stock provider looks into a file's contents to tell its type, and reading a special file (/proc/kmsg,
// a FIFO, a device) can block for ever or eat data meant for someone else.
class TNameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// The file list's size and date columns in Russian whatever the system's locale: "64,0 кБ",
// "09.12.2026 14:30".
class TRussianFileColumns : public QIdentityProxyModel {
public:
    static constexpr int kSizeColumn = 1;
    static constexpr int kTypeColumn = 2;
    static constexpr int kDateColumn = 3;
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

// The open (save false) or save dialog of ".mux" files, set up but not shown. It is Qt's own dialog with
// the provider above, also where the desktop offers another, so that it never reads a file it lists.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, bool save, const QString& currentName,
                                            const QString& folder);

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

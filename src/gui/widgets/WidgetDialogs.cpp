#include "gui/widgets/WidgetDialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace tervis {

namespace {
const QString kCaption = "Конфигуратор мультиплексора";
const QString kFilter = "файлы конфигурации (*.mux);;все файлы (*)";
}  // namespace

IDialogs::TAnswer TWidgetDialogs::Ask(QWidget* parent, const QString& text, bool withCancel) {
    QMessageBox box(QMessageBox::NoIcon, kCaption, text,
                    withCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                               : QMessageBox::Yes | QMessageBox::No,
                    parent);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return TAnswer::Yes;
        case QMessageBox::No:
            return TAnswer::No;
        default:
            return withCancel ? TAnswer::Cancel : TAnswer::No;
    }
}

void TWidgetDialogs::Message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString("Tervis"), text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> TWidgetDialogs::OpenFileName(QWidget* parent, const QString& currentName,
                                                    const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, kFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("mux");
    dialog.selectFile(QFileInfo(currentName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

std::optional<QString> TWidgetDialogs::SaveFileName(QWidget* parent, const QString& currentName,
                                                    const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, kFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("mux");
    dialog.selectFile(QFileInfo(currentName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

int TWidgetDialogs::Exec(QDialog& dialog) {
    return dialog.exec();
}

QAction* TWidgetDialogs::Popup(QMenu& menu, const QPoint& globalPos) {
    return menu.exec(globalPos);
}

}  // namespace tervis

#include "gui/widgets/WidgetDialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>

namespace tervis {

namespace {
const QString kCaption = "Конфигуратор мультиплексора";
const QString kFilter = "файлы конфигурации (*.mux);;все файлы (*)";

TNameOnlyIconProvider* sharedProvider = nullptr;

void DropSharedProvider() {
    delete sharedProvider;
    sharedProvider = nullptr;
}
}  // namespace

QIcon TNameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isRoot()) {
        return icon(Drive);
    }
    return icon(info.isDir() ? Folder : File);
}

QString TNameOnlyIconProvider::type(const QFileInfo& info) const {
    if (!info.isFile()) {
        // Folders, devices, FIFOs and sockets are told apart by their status, which reads nothing.
        return QFileIconProvider::type(info);
    }
    static const QMimeDatabase database;
    const QMimeType mime = database.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, bool save, const QString& currentName,
                                            const QString& folder) {
    // A dialog does not own the provider it is given, and its file list asks the provider from a thread
    // of its own: one provider serves every dialog and goes with the application.
    if (sharedProvider == nullptr) {
        sharedProvider = new TNameOnlyIconProvider;
        qAddPostRoutine(DropSharedProvider);
    }
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), folder, kFilter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setIconProvider(sharedProvider);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save) {
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    dialog->setDefaultSuffix("mux");
    dialog->selectFile(QFileInfo(currentName).fileName());
    return dialog;
}

namespace {

// The chosen file's name; none when the operator cancels.
std::optional<QString> ChooseFile(QWidget* parent, bool save, const QString& currentName,
                                  const QString& folder) {
    const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(parent, save, currentName, folder);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().front();
}

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
    return ChooseFile(parent, false, currentName, folder);
}

std::optional<QString> TWidgetDialogs::SaveFileName(QWidget* parent, const QString& currentName,
                                                    const QString& folder) {
    return ChooseFile(parent, true, currentName, folder);
}

int TWidgetDialogs::Exec(QDialog& dialog) {
    return dialog.exec();
}

QAction* TWidgetDialogs::Popup(QMenu& menu, const QPoint& globalPos) {
    return menu.exec(globalPos);
}

}  // namespace tervis

#include "gui/widgets/WidgetDialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QTreeView>

#include "gui/widgets/TextFit.h"

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
    if (info.suffix().compare(QStringLiteral("mux"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("Конфигурация мультиплексора");
    }
    static const QMimeDatabase database;
    const QMimeType mime = database.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    // A name the database does not know gets our own words, not its "unknown".
    const QString comment = mime.comment();
    if (mime.isDefault() || comment.isEmpty()) {
        return info.suffix().isEmpty() ? QStringLiteral("Файл")
                                       : QStringLiteral("Файл ") + info.suffix().toUpper();
    }
    return comment;
}

QVariant TRussianFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || !index.isValid()) {
        return QIdentityProxyModel::data(index, role);
    }
    const QModelIndex source = mapToSource(index);
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    switch (index.column()) {
        case kSizeColumn:
            if (files->isDir(source)) {
                return QString();
            }
            return russian.formattedDataSize(files->size(source), 1, QLocale::DataSizeTraditionalFormat);
        case kDateColumn:
            return russian.toString(files->lastModified(source), QStringLiteral("dd.MM.yyyy HH:mm"));
        default:
            return QIdentityProxyModel::data(index, role);
    }
}

namespace {

// The size and date columns as wide as their widest texts, the name column with the rest.
void SizeColumns(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (list == nullptr) {
        return;
    }
    const QFontMetrics metrics(list->font());
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('0')) + 8;
    QHeaderView* header = list->header();
    const auto fit = [&](int column, const QStringList& samples) {
        QStringList texts = samples;
        texts << list->model()->headerData(column, Qt::Horizontal).toString();
        header->resizeSection(column, WidestText(metrics, texts) + padding);
    };
    fit(TRussianFileColumns::kSizeColumn, {QStringLiteral("1 023,9 кБ"), QStringLiteral("1 023,9 МБ")});
    fit(TRussianFileColumns::kTypeColumn, {QStringLiteral("Конфигурация мультиплексора")});
    fit(TRussianFileColumns::kDateColumn, {QStringLiteral("30.12.2026 23:59")});
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

}  // namespace

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
    dialog->setProxyModel(new TRussianFileColumns(dialog.get()));
    SizeColumns(*dialog);
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

namespace {

// A message asked for before its owner is on the screen (at start-up) has no owner: the toolkit then
// centres it on the screen, where a hidden owner would have it centred on the owner's unplaced corner, and
// the owner is not made a native window before its own placement.
QWidget* ShownOwner(QWidget* parent) {
    return parent != nullptr && parent->window()->isVisible() ? parent : nullptr;
}

}  // namespace

IDialogs::TAnswer TWidgetDialogs::Ask(QWidget* parent, const QString& text, bool withCancel) {
    QMessageBox box(QMessageBox::NoIcon, kCaption, text,
                    withCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                               : QMessageBox::Yes | QMessageBox::No,
                    ShownOwner(parent));
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
    QMessageBox box(QMessageBox::NoIcon, QString("Tervis"), text, QMessageBox::Ok, ShownOwner(parent));
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

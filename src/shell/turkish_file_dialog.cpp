#include "shell/turkish_file_dialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace zembera {
namespace {

// The columns of QFileSystemModel.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;

class TurkishFileColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
        if (index.column() == kSizeColumn && !files->isDir(source))
            return turkish.formattedDataSize(files->size(source));
        if (index.column() == kDateColumn)
            return turkish.toString(files->lastModified(source),
                                    QStringLiteral("d MMM yyyy HH:mm"));
        return QIdentityProxyModel::data(index, role);
    }
};

QString ask(QWidget* parent, const QString& title, const QString& start, const QString& filter,
            QFileDialog::AcceptMode mode, bool confirmOverwrite = true) {
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(mode);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    makeTurkish(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void makeTurkish(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
    dialog.setProxyModel(new TurkishFileColumns(&dialog));
}

QString askOpenFileName(QWidget* parent, const QString& title, const QString& start,
                        const QString& filter) {
    return ask(parent, title, start, filter, QFileDialog::AcceptOpen);
}

QString askSaveFileName(QWidget* parent, const QString& title, const QString& start,
                        const QString& filter, bool confirmOverwrite) {
    return ask(parent, title, start, filter, QFileDialog::AcceptSave, confirmOverwrite);
}

} // namespace zembera

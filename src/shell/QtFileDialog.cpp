#include "shell/QtFileDialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "shell/FileDialogFilter.h"

namespace magtune::shell {

std::optional<std::string> QtFileDialog::choose(const settings::FileDialogRequest& request) {
    QWidget* owner = parent_ != nullptr ? parent_ : QApplication::activeWindow();
    QFileDialog dialog(owner, QString::fromStdString(request.title),
                       QFile::decodeName(request.initialFolder.c_str()));
    const bool save = request.kind == settings::FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An open dialog offers existing files only; a save dialog any name in
    // an existing folder (the dialog offers no other).
    dialog.setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.promptBeforeOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    QStringList filters;
    for (const auto& filter : NameFilters(request.filter)) {
        filters << QString::fromStdString(filter);
    }
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
    }
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.fileName.empty()) {
        dialog.selectFile(QFile::decodeName(request.fileName.c_str()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    // Paths are handed on in the file system's own encoding.
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace magtune::shell

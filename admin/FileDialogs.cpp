#include "FileDialogs.h"

#include <QFileDialog>

namespace orvane::dialogs {

namespace {
OpenFileChooser& openFileChooser() {
    static OpenFileChooser chooser;
    return chooser;
}
FolderChooser& folderChooser() {
    static FolderChooser chooser;
    return chooser;
}
}  // namespace

QString openFile(QWidget* parent, const QString& caption, const QString& filter) {
    if (openFileChooser()) return openFileChooser()(parent, caption, filter);
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString existingFolder(QWidget* parent, const QString& caption) {
    if (folderChooser()) return folderChooser()(parent, caption);
    return QFileDialog::getExistingDirectory(
        parent, caption, QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void setOpenFileChooser(OpenFileChooser chooser) { openFileChooser() = std::move(chooser); }
void setFolderChooser(FolderChooser chooser) { folderChooser() = std::move(chooser); }

}  // namespace orvane::dialogs

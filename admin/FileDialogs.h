// The file and folder choosers of the window's pages, behind one seam: the real modal
// dialogs by default, or a stand-in that tests install to supply answers without a dialog.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace orvane::dialogs {

// caption and filter as shown; returns the chosen path, "" when cancelled.
using OpenFileChooser =
    std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
using FolderChooser = std::function<QString(QWidget* parent, const QString& caption)>;

// QFileDialog::getOpenFileName with an empty start directory.
QString openFile(QWidget* parent, const QString& caption, const QString& filter);
// QFileDialog::getExistingDirectory, directories only, symbolic links not resolved.
QString existingFolder(QWidget* parent, const QString& caption);

// Replace the dialogs (an empty function restores them).
void setOpenFileChooser(OpenFileChooser chooser);
void setFolderChooser(FolderChooser chooser);

}  // namespace orvane::dialogs

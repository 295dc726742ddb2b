#include "ui/folderpickerdialog.h"

#include <QFileDialog>

FolderPickerDialog::FolderPickerDialog(const QString& initialFolder, QWidget* parent)
    : m_initial(initialFolder), m_path(initialFolder), m_parent(parent)
{
}

int FolderPickerDialog::DoModal()
{
    m_path = m_initial;
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("FolderPickerDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(m_initial);
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, [&dialog](const QString& path) {
        dialog.setToolTip(ShortenText(path));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return kCancel;
    m_path = dialog.selectedFiles().front();
    return kOk;
}

QString FolderPickerDialog::ShortenText(const QString& path)
{
    if (path.size() <= kShortLength)
        return path;
    return path.left(kShortLength) + QStringLiteral("...");
}

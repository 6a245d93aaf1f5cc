#include "FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {
// "wav" for "WAV (*.wav)"; empty for a type without one.
QString FilterSuffix(const QString &filter)
{
    return QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter).captured(1);
}

class CFolderDialog : public QFileDialog {
public:
    CFolderDialog(QWidget *parent, const QString &title, const QString &start)
        : QFileDialog(parent, title, start)
    {
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QFileInfo folder(chosen.value(0));
        if (chosen.size() == 1 && !folder.exists() && folder.dir().exists() &&
            !QDir().mkdir(folder.filePath())) {
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("The folder %1 could not be made.")
                                     .arg(QDir::toNativeSeparators(folder.filePath())));
            return;
        }
        QFileDialog::accept();
    }
};
} // namespace

QString AskSaveFileName(QWidget *parent, const QString &title, const QString &proposed,
                        const QString &filters)
{
    QFileDialog dialog(parent, title, proposed, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(FilterSuffix(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected,
                     [&dialog](const QString &filter) { dialog.setDefaultSuffix(FilterSuffix(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString AskFolder(QWidget *parent, const QString &title, const QString &start)
{
    CFolderDialog dialog(parent, title, start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

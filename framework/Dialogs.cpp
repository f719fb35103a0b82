#include "framework/Dialogs.h"

#include "framework/SysUtils.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

std::function<bool(TOpenDialog* Dialog)> TOpenDialog::ExecuteHook;

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

QStringList TOpenDialog::QtNameFilters(const String& Filter)
{
    QStringList out;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        // Qt reads the patterns from the last parenthesis group of the entry.
        out << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.join(QLatin1Char(' ')));
    }
    return out;
}

bool TOpenDialog::Execute()
{
    if (ExecuteHook)
        return ExecuteHook(this);
    QFileDialog dlg(QApplication::activeWindow(), FTitle);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode((FOptions & ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                    : (FOptions & ofFileMustExist)  ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(FFilter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        const int index = std::clamp(FFilterIndex, 1, int(filters.size())) - 1;
        dlg.selectNameFilter(filters.at(index));
    }
    if (!FDefaultExt.isEmpty())
        dlg.setDefaultSuffix(FDefaultExt);
    if (!FInitialDir.isEmpty())
        dlg.setDirectory(FInitialDir);
    else if (!FFileName.isEmpty())
        dlg.setDirectory(QFileInfo(FFileName).absolutePath());
    if (!FFileName.isEmpty())
        dlg.selectFile(ExtractFileName(FFileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    FFileName = dlg.selectedFiles().first();
    FFilterIndex = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    if (FFilterIndex < 1)
        FFilterIndex = 1;
    return true;
}

#include "shell/information_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include "framework/string_table.h"

bool RunWithInformationProgress(QWidget* owner, const std::function<bool(const ItemList::Progress&)>& work)
{
    QProgressDialog dialog(QString::fromStdString(GetText("ZORX_LoadingInformation")), QString(), 0, 1000, owner);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(300);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setCancelButtonText(QProgressDialog::tr("Cancel"));
    if (owner)
        owner->setEnabled(false);
    const bool completed = work([&dialog](int perMille) {
        dialog.setValue(perMille);
        QCoreApplication::processEvents();
        return !dialog.wasCanceled();
    });
    if (owner)
        owner->setEnabled(true);
    return completed;
}

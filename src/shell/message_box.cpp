#include "shell/message_box.h"

#include <QMessageBox>
#include <QString>

#include "framework/string_table.h"

namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void ShowErrorMessage(QWidget* owner, std::string_view messageKey)
{
    ShowErrorText(owner, GetText(messageKey));
}

void ShowErrorText(QWidget* owner, std::string_view text)
{
    QMessageBox::critical(owner, ToQString(GetText("COMMON_Error")), ToQString(text), QMessageBox::Ok);
}

bool ConfirmWarning(QWidget* owner, std::string_view messageKey)
{
    return ConfirmWarningText(owner, GetText(messageKey));
}

bool ConfirmWarningText(QWidget* owner, std::string_view text)
{
    return QMessageBox::warning(owner, ToQString(GetText("COMMON_Warning")), ToQString(text),
                                QMessageBox::Ok | QMessageBox::Cancel)
        == QMessageBox::Ok;
}

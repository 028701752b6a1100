#include "send_mail.h"

#include <unistd.h>

#include <array>
#include <memory>
#include <set>
#include <string_view>

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QWidget>

namespace {

// The mail program usually answers within a second; a longer wait means it is running in the
// foreground, and the user is not kept from the browser for long.
constexpr int kWaitMilliseconds = 5000;

struct ExitRow {
    int code;
    std::string_view message;
};

// xdg-email's documented exit codes.
constexpr std::array kExitMessages{
    ExitRow{1, "The mail program could not be asked for a new message (a wrong command line)."},
    ExitRow{2, "One of the files to attach no longer exists."},
    ExitRow{3, "No mail program is set up on this desktop. Choose one in the desktop's default "
               "applications settings."},
    ExitRow{4, "The mail program could not open a new message."},
    ExitRow{5, "One of the files to attach cannot be read."},
};

bool IsReadableFile(const std::string& path)
{
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

} // namespace

std::vector<std::string> MailAttachments(const ServiceClient::FileLists& files)
{
    std::vector<std::string> attachments;
    std::set<std::string> seen;
    const auto add = [&](const std::string& path) {
        if (!path.empty() && seen.insert(path).second)
            attachments.push_back(path);
    };
    for (std::size_t i = 0; i < files.paths.size(); ++i) {
        add(files.paths[i]);
        if (i < files.memoPaths.size())
            add(files.memoPaths[i]);
    }
    return attachments;
}

QStringList MailArguments(const std::vector<std::string>& attachments)
{
    QStringList arguments{QStringLiteral("--utf8")};
    for (const std::string& path : attachments)
        arguments << QStringLiteral("--attach") << QString::fromStdString(path);
    return arguments;
}

std::string MailExitMessage(int exitCode)
{
    if (exitCode == 0)
        return {};
    for (const ExitRow& row : kExitMessages)
        if (row.code == exitCode)
            return std::string(row.message);
    return "The mail program could not open a new message (error " + std::to_string(exitCode) + ").";
}

std::string MailHelperMissingMessage()
{
    return "No mail program can be asked on this desktop: xdg-email (from the xdg-utils package) is "
           "not installed.";
}

MailResult OpenMailComposer(const std::vector<std::string>& attachments, int waitMilliseconds)
{
    MailResult result;
    auto process = std::make_unique<QProcess>();
    // A mail program started by xdg-email inherits these; it must never write into a closed pipe.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(QStringLiteral("xdg-email"), MailArguments(attachments));
    if (!process->waitForStarted()) {
        result.message = MailHelperMissingMessage();
        return result;
    }
    if (!process->waitForFinished(waitMilliseconds)) {
        // Destroying the QProcess would kill it; it deletes itself when it ends instead. The
        // connection is by name so that no code of this module is left behind in it.
        QProcess* running = process.release();
        QObject::connect(running, SIGNAL(finished(int, QProcess::ExitStatus)), running, SLOT(deleteLater()));
        result.state = MailResult::State::StillRunning;
        return result;
    }
    if (process->exitStatus() != QProcess::NormalExit) {
        result.message = MailExitMessage(4);
        return result;
    }
    result.exitCode = process->exitCode();
    result.message = MailExitMessage(result.exitCode);
    result.state = result.exitCode == 0 ? MailResult::State::Opened : MailResult::State::Failed;
    return result;
}

int RunSendMailService(void* mainWindow)
{
    auto* parent = static_cast<QWidget*>(mainWindow);
    const QString title = QStringLiteral("Send by Mail");
    const std::vector<std::string> chosen = MailAttachments(ServiceClient::Instance().SelectedFiles());
    if (chosen.empty()) {
        QMessageBox::information(parent, title, QStringLiteral("No files are selected."));
        return 0;
    }
    // xdg-email refuses the whole message for one missing file; attach the others and say so.
    std::vector<std::string> attachments;
    QString leftOut;
    for (const std::string& path : chosen) {
        if (IsReadableFile(path))
            attachments.push_back(path);
        else
            leftOut += QStringLiteral("\n    ") + QString::fromStdString(path);
    }
    if (attachments.empty()) {
        QMessageBox::warning(parent, title,
                             QStringLiteral("None of the selected files can be read, so none can be attached:")
                                 + leftOut);
        return 0;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const MailResult result = OpenMailComposer(attachments, kWaitMilliseconds);
    QApplication::restoreOverrideCursor();
    if (result.state == MailResult::State::Failed) {
        QMessageBox::warning(parent, title, QString::fromStdString(result.message));
        return 0;
    }
    if (!leftOut.isEmpty())
        QMessageBox::warning(parent, title,
                             QStringLiteral("These files cannot be read and are not attached:") + leftOut);
    return 1;
}

#pragma once

#include <string>
#include <vector>

#include <QStringList>

#include "service_client.h"

// The mail composer is the desktop's: xdg-email (xdg-utils) opens a new message in whatever
// mail program the user has chosen, with the files attached.

// The files to attach, in order: each selected file followed by its sound memo, because the
// memo is part of the picture as the browser shows it. A RAW companion stays behind: it is the
// same shot again, many times larger than the mail it would go with. Each file appears once.
std::vector<std::string> MailAttachments(const ServiceClient::FileLists& files);

// The arguments of xdg-email. Our paths are UTF-8 whatever the locale, which --utf8 says.
QStringList MailArguments(const std::vector<std::string>& attachments);

// What the user is told for an exit code of xdg-email; empty for 0 (the composer opened).
std::string MailExitMessage(int exitCode);
// Told when xdg-email itself cannot be started.
std::string MailHelperMissingMessage();

struct MailResult {
    enum class State {
        Opened,       // xdg-email ended with 0
        StillRunning, // a mail program that stays in the foreground: it is up, and left running
        Failed,       // xdg-email ended with an error, or did not start
    };
    State state = State::Failed;
    int exitCode = -1;
    std::string message; // for Failed
};

// Runs xdg-email (found on PATH) with the attachments and waits up to waitMilliseconds for it.
// A mail program that was not running yet may keep xdg-email waiting for its whole session;
// it is then neither waited for nor stopped.
MailResult OpenMailComposer(const std::vector<std::string>& attachments, int waitMilliseconds);

// The Exec of the SendMail module: a new message with the selected files attached.
int RunSendMailService(void* mainWindow);

#pragma once

#include <functional>
#include <string>

#include <QObject>

class QLocalServer;
class QLocalSocket;

// One running browser per user. The first process holds an exclusive lock on
// "VistrelViewerV-<uid>.lock" in the runtime folder and listens on the local socket
// "VistrelViewerV-<uid>" beside it; a second start finds the lock taken and forwards its
// argument text over the socket instead of opening a window.
//
// Messages on the socket: one kind byte, a 32-bit little-endian length and the payload.
// 'F' asks the browser to come to the front; 'D' carries a NUL-terminated UTF-8 text (the copy
// data) and is answered with the handler's 32-bit result; 'C' posts a command number.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    SingleInstance();
    ~SingleInstance() override;

    // True when this process now holds the lock: it is the running browser.
    bool TryBecomeFirst();
    // Starts listening for later starts; call on the first instance.
    bool Listen();

    // The sender side: comes to the front, hands over "<POST>" + text and posts `command`.
    // False when no running browser could be reached (the text is then lost).
    static bool Forward(const std::string& text, int command);

    // The folder that holds the lock and the socket ($XDG_RUNTIME_DIR, else the temp folder).
    static std::string RuntimeFolder();

    std::function<void()> onForeground;
    std::function<int(const std::string&)> onCopyData;
    std::function<void(int)> onCommand;

private:
    void AcceptConnections();
    void ReadMessages(QLocalSocket* socket);

    int m_lockFd = -1;
    QLocalServer* m_server = nullptr;
};

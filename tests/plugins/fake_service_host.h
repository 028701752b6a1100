#pragma once

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTimer>

#include "service_client.h"

// A host for the dialog services linked into the tests: the selection, the file kinds and the
// pictures that a test sets, and nothing else. It is connected for the lifetime of the object only, after
// which the service client finds the test program's own host functions again.
class FakeServiceHost {
public:
    FakeServiceHost()
    {
        Current() = this;
        ServiceClient::Instance().Connect(&Lookup);
    }
    ~FakeServiceHost()
    {
        ServiceClient::Instance().Connect(nullptr);
        Current() = nullptr;
    }
    FakeServiceHost(const FakeServiceHost&) = delete;
    FakeServiceHost& operator=(const FakeServiceHost&) = delete;

    ServiceClient::FileLists selection;
    std::map<std::string, int> kinds;       // by path; unknown paths are kind 0
    std::map<std::string, QImage> pictures; // what ReadImage gives; other paths are unreadable

private:
    static FakeServiceHost*& Current()
    {
        static FakeServiceHost* current = nullptr;
        return current;
    }

    static HostBufferList ToList(const std::vector<std::string>& texts)
    {
        HostBufferList list{};
        list.items = static_cast<HostBuffer*>(std::calloc(texts.size() + 1, sizeof(HostBuffer)));
        list.count = texts.size();
        for (std::size_t i = 0; i < texts.size(); ++i)
            list.items[i] = MakeHostText(texts[i]);
        return list;
    }

    static int32_t SelectedFiles(HostBufferList* paths, HostBufferList* memos, HostBufferList* companions)
    {
        const ServiceClient::FileLists& lists = Current()->selection;
        *paths = ToList(lists.paths);
        *memos = ToList(lists.memoPaths);
        *companions = ToList(lists.companionPaths);
        return 1;
    }

    static int32_t FileType(HostBuffer path, HostBuffer* typeName)
    {
        const std::string text = HostText(path);
        VistrelFreeBuffer(&path);
        if (typeName)
            *typeName = MakeHostText("");
        const auto found = Current()->kinds.find(text);
        return found == Current()->kinds.end() ? 0 : found->second;
    }

    // The host's form: a 40-byte header and top-down BGR rows padded to 4 bytes.
    static int32_t ReadImage(HostBuffer path, HostImage* image)
    {
        const std::string text = HostText(path);
        VistrelFreeBuffer(&path);
        const auto found = Current()->pictures.find(text);
        if (found == Current()->pictures.end())
            return 0;
        const QImage rows = found->second.convertToFormat(QImage::Format_BGR888);
        image->width = static_cast<uint32_t>(rows.width());
        image->height = static_cast<uint32_t>(rows.height());
        image->bitsPerPixel = 24;
        image->stride = (image->width * 3 + 3) / 4 * 4;
        image->header = std::calloc(1, 40);
        image->pixels = std::calloc(image->height, image->stride);
        for (int y = 0; y < rows.height(); ++y)
            std::memcpy(static_cast<unsigned char*>(image->pixels) + y * image->stride, rows.constScanLine(y),
                        image->width * 3);
        return 1;
    }

    static VistrelHostProc Lookup(HostBuffer name)
    {
        const std::string text = HostText(name);
        VistrelFreeBuffer(&name);
        if (text == "GetSelectedFiles3")
            return reinterpret_cast<VistrelHostProc>(&SelectedFiles);
        if (text == "GetFileType")
            return reinterpret_cast<VistrelHostProc>(&FileType);
        if (text == "ReadImage")
            return reinterpret_cast<VistrelHostProc>(&ReadImage);
        return nullptr;
    }
};

// Runs a service and answers the message boxes it shows with their default button, keeping their
// texts in order.
inline int RunAnsweringMessages(const std::function<int()>& service, std::vector<std::string>& messages)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&messages] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages.push_back(box->text().toStdString());
            box->done(QMessageBox::Ok);
        }
    });
    poll.start();
    return service();
}

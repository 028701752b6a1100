#include "library/thumbnail_worker.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/medium_info_reader.h"
#include "formats/medium_information.h"
#include "formats/picture_reader.h"
#include "formats/status_text.h"
#include "library/media_type.h"

namespace {

constexpr auto kRepaintInterval = std::chrono::milliseconds(50);
constexpr auto kStopPatience = std::chrono::milliseconds(1000);
constexpr int kLargeThumbnailCode = 3;
constexpr int kSmallThumbnailCode = 2;

ThumbnailWorker::Producers DefaultProducers()
{
    ThumbnailWorker::Producers producers;
    producers.loadInformation = [](const std::string& path, MediaItemDetail& detail) {
        const MediumInformation information = MediumInformation::ForFile(path);
        detail.mediumInfo = information.Info();
        detail.statusText = StatusText(information);
        detail.tooltipText = TooltipText(information);
        detail.infoText = information.InformationText();
    };
    producers.memoDuration = [](const std::string& memoPath) {
        MediumInfo info;
        return ReadMediumInfo(memoPath, info) ? info.durationHundredths : 0;
    };
    producers.readFullImage
        = [](const std::string& path, DibImage& image) { return ReadFullImage(path, image); };
    producers.makeThumbnail = [](const std::string& path, int sizeCode, DibImage& image) {
        return MakeThumbnail(path, sizeCode, image);
    };
    return producers;
}

uint64_t FileSize(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

std::string MemoPathOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash)
        ? path.substr(0, dot)
        : path;
    return base + ".wav";
}

} // namespace

ThumbnailWorker::ThumbnailWorker()
    : ThumbnailWorker(DefaultProducers())
{
}

ThumbnailWorker::ThumbnailWorker(Producers producers)
    : m_producers(std::move(producers))
{
}

ThumbnailWorker::~ThumbnailWorker()
{
    Stop();
}

void ThumbnailWorker::Start()
{
    if (m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_cancelLock);
        m_cancel = false;
    }
    {
        std::lock_guard lock(m_queueLock);
        m_queue.clear();
        m_pending = false;
    }
    {
        std::lock_guard lock(m_runningLock);
        m_running = true;
    }
    m_threadEnded.store(false);
    m_thread = std::thread(&ThumbnailWorker::ThreadBody, this);
}

void ThumbnailWorker::Stop()
{
    {
        std::lock_guard lock(m_runningLock);
        m_running = false;
    }
    if (!m_thread.joinable())
        return;
    // The thread notices within one item; a picture that takes longer (a huge file) is not
    // waited for at exit.
    const auto deadline = std::chrono::steady_clock::now() + kStopPatience;
    while (!m_threadEnded.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (m_threadEnded.load())
        m_thread.join();
    else
        m_thread.detach();
}

bool ThumbnailWorker::IsRunning() const
{
    std::lock_guard lock(m_runningLock);
    return m_running;
}

bool ThumbnailWorker::IsBusy() const
{
    return m_busy.load();
}

void ThumbnailWorker::Post(ThumbnailJob job)
{
    std::lock_guard lock(m_queueLock);
    m_queue.push_back(std::move(job));
    m_pending = true;
}

void ThumbnailWorker::Cancel()
{
    {
        std::lock_guard lock(m_cancelLock);
        m_cancel = true;
    }
    if (!m_thread.joinable()) {
        TakeCancel();
        std::lock_guard lock(m_queueLock);
        m_queue.clear();
        m_pending = false;
        return;
    }
    while (CancelRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool ThumbnailWorker::CancelRequested() const
{
    std::lock_guard lock(m_cancelLock);
    return m_cancel;
}

// Empties the queue when a cancel was requested and acknowledges it.
bool ThumbnailWorker::TakeCancel()
{
    if (!CancelRequested())
        return false;
    {
        std::lock_guard lock(m_queueLock);
        m_queue.clear();
        m_pending = false;
    }
    m_busy.store(false);
    std::lock_guard lock(m_cancelLock);
    m_cancel = false;
    return true;
}

void ThumbnailWorker::ThreadBody()
{
    // Below normal priority: the interface stays responsive while thumbnails are made.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    while (IsRunning()) {
        TakeCancel();
        ThumbnailJob job;
        bool haveJob = false;
        {
            std::lock_guard lock(m_queueLock);
            if (m_pending && !m_queue.empty()) {
                job = std::move(m_queue.front());
                m_queue.pop_front();
                m_pending = !m_queue.empty();
                haveJob = true;
            }
        }
        if (haveJob && !job.items.empty())
            RunJob(job);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_threadEnded.store(true);
}

void ThumbnailWorker::RunJob(ThumbnailJob& job)
{
    auto repaint = [&job] {
        if (job.repaint)
            job.repaint();
    };
    m_busy.store(true);
    repaint();
    auto lastRepaint = std::chrono::steady_clock::now();
    for (const ThumbnailJobItem& item : job.items) {
        if (TakeCancel() || !IsRunning())
            return;
        DoItemWork(item);
        if (std::chrono::steady_clock::now() - lastRepaint > kRepaintInterval) {
            repaint();
            std::this_thread::yield();
            lastRepaint = std::chrono::steady_clock::now();
        }
    }
    m_busy.store(false);
    repaint();
}

void ThumbnailWorker::DoItemWork(const ThumbnailJobItem& item)
{
    MediaItemDetail* detail = item.detail;
    if (!detail)
        return;
    if (item.isFolder) {
        if (detail->IsRequested(PictureRequest::FolderPreview))
            MakeFolderPreview(item);
        return;
    }
    if (!detail->loaded.load(std::memory_order_acquire)) {
        detail->fileSize = FileSize(item.path);
        if (m_producers.loadInformation)
            m_producers.loadInformation(item.path, *detail);
        if (item.hasSoundMemo && m_producers.memoDuration) {
            const std::string memo = MemoPathOf(item.path);
            struct stat info {};
            if (::stat(memo.c_str(), &info) == 0)
                detail->mediumInfo.durationHundredths = m_producers.memoDuration(memo);
        }
        detail->loaded.store(true, std::memory_order_release);
    }
    for (PictureRequest request :
         {PictureRequest::Enlarged, PictureRequest::LargeThumbnail, PictureRequest::SmallThumbnail}) {
        if (detail->IsRequested(request))
            MakePicture(item, request);
    }
}

void ThumbnailWorker::MakePicture(const ThumbnailJobItem& item, PictureRequest request)
{
    MediaItemDetail& detail = *item.detail;
    PictureSlot& slot = request == PictureRequest::Enlarged ? detail.enlarged
        : request == PictureRequest::LargeThumbnail         ? detail.thumbnails[kLargeThumbnailCode]
                                                            : detail.thumbnails[kSmallThumbnailCode];
    if (slot.IsFilled())
        return;
    auto picture = std::make_shared<DibImage>();
    int result = -1;
    if (request == PictureRequest::Enlarged && m_producers.readFullImage)
        result = m_producers.readFullImage(item.path, *picture);
    else if (m_producers.makeThumbnail)
        result = m_producers.makeThumbnail(
            item.path, request == PictureRequest::LargeThumbnail ? kLargeThumbnailCode : kSmallThumbnailCode,
            *picture);
    if (result != 0 || picture->Width() == 0) {
        detail.failed.store(true);
        return;
    }
    slot.Set(std::move(picture));
}

void ThumbnailWorker::MakeFolderPreview(const ThumbnailJobItem& item)
{
    MediaItemDetail& detail = *item.detail;
    auto& slots = detail.folderPreview[kSmallThumbnailCode];
    if (slots[0].IsFilled())
        return;
    DIR* folder = ::opendir(item.path.c_str());
    if (!folder)
        return;
    int filled = 0;
    while (filled < kFolderPreviewPictures) {
        const dirent* entry = ::readdir(folder);
        if (!entry)
            break;
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = item.path + (item.path.ends_with('/') ? "" : "/") + name;
        auto picture = std::make_shared<DibImage>();
        if (!m_producers.makeThumbnail || m_producers.makeThumbnail(path, kSmallThumbnailCode, *picture) != 0
            || picture->Width() == 0)
            continue;
        if (filled == 0)
            detail.folderPreviewPath = path;
        slots[filled++].Set(std::move(picture));
    }
    ::closedir(folder);
}

size_t ThumbnailWorker::Trim(std::vector<MediaItem>& items, size_t firstVisible, size_t lastVisible,
                             size_t limit)
{
    auto hasRequest = [](const MediaItemDetail& detail) {
        for (const auto& request : detail.requests) {
            if (request.load())
                return true;
        }
        return false;
    };
    size_t holding = 0;
    for (const MediaItem& item : items)
        holding += item.detail && hasRequest(*item.detail) ? 1 : 0;
    if (holding < limit)
        return 0;
    auto satisfied = [](const MediaItemDetail& detail) {
        if (detail.IsRequested(PictureRequest::Enlarged) && !detail.enlarged.IsFilled())
            return false;
        if (detail.IsRequested(PictureRequest::LargeThumbnail)
            && !detail.thumbnails[kLargeThumbnailCode].IsFilled())
            return false;
        if (detail.IsRequested(PictureRequest::SmallThumbnail)
            && !detail.thumbnails[kSmallThumbnailCode].IsFilled())
            return false;
        if (detail.IsRequested(PictureRequest::FolderPreview)) {
            for (const PictureSlot& slot : detail.folderPreview[kSmallThumbnailCode]) {
                if (!slot.IsFilled())
                    return false;
            }
        }
        return true;
    };
    size_t released = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i >= firstVisible && i <= lastVisible)
            continue;
        MediaItemDetail* detail = items[i].detail.get();
        if (detail && hasRequest(*detail) && satisfied(*detail)) {
            detail->ReleasePictures();
            ++released;
        }
    }
    return released;
}

ThumbnailWorker& ProgramThumbnailWorker()
{
    static ThumbnailWorker worker;
    return worker;
}

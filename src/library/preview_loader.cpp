#include "library/preview_loader.h"

#include <memory>
#include <utility>

#include "formats/picture_reader.h"
#include "library/dib_image.h"
#include "library/media_error.h"

PreviewLoader::PreviewLoader()
    : PreviewLoader([](const std::string& path, int boxWidth, int boxHeight, DibImage& image) {
        return ReadPreviewImage(path, boxWidth, boxHeight, image);
    })
{
}

PreviewLoader::PreviewLoader(Decoder decoder)
    : m_decoder(std::move(decoder))
{
    m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
}

PreviewLoader::~PreviewLoader()
{
    // A decode in progress cannot be interrupted: it ends, its result is thrown away and no
    // callback follows.
    m_thread.request_stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool PreviewLoader::Serves(int heldWidth, int heldHeight, int wantedWidth, int wantedHeight)
{
    if (heldWidth <= 0 || heldHeight <= 0)
        return true;
    if (wantedWidth <= 0 || wantedHeight <= 0)
        return false;
    return wantedWidth <= heldWidth && wantedHeight <= heldHeight;
}

bool PreviewLoader::ServesCurrentBox(const Slot& slot) const
{
    return slot.picture && Serves(slot.boxWidth, slot.boxHeight, m_boxWidth, m_boxHeight);
}

const PreviewLoader::Slot* PreviewLoader::FindSlot(const std::string& path) const
{
    for (const Slot& slot : m_slots) {
        if (slot.path == path)
            return &slot;
    }
    return nullptr;
}

PreviewLoader::Slot* PreviewLoader::FindSlot(const std::string& path)
{
    return const_cast<Slot*>(std::as_const(*this).FindSlot(path));
}

PreviewLoader::Slot* PreviewLoader::NextWork()
{
    for (Slot& slot : m_slots) {
        if (!slot.failed && !ServesCurrentBox(slot))
            return &slot;
    }
    return nullptr;
}

void PreviewLoader::Show(const std::string& current, const std::vector<std::string>& neighbours, int boxWidth,
                         int boxHeight)
{
    std::vector<Slot> dropped;
    {
        std::lock_guard lock(m_lock);
        dropped = std::move(m_slots);
        m_slots.clear();
        auto want = [&](const std::string& path) {
            if (path.empty() || m_slots.size() >= kMaxHeld || FindSlot(path))
                return;
            for (Slot& old : dropped) {
                if (old.path == path) {
                    m_slots.push_back(std::move(old));
                    old.path.clear();
                    return;
                }
            }
            Slot slot;
            slot.path = path;
            m_slots.push_back(std::move(slot));
        };
        want(current);
        for (const std::string& neighbour : neighbours)
            want(neighbour);
        m_boxWidth = boxWidth;
        m_boxHeight = boxHeight;
    }
    m_wake.notify_one();
    // `dropped` frees the pictures that are no longer wanted here, outside the lock.
}

SharedPicture PreviewLoader::Picture(const std::string& path) const
{
    std::lock_guard lock(m_lock);
    const Slot* slot = FindSlot(path);
    return slot && ServesCurrentBox(*slot) ? slot->picture : nullptr;
}

SharedPicture PreviewLoader::AnyPicture(const std::string& path) const
{
    std::lock_guard lock(m_lock);
    const Slot* slot = FindSlot(path);
    return slot ? slot->picture : nullptr;
}

bool PreviewLoader::Failed(const std::string& path) const
{
    std::lock_guard lock(m_lock);
    const Slot* slot = FindSlot(path);
    return slot && slot->failed;
}

void PreviewLoader::Forget(const std::string& path)
{
    SharedPicture released;
    {
        std::lock_guard lock(m_lock);
        if (Slot* slot = FindSlot(path)) {
            released = std::move(slot->picture);
            slot->picture = nullptr;
            slot->failed = false;
        }
        // A decode of the old file that is running now must not be kept.
        if (m_decoding && m_decodingPath == path)
            m_decodingForgotten = true;
    }
    m_wake.notify_one();
}

void PreviewLoader::SetReadyCallback(std::function<void(const std::string& path)> ready)
{
    std::lock_guard lock(m_lock);
    m_ready = std::move(ready);
}

bool PreviewLoader::Idle() const
{
    std::lock_guard lock(m_lock);
    if (m_decoding)
        return false;
    for (const Slot& slot : m_slots) {
        if (!slot.failed && !ServesCurrentBox(slot))
            return false;
    }
    return true;
}

size_t PreviewLoader::HeldCount() const
{
    std::lock_guard lock(m_lock);
    size_t held = 0;
    for (const Slot& slot : m_slots)
        held += slot.picture ? 1 : 0;
    return held;
}

void PreviewLoader::Run(std::stop_token stop)
{
    std::unique_lock lock(m_lock);
    while (!stop.stop_requested()) {
        Slot* work = NextWork();
        if (!work) {
            m_wake.wait(lock, stop, [this] { return NextWork() != nullptr; });
            continue;
        }
        const std::string path = work->path;
        const int boxWidth = m_boxWidth;
        const int boxHeight = m_boxHeight;
        m_decoding = true;
        m_decodingPath = path;
        m_decodingForgotten = false;
        lock.unlock();

        // No exception leaves the thread: a decoder that throws has failed.
        std::shared_ptr<DibImage> image;
        int code = kMediaOutOfMemory;
        try {
            image = std::make_shared<DibImage>();
            code = m_decoder ? m_decoder(path, boxWidth, boxHeight, *image) : -1;
        } catch (...) {
            code = kMediaMalformed;
        }
        const bool decoded = code == 0 && image && !image->IsEmpty();

        lock.lock();
        // The path may have been dropped by a Show or renewed by a Forget while it was decoded.
        Slot* slot = FindSlot(path);
        const bool keep = slot && !m_decodingForgotten && !stop.stop_requested();
        if (keep && decoded) {
            slot->picture = std::move(image);
            slot->boxWidth = boxWidth;
            slot->boxHeight = boxHeight;
            slot->failed = false;
        } else if (keep) {
            slot->failed = true;
        }
        const std::function<void(const std::string&)> ready = keep ? m_ready : nullptr;
        lock.unlock();
        image.reset();
        if (ready)
            ready(path);
        lock.lock();
        m_decoding = false;
    }
}

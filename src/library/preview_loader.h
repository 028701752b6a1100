#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "library/media_item.h"

// Decodes the pictures the preview shows on a worker thread of its own: the current picture
// first, then its neighbours in the list, so that stepping to the next or previous file finds
// its picture ready. It holds at most the current picture and its two neighbours; everything
// else is dropped when the current picture changes. A picture is decoded for a box (the
// smallest reduced-scale decode that still fills the box when fitted) or at full size for a
// box of 0 x 0 (the zoomed preview).
class PreviewLoader {
public:
    // 0 on success, otherwise the code of the decode (as ReadPreviewImage); runs on the worker.
    using Decoder = std::function<int(const std::string& path, int boxWidth, int boxHeight, DibImage& image)>;

    PreviewLoader();
    explicit PreviewLoader(Decoder decoder);
    // Stops and joins the worker.
    ~PreviewLoader();

    PreviewLoader(const PreviewLoader&) = delete;
    PreviewLoader& operator=(const PreviewLoader&) = delete;

    // [main thread] The picture to show now and the neighbours to decode after it (either may
    // be empty). Pictures of other paths are released; a picture already held in a size that
    // serves the box is kept, so a step to a prefetched neighbour decodes nothing.
    void Show(const std::string& current, const std::vector<std::string>& neighbours, int boxWidth,
              int boxHeight);

    // [main thread] The decoded picture of a held path that serves the box given to Show, or
    // null while it is not ready.
    SharedPicture Picture(const std::string& path) const;
    // [main thread] Whether the decode of a held path failed (the preview then shows nothing).
    // A failure stands for every box until the path is forgotten or leaves the three held.
    bool Failed(const std::string& path) const;

    // [main thread] Drops what is held for a path (its file was rewritten); a later Show
    // decodes it again, and so does the worker at once while the path is still shown. A decode
    // of the path that is running meanwhile is thrown away.
    void Forget(const std::string& path);

    // Called on the worker thread, without any lock held, after each picture is ready or has
    // failed; the preview uses it to repaint by a queued call.
    void SetReadyCallback(std::function<void(const std::string& path)> ready);

    // [any thread] Whether the worker has nothing left to do (for tests and benchmarks).
    bool Idle() const;

    // [main thread] Whatever picture is held for a path, even one decoded for a smaller box
    // than the current one, so that the preview can show it while the larger decode runs;
    // null when nothing is held.
    SharedPicture AnyPicture(const std::string& path) const;
    // [any thread] How many decoded pictures are held (at most three).
    size_t HeldCount() const;

    // The most pictures held: the current one and its two neighbours.
    static constexpr size_t kMaxHeld = 3;

private:
    // One wanted path and what is held for it. A picture decoded for a box serves every box
    // that is no larger on either side; one decoded at full size (box 0 x 0) serves every box.
    struct Slot {
        std::string path;
        SharedPicture picture;
        int boxWidth = 0; // the box `picture` was decoded for
        int boxHeight = 0;
        bool failed = false;
    };

    static bool Serves(int heldWidth, int heldHeight, int wantedWidth, int wantedHeight);
    bool ServesCurrentBox(const Slot& slot) const;
    const Slot* FindSlot(const std::string& path) const;
    Slot* FindSlot(const std::string& path);
    // The first slot, in order, whose picture still has to be decoded; null when none.
    Slot* NextWork();
    // [worker] The thread's loop.
    void Run(std::stop_token stop);

    Decoder m_decoder;

    // Everything below is guarded by m_lock. The main thread writes the wanted slots and the
    // box; the worker fills in pictures and failures and the decoding fields. Neither calls
    // the decoder or the ready callback while holding it.
    mutable std::mutex m_lock;
    std::condition_variable_any m_wake;
    std::vector<Slot> m_slots; // current first, then the neighbours
    int m_boxWidth = 0;
    int m_boxHeight = 0;
    bool m_decoding = false;         // the worker is inside the decoder
    std::string m_decodingPath;      // what it decodes
    bool m_decodingForgotten = false; // Forget named that path meanwhile: its result is stale
    std::function<void(const std::string& path)> m_ready;

    // Last, so that it starts after the fields above exist and is joined before they go.
    std::jthread m_thread;
};

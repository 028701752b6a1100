#pragma once

#include <cstddef>

// Where a slide show stands: which picture, whether it is paused, and whether it has run past
// its last picture (it stops there rather than starting again).
class SlideShowState {
public:
    explicit SlideShowState(std::size_t count) : m_count(count), m_finished(count == 0) {}

    std::size_t Index() const { return m_index; }
    std::size_t Count() const { return m_count; }
    bool Paused() const { return m_paused; }
    bool Finished() const { return m_finished; }

    void Next();
    void Previous();
    void TogglePause() { m_paused = !m_paused; }
    // The timer's advance: nothing while paused. True when it moved.
    bool TimerTick();
    void Finish() { m_finished = true; }

private:
    std::size_t m_count;
    std::size_t m_index = 0;
    bool m_paused = false;
    bool m_finished;
};

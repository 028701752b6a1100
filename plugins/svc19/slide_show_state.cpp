#include "slide_show_state.h"

void SlideShowState::Next()
{
    if (m_finished)
        return;
    if (m_index + 1 < m_count)
        ++m_index;
    else
        m_finished = true;
}

void SlideShowState::Previous()
{
    if (!m_finished && m_index > 0)
        --m_index;
}

bool SlideShowState::TimerTick()
{
    if (m_paused || m_finished)
        return false;
    Next();
    return true;
}

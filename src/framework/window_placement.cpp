#include "framework/window_placement.h"

#include <algorithm>

WindowRect PlaceInWorkArea(WindowRect window, const WindowRect& workArea, bool centre)
{
    if (centre) {
        window.x = workArea.x + (workArea.width - window.width) / 2;
        window.y = workArea.y + (workArea.height - window.height) / 2;
    }
    if (window.Right() > workArea.Right())
        window.x = workArea.Right() - window.width;
    if (window.Bottom() > workArea.Bottom())
        window.y = workArea.Bottom() - window.height;
    window.x = std::max(window.x, workArea.x);
    window.y = std::max(window.y, workArea.y);
    return window;
}

WindowRect ApplyMinimumSize(WindowRect window, WindowSize minimum)
{
    window.width = std::max(window.width, minimum.width);
    window.height = std::max(window.height, minimum.height);
    return window;
}

WindowRect ApplyMinimumClientSize(WindowRect window, WindowSize client, WindowSize minimumClient)
{
    // The loop of the original settles in one step when the frame is constant.
    if (client.width < minimumClient.width)
        window.width += minimumClient.width - client.width;
    if (client.height < minimumClient.height)
        window.height += minimumClient.height - client.height;
    return window;
}

#pragma once

// Window geometry rules shared by every top-level window, in plain numbers so that they can be
// checked without a screen. Rectangles are left/top plus width/height in screen pixels.
struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

struct WindowSize {
    int width = 0;
    int height = 0;
};

// Moves the window fully into the work area (centred first when asked), keeping its size. A
// window larger than the work area keeps its top-left corner at the work area's top-left.
WindowRect PlaceInWorkArea(WindowRect window, const WindowRect& workArea, bool centre);

// Grows the outer size to at least the minimum; the top-left corner stays.
WindowRect ApplyMinimumSize(WindowRect window, WindowSize minimum);

// Grows the outer size until the client area is at least the minimum client size. The frame
// (outer minus client size) is taken as constant.
WindowRect ApplyMinimumClientSize(WindowRect window, WindowSize client, WindowSize minimumClient);

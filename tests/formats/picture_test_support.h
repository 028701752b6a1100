#pragma once

#include <cstdint>
#include <random>

#include "library/dib_image.h"

// Small 24-bit pictures for the picture arithmetic tests.

// Every byte random (a fixed seed, so that a failure repeats).
inline DibImage RandomPicture(uint32_t width, uint32_t height, uint32_t seed)
{
    DibImage image;
    image.Create(width, height, 24);
    std::mt19937 random(seed);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, random() & 0xFFFFFF);
    return image;
}

inline DibImage FlatPicture(uint32_t width, uint32_t height, uint32_t colour)
{
    DibImage image;
    image.Create(width, height, 24);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, colour);
    return image;
}

// Each pixel names its place: red = x, green = y, blue = a tag.
inline DibImage CoordinatePicture(uint32_t width, uint32_t height, uint32_t tag = 0x5A)
{
    DibImage image;
    image.Create(width, height, 24);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, (x & 0xFF) << 16 | (y & 0xFF) << 8 | tag);
    return image;
}

inline uint32_t CoordinatePixel(uint32_t x, uint32_t y, uint32_t tag = 0x5A)
{
    return (x & 0xFF) << 16 | (y & 0xFF) << 8 | tag;
}

// The byte of channel c (0 blue, 1 green, 2 red) of a pixel.
inline int Channel(const DibImage& image, uint32_t x, uint32_t y, int c)
{
    return static_cast<int>(image.Pixel(x, y) >> (8 * c) & 0xFF);
}

#pragma once

class DibImage;

// The eight transforms of a 24-bit image (source width W, height H; destination of source pixel
// (x, y)): 0 copy (x, y); 1 rotate 90 degrees clockwise (H-1-y, x); 2 rotate 180 degrees
// (W-1-x, H-1-y); 3 rotate 90 degrees counter-clockwise (y, W-1-x); 4 mirror left-right
// (W-1-x, y); 5 mirror top-bottom (x, H-1-y); 6 transpose (y, x); 7 transverse (H-1-y, W-1-x).
// Transforms 1, 3, 6 and 7 make an H x W image.
//
// TransformImage re-creates the destination with the transformed picture (source and
// destination may be the same image). Returns 0, or -1 for a missing, empty or non-24-bit source,
// a missing destination, a transform outside 0 to 7, or when memory runs out (the destination is
// then unchanged). Runs on any thread.
int TransformImage(const DibImage* source, DibImage* destination, int transform);

// The transform of an Exif orientation value: 2 -> 4, 3 -> 2, 4 -> 5, 5 -> 6, 6 -> 1, 7 -> 7,
// 8 -> 3; -1 (nothing to do) for 1 and every other value. The Exif writer turns coordinates with
// the same map.
int OrientationTransform(int orientation);

// Turns the image upright for an Exif orientation value: nothing for values outside 2 to 8 (1,
// 0, error codes such as 1001); otherwise the transformed image replaces the given one, whose
// size therefore swaps for 5 to 8. An image that cannot be transformed is left as it was.
void OrientImage(int orientation, DibImage& image);

#pragma once

#include <QImage>

/// How the map image travels over the session bus: a shared memory file of 32-bit pixels
/// (0xffRRGGBB, rows from the top, no padding), handed over as a file descriptor. Nothing is encoded
/// on the way, so a map of any size a 16-bit width and height allow costs one copy on each side,
/// and no message on the bus grows with the map.
namespace MapPixels {

/// A new shared memory file holding the image's pixels, or -1 when one cannot be made. The caller
/// owns the descriptor.
int fileOf(const QImage &image);

enum class Read { Ok, OutOfMemory, Malformed };

/// Reads an image of this size from such a file; a file of another size is Malformed, and an image
/// too large to be held here is OutOfMemory. The file's offset is left alone.
Read read(int descriptor, int width, int height, QImage *image);

} // namespace MapPixels

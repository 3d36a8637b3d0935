#include "uiview/dbus/mappixels.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kLargestSide = 32767; // what UI-View32's 16-bit width and height can say
constexpr qsizetype kPixelBytes = 4;

/// Runs pread or pwrite until all of the bytes are through; false when one of them fails.
template<typename Transfer, typename Bytes>
bool transferAll(Transfer transfer, int descriptor, Bytes *data, qsizetype size, off_t offset)
{
    while (size > 0) {
        const ssize_t done = transfer(descriptor, data, static_cast<size_t>(size), offset);
        if (done <= 0)
            return false;
        data += done;
        size -= done;
        offset += done;
    }
    return true;
}

} // namespace

int MapPixels::fileOf(const QImage &image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull())
        return -1;
    const int descriptor = ::memfd_create("uiview32-map", MFD_CLOEXEC);
    if (descriptor < 0)
        return -1;
    const qsizetype row = qsizetype(pixels.width()) * kPixelBytes;
    bool written = ::ftruncate(descriptor, static_cast<off_t>(row * pixels.height())) == 0;
    if (written && pixels.bytesPerLine() == row) {
        written = transferAll(::pwrite, descriptor, pixels.constBits(), pixels.sizeInBytes(), 0);
    } else {
        for (int y = 0; written && y < pixels.height(); ++y)
            written = transferAll(::pwrite, descriptor, pixels.constScanLine(y), row, static_cast<off_t>(row * y));
    }
    if (!written) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

MapPixels::Read MapPixels::read(int descriptor, int width, int height, QImage *image)
{
    struct stat file = {};
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide || ::fstat(descriptor, &file) != 0)
        return Read::Malformed;
    const qsizetype row = qsizetype(width) * kPixelBytes;
    if (file.st_size != static_cast<off_t>(row * height))
        return Read::Malformed;
    QImage pixels(width, height, QImage::Format_RGB32);
    if (pixels.isNull())
        return Read::OutOfMemory;
    // A 32-bit image's rows are never padded, so the file is read in one go.
    if (pixels.bytesPerLine() != row || !transferAll(::pread, descriptor, pixels.bits(), pixels.sizeInBytes(), 0))
        return Read::Malformed;
    *image = std::move(pixels);
    return Read::Ok;
}

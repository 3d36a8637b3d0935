// The map's pixels as another process hands them over: whatever the file holds and whatever size is
// claimed, reading never fails badly, and an image comes back only when file and size agree.
#include "fuzzsupport.h"
#include "uiview/dbus/mappixels.h"

#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    // The first four bytes claim the size; sides past the 16-bit range must be refused too.
    const int width = (data[0] << 8 | data[1]) - 16;
    const int height = (data[2] << 8 | data[3]) - 16;
    const int descriptor = memfd_create("fuzz-map", MFD_CLOEXEC);
    FUZZ_REQUIRE(descriptor >= 0);
    FUZZ_REQUIRE(write(descriptor, data + 4, size - 4) == static_cast<ssize_t>(size - 4));
    QImage image;
    const MapPixels::Read result = MapPixels::read(descriptor, width, height, &image);
    const bool agree = width > 0 && height > 0 && width <= 32767 && height <= 32767
        && qsizetype(width) * height * 4 == qsizetype(size - 4);
    FUZZ_REQUIRE((result == MapPixels::Read::Ok) == agree);
    if (result == MapPixels::Read::Ok)
        FUZZ_REQUIRE(image.width() == width && image.height() == height
                     && image.pixel(0, 0) == (0xff000000u | data[6] << 16 | data[5] << 8 | data[4]));
    close(descriptor);
    return 0;
}

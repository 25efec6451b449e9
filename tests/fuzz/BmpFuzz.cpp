// The BMP decoder on any bytes.
#include "PictureRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pictureRoundTrip(data, size, platform::imaging::Format::Bitmap);
    return 0;
}

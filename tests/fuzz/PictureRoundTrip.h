#pragma once
// A decoder on any bytes: it gives a picture or an ImageError, never a crash; what it decodes
// encodes again in the same format and decodes to a picture of the same size.
#include "Check.h"
#include "platform/imaging/Imaging.h"

#include <cstdint>

inline void pictureRoundTrip(const std::uint8_t* data, std::size_t size, platform::imaging::Format format)
{
    using namespace platform::imaging;
    QImage image;
    try {
        image = decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), format);
    } catch (const ImageError&) {
        return;
    }
    FUZZ_CHECK(!image.isNull(), QStringLiteral("decoded to a null picture"));
    QImage again;
    try {
        again = decode(encode(image, format), format);
    } catch (const ImageError& e) {
        FUZZ_CHECK(false, QString::fromUtf8(e.what()));
    }
    FUZZ_CHECK(again.size() == image.size(), QStringLiteral("%1x%2 came back as %3x%4")
                                                 .arg(image.width()).arg(image.height())
                                                 .arg(again.width()).arg(again.height()));
}

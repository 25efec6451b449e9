#pragma once
// JPEG through libjpeg, GIF through giflib, BMP through QImage. Decoders never crash or exit on a
// corrupt or truncated picture: they throw ImageError. JPEG and BMP hold no transparency: a
// see-through picture is written on white.
#include <QByteArray>
#include <QImage>
#include <stdexcept>

namespace platform::imaging {

class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Format { None = 0, Bitmap = 1, Jpeg = 2, Gif = 3 };

QImage decodeJpeg(const QByteArray& data);
QImage decodeGif(const QByteArray& data);   // the first frame; ARGB32 when it has see-through parts
QImage decodeBmp(const QByteArray& data);
QByteArray encodeJpeg(const QImage& image, int quality = 90);
QByteArray encodeGif(const QImage& image);  // exact palette up to 256 colours, else a fixed colour cube
QByteArray encodeBmp(const QImage& image);

// Format::None has no codec: both throw ImageError.
QImage decode(const QByteArray& data, Format format);
QByteArray encode(const QImage& image, Format format);

// Tries JPEG, then GIF, then bitmap; the first that reads wins and its format is given back.
// None of them: a null image and Format::None.
QImage decodeAny(const QByteArray& data, Format& format);

} // namespace platform::imaging

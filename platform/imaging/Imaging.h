#pragma once
// JPEG through libjpeg, GIF through giflib, BMP through QImage. Decoders never crash or exit on a
// corrupt or truncated picture: they throw ImageError.
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
QImage decodeGif(const QByteArray& data);   // the first frame
QImage decodeBmp(const QByteArray& data);
QByteArray encodeJpeg(const QImage& image, int quality = 90);
QByteArray encodeGif(const QImage& image);  // 256-colour palette
QByteArray encodeBmp(const QImage& image);

QImage decode(const QByteArray& data, Format format);
QByteArray encode(const QImage& image, Format format);

} // namespace platform::imaging

#include "platform/imaging/Imaging.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}
#include <gif_lib.h>

namespace platform::imaging {

namespace {

// A small file may declare a huge picture; refuse before allocating it.
constexpr qint64 kMaxPixels = 100'000'000;

bool tooLarge(qint64 width, qint64 height)
{
    // Each side is at most 32 bits wide here, so the product cannot overflow.
    return width > kMaxPixels || height > kMaxPixels || width * height > kMaxPixels;
}

void checkSize(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        throw ImageError("The picture has no size");
    if (tooLarge(width, height))
        throw ImageError("The picture is too large");
}

QImage allocate(int width, int height, QImage::Format format)
{
    checkSize(width, height);
    QImage image(width, height, format);
    if (image.isNull())
        throw ImageError("Not enough memory for the picture");
    return image;
}

// JPEG and BMP hold no transparency: what was transparent shows on white, as on a blank page.
QImage flattened(const QImage& image, QImage::Format format)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(format);
    QImage out = allocate(image.width(), image.height(), QImage::Format_RGB32);
    out.fill(Qt::white);
    {
        QPainter painter(&out);
        painter.drawImage(0, 0, image);
    }
    return out.convertToFormat(format);
}

// ---------------------------------------------------------------------------------------------
// JPEG. libjpeg reports errors by calling error_exit, which by default ends the process; ours
// jumps back to the call that started the work. Only plain C state lives in the frames that
// setjmp covers; everything with a destructor belongs to the caller.

struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegFail(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// libjpeg goes on after a premature end and makes up the rest of the picture; we do not show a
// half picture as if it were the whole.
void jpegMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        jpegFail(cinfo);
}

void jpegQuiet(j_common_ptr) {}

void setUpErrors(JpegErrors& errors)
{
    jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = jpegFail;
    errors.mgr.emit_message = jpegMessage;
    errors.mgr.output_message = jpegQuiet;
    errors.message[0] = '\0';
}

struct JpegDecoding {
    const QByteArray* data = nullptr;
    QImage image;
    std::vector<JSAMPLE> row;   // CMYK scan line
    bool cmyk = false;
    bool adobe = false;
    QString failure;            // set when a step outside libjpeg failed
};

// Returns false with errors.message set when libjpeg failed.
bool runJpegDecoding(JpegDecoding& d, JpegErrors& errors, jpeg_decompress_struct& cinfo)
{
    cinfo.err = &errors.mgr;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(d.data->constData()),
                 static_cast<unsigned long>(d.data->size()));
    jpeg_read_header(&cinfo, TRUE);

    QImage::Format format = QImage::Format_RGB888;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        format = QImage::Format_RGB32;
        d.cmyk = true;
        d.adobe = cinfo.saw_Adobe_marker;
        break;
    default:
        cinfo.out_color_space = JCS_RGB;
        break;
    }
    jpeg_calc_output_dimensions(&cinfo);
    if (cinfo.output_width == 0 || cinfo.output_height == 0 || tooLarge(cinfo.output_width, cinfo.output_height)) {
        d.failure = QStringLiteral("The picture is too large");
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    // Allocation cannot throw past libjpeg here: nothing of libjpeg is on the stack.
    try {
        d.image = allocate(int(cinfo.output_width), int(cinfo.output_height), format);
        if (d.cmyk)
            d.row.resize(size_t(cinfo.output_width) * 4);
    } catch (const std::exception& e) {
        d.failure = QString::fromUtf8(e.what());
        jpeg_destroy_decompress(&cinfo);
        return true;
    }

    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        JSAMPROW target = d.cmyk ? d.row.data() : d.image.scanLine(y);
        jpeg_read_scanlines(&cinfo, &target, 1);
        if (d.cmyk) {
            auto* out = reinterpret_cast<QRgb*>(d.image.scanLine(y));
            const JSAMPLE* in = d.row.data();
            for (JDIMENSION x = 0; x < cinfo.output_width; ++x, in += 4) {
                // Adobe writes CMYK inverted, which is what most CMYK JPEGs are.
                int c = in[0], m = in[1], yy = in[2], k = in[3];
                if (!d.adobe) {
                    c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k;
                }
                out[x] = qRgb(c * k / 255, m * k / 255, yy * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Our destination grows a byte array; jpeg_mem_dest leaves its buffer dangling when a compression
// fails after it has grown.
struct JpegDestination {
    jpeg_destination_mgr pub;
    QByteArray* out;
};

constexpr qsizetype kJpegChunk = 64 * 1024;

bool growJpegOutput(JpegDestination* dest, qsizetype used)
{
    try {
        dest->out->resize(used + qMax(used, kJpegChunk));
    } catch (...) {
        return false;
    }
    dest->pub.next_output_byte = reinterpret_cast<JOCTET*>(dest->out->data()) + used;
    dest->pub.free_in_buffer = size_t(dest->out->size() - used);
    return true;
}

void jpegInitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!growJpegOutput(dest, 0))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

boolean jpegEmptyBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    // libjpeg asks for more only when the whole buffer is full.
    if (!growJpegOutput(dest, dest->out->size()))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    return TRUE;
}

void jpegTermDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    dest->out->resize(dest->out->size() - qsizetype(dest->pub.free_in_buffer));
}

bool runJpegEncoding(const QImage& source, bool gray, int quality, QByteArray& out, JpegErrors& errors,
                     jpeg_compress_struct& cinfo, JpegDestination& dest)
{
    cinfo.err = &errors.mgr;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.out = &out;
    dest.pub.init_destination = jpegInitDestination;
    dest.pub.empty_output_buffer = jpegEmptyBuffer;
    dest.pub.term_destination = jpegTermDestination;
    cinfo.dest = &dest.pub;

    cinfo.image_width = JDIMENSION(source.width());
    cinfo.image_height = JDIMENSION(source.height());
    cinfo.input_components = gray ? 1 : 3;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(source.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---------------------------------------------------------------------------------------------
// GIF

QString gifMessage(int code)
{
    const char* text = GifErrorString(code);
    return text ? QString::fromUtf8(text) : QStringLiteral("GIF error %1").arg(code);
}

[[noreturn]] void gifFail(int code) { throw ImageError(gifMessage(code).toStdString()); }

struct GifReader {
    const QByteArray* data;
    qsizetype at = 0;
};

int gifRead(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* reader = static_cast<GifReader*>(gif->UserData);
    const qsizetype n = qMin<qsizetype>(length, reader->data->size() - reader->at);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, reader->data->constData() + reader->at, size_t(n));
    reader->at += n;
    return int(n);
}

int gifWrite(GifFileType* gif, const GifByteType* buffer, int length)
{
    try {
        static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(buffer), length);
    } catch (...) {
        return 0;  // giflib reports the failed write
    }
    return length;
}

// Closes the file on every way out, also when an error is thrown.
struct GifDecodeFile {
    GifFileType* gif = nullptr;
    ~GifDecodeFile()
    {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

struct GifEncodeFile {
    GifFileType* gif = nullptr;
    ~GifEncodeFile()
    {
        int error = 0;
        if (gif)
            EGifCloseFile(gif, &error);
    }
    // The closing writes the trailer, so its failure counts.
    void close()
    {
        int error = 0;
        GifFileType* g = gif;
        gif = nullptr;
        if (EGifCloseFile(g, &error) == GIF_ERROR)
            gifFail(error);
    }
};

struct MapObject {
    ColorMapObject* map = nullptr;
    ~MapObject() { GifFreeMapObject(map); }
};

} // namespace

// ---------------------------------------------------------------------------------------------

QImage decodeJpeg(const QByteArray& data)
{
    JpegErrors errors;
    setUpErrors(errors);
    jpeg_decompress_struct cinfo;
    JpegDecoding d;
    d.data = &data;
    if (!runJpegDecoding(d, errors, cinfo))
        throw ImageError(errors.message);
    if (!d.failure.isEmpty())
        throw ImageError(d.failure.toStdString());
    return d.image;
}

QByteArray encodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        throw ImageError("There is no picture to write");
    checkSize(image.width(), image.height());
    const bool gray = image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16
                      || (image.colorCount() > 0 && !image.hasAlphaChannel() && image.isGrayscale());
    const QImage source = flattened(image, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);

    JpegErrors errors;
    setUpErrors(errors);
    jpeg_compress_struct cinfo;
    JpegDestination dest;
    QByteArray out;
    if (!runJpegEncoding(source, gray, qBound(1, quality, 100), out, errors, cinfo, dest))
        throw ImageError(errors.message);
    return out;
}

QImage decodeGif(const QByteArray& data)
{
    GifReader reader{&data};
    int error = 0;
    GifDecodeFile file;
    file.gif = DGifOpen(&reader, gifRead, &error);
    if (!file.gif)
        gifFail(error);
    GifFileType* gif = file.gif;

    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            gifFail(gif->Error);
        if (record == TERMINATE_RECORD_TYPE)
            throw ImageError("The GIF file holds no picture");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                gifFail(gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    gifFail(gif->Error);
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;

        if (DGifGetImageDesc(gif) == GIF_ERROR)
            gifFail(gif->Error);
        const GifImageDesc& frame = gif->Image;
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map || map->ColorCount <= 0)
            throw ImageError("The GIF file has no colour table");
        if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0)
            throw ImageError("The GIF picture has no size");

        // The picture is the first frame alone: the logical screen it declares costs nothing
        // to claim in the file and may be any size.
        const int width = frame.Width;
        const int height = frame.Height;
        QImage image = allocate(width, height, QImage::Format_ARGB32);
        image.fill(Qt::transparent);

        QList<QRgb> colours(256, qRgb(0, 0, 0));
        for (int i = 0; i < map->ColorCount && i < 256; ++i)
            colours[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
        bool seeThrough = false;

        std::vector<GifPixelType> line(size_t(frame.Width));
        auto readRow = [&](int y) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                gifFail(gif->Error);
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < frame.Width; ++x) {
                if (line[size_t(x)] == transparent)
                    seeThrough = true;
                else
                    out[x] = colours[line[size_t(x)]];
            }
        };
        if (frame.Interlace) {
            static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < frame.Height; y += step[pass])
                    readRow(y);
        } else {
            for (int y = 0; y < frame.Height; ++y)
                readRow(y);
        }
        return seeThrough ? image : image.convertToFormat(QImage::Format_RGB32);
    }
}

QByteArray encodeGif(const QImage& image)
{
    if (image.isNull())
        throw ImageError("There is no picture to write");
    if (image.width() > 65535 || image.height() > 65535)
        throw ImageError("The picture is too large for a GIF file");
    checkSize(image.width(), image.height());
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width(), height = source.height();

    // Mostly transparent pixels become the one transparent entry; the rest keep their colour.
    bool hasTransparent = false;
    QHash<QRgb, int> exact;
    bool tooMany = false;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (qAlpha(row[x]) < 128) {
                hasTransparent = true;
                continue;
            }
            if (!tooMany) {
                const QRgb c = row[x] | 0xff000000u;
                if (!exact.contains(c)) {
                    if (exact.size() >= 256)
                        tooMany = true;
                    else
                        exact.insert(c, int(exact.size()));
                }
            }
        }
    }
    const int opaqueLimit = hasTransparent ? 255 : 256;
    const bool cube = tooMany || exact.size() > opaqueLimit;

    // More colours than a palette holds: a fixed 6x7x6 colour cube, the same for every picture.
    std::vector<GifColorType> palette;
    if (cube) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 7; ++g)
                for (int b = 0; b < 6; ++b)
                    palette.push_back({GifByteType(r * 255 / 5), GifByteType(g * 255 / 6), GifByteType(b * 255 / 5)});
    } else {
        palette.resize(size_t(exact.size()));
        for (auto it = exact.cbegin(); it != exact.cend(); ++it)
            palette[size_t(it.value())] = {GifByteType(qRed(it.key())), GifByteType(qGreen(it.key())),
                                           GifByteType(qBlue(it.key()))};
    }
    const int transparentIndex = hasTransparent ? int(palette.size()) : NO_TRANSPARENT_COLOR;
    if (hasTransparent)
        palette.push_back({0, 0, 0});
    // giflib takes only whole powers of two, at least 2 entries.
    const int bits = qMax(1, GifBitSize(int(palette.size())));
    palette.resize(size_t(1) << bits, GifColorType{0, 0, 0});

    auto indexOf = [&](QRgb c) -> GifPixelType {
        if (qAlpha(c) < 128)
            return GifPixelType(transparentIndex);
        if (!cube)
            return GifPixelType(exact.value(c | 0xff000000u));
        const int r = (qRed(c) * 5 + 127) / 255, g = (qGreen(c) * 6 + 127) / 255, b = (qBlue(c) * 5 + 127) / 255;
        return GifPixelType((r * 7 + g) * 6 + b);
    };

    MapObject map;
    map.map = GifMakeMapObject(int(palette.size()), palette.data());
    if (!map.map)
        gifFail(E_GIF_ERR_NOT_ENOUGH_MEM);

    QByteArray out;
    int error = 0;
    GifEncodeFile file;
    file.gif = EGifOpen(&out, gifWrite, &error);
    if (!file.gif)
        gifFail(error);
    GifFileType* gif = file.gif;
    EGifSetGifVersion(gif, hasTransparent);
    if (EGifPutScreenDesc(gif, width, height, bits, 0, map.map) == GIF_ERROR)
        gifFail(gif->Error);
    if (hasTransparent) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.TransparentColor = transparentIndex;
        GifByteType block[4];
        const size_t length = EGifGCBToExtension(&gcb, block);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), block) == GIF_ERROR)
            gifFail(gif->Error);
    }
    if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
        gifFail(gif->Error);
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x)
            line[size_t(x)] = indexOf(row[x]);
        if (EGifPutLine(gif, line.data(), width) == GIF_ERROR)
            gifFail(gif->Error);
    }
    file.close();
    return out;
}

// ---------------------------------------------------------------------------------------------
// BMP

namespace {

quint32 le32(const QByteArray& d, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(d.constData()) + at;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const QByteArray& d, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(d.constData()) + at;
    return quint16(p[0] | p[1] << 8);
}

// Qt's reader fills in what a cut-off bitmap lacks; a cut-off picture is refused here instead.
void checkBmpLength(const QByteArray& data)
{
    constexpr qsizetype fileHeader = 14;
    if (data.size() < fileHeader + 12 || !data.startsWith("BM"))
        return;  // the reader says what is wrong
    const qint64 offset = le32(data, 10);
    const quint32 infoSize = le32(data, 14);
    qint64 width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) {  // OS/2 core header
        width = le16(data, 18);
        height = le16(data, 20);
        bits = le16(data, 24);
    } else if (infoSize >= 40 && data.size() >= fileHeader + 40) {
        width = qint32(le32(data, 18));
        height = qint32(le32(data, 22));
        bits = le16(data, 28);
        compression = le32(data, 30);
        imageSize = le32(data, 34);
    } else {
        return;
    }
    width = std::abs(width);
    height = std::abs(height);
    if (tooLarge(width, height))
        throw ImageError("Bitmap image is not valid: the picture is too large");
    qint64 needed = 0;
    if (compression == 0 || compression == 3 || compression == 6)  // plain rows, bit fields
        needed = ((width * bits + 31) / 32) * 4 * height;  // at most 10^8 pixels of 65535 bits
    else
        needed = imageSize;  // run-length and embedded pictures give their size, when they do
    if (offset + needed > data.size())
        throw ImageError("Bitmap image is not valid: the file is shorter than its picture");
}

} // namespace

QImage decodeBmp(const QByteArray& data)
{
    checkBmpLength(data);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    // Only a bitmap: no guessing of other formats from the content.
    QImageReader reader(&buffer, "BMP");
    reader.setAutoDetectImageFormat(false);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw ImageError(("Bitmap image is not valid: " + reader.errorString()).toStdString());
    return image;
}

QByteArray encodeBmp(const QImage& image)
{
    if (image.isNull())
        throw ImageError("There is no picture to write");
    const QImage source = image.hasAlphaChannel() ? flattened(image, QImage::Format_RGB32) : image;
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(source))
        throw ImageError(("Cannot write the bitmap: " + writer.errorString()).toStdString());
    return out;
}

// ---------------------------------------------------------------------------------------------

QImage decode(const QByteArray& data, Format format)
{
    switch (format) {
    case Format::Jpeg: return decodeJpeg(data);
    case Format::Gif: return decodeGif(data);
    case Format::Bitmap: return decodeBmp(data);
    case Format::None: break;
    }
    throw ImageError("No picture format");
}

QByteArray encode(const QImage& image, Format format)
{
    switch (format) {
    case Format::Jpeg: return encodeJpeg(image);
    case Format::Gif: return encodeGif(image);
    case Format::Bitmap: return encodeBmp(image);
    case Format::None: break;
    }
    throw ImageError("No picture format");
}

QImage decodeAny(const QByteArray& data, Format& format)
{
    for (Format f : {Format::Jpeg, Format::Gif, Format::Bitmap}) {
        try {
            QImage image = decode(data, f);
            format = f;
            return image;
        } catch (const ImageError&) {
        }
    }
    format = Format::None;
    return {};
}

} // namespace platform::imaging

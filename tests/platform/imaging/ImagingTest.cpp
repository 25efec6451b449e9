#include "platform/imaging/Imaging.h"

#include <QBuffer>
#include <QColor>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <vector>

extern "C" {
#include <jpeglib.h>
}
#include <gif_lib.h>

using namespace platform::imaging;

namespace {

// A smooth picture of odd size, the kind JPEG keeps well.
QImage gradient(int w = 37, int h = 23)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / (w - 1), y * 255 / (h - 1), 128));
    return image;
}

// Exactly n distinct colours.
QImage colours(int n, int w = 20, int h = 15)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = (y * w + x) % n;
            image.setPixel(x, y, qRgb(i, 255 - i, (i * 7) % 256));
        }
    return image;
}

// The largest difference of any channel of any pixel; -1 when the sizes differ.
int maxDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

QByteArray randomBytes(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray out(n, '\0');
    for (char& c : out)
        c = char(rng() & 0xff);
    return out;
}

using Decoder = std::function<QImage(const QByteArray&)>;

struct Codec {
    const char* name;
    Decoder decode;
    QByteArray sample;  // a valid file of this codec
};

std::vector<Codec> codecs()
{
    const QImage picture = colours(200, 40, 30);
    return {
        {"JPEG", decodeJpeg, encodeJpeg(gradient(64, 48))},
        {"GIF", decodeGif, encodeGif(picture)},
        {"BMP", decodeBmp, encodeBmp(picture)},
    };
}

// --- giflib and libjpeg written by hand, for the files our own encoders never make.

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    std::vector<GifColorType> localMap;  // empty: the global map
    int transparent = NO_TRANSPARENT_COLOR;
    std::function<int(int x, int y)> pixel;
};

int appendBytes(GifFileType* gif, const GifByteType* data, int n)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), n);
    return n;
}

QByteArray writeGif(int screenW, int screenH, std::vector<GifColorType> globalMap, const std::vector<GifFrame>& frames)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = globalMap.empty() ? nullptr : GifMakeMapObject(int(globalMap.size()), globalMap.data());
    EXPECT_EQ(EGifPutScreenDesc(gif, screenW, screenH, 8, 0, global), GIF_OK);
    for (const GifFrame& f : frames) {
        if (f.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = f.transparent;
            GifByteType block[4];
            EGifGCBToExtension(&gcb, block);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
        }
        std::vector<GifColorType> local = f.localMap;
        ColorMapObject* map = local.empty() ? nullptr : GifMakeMapObject(int(local.size()), local.data());
        EXPECT_EQ(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, map), GIF_OK);
        GifFreeMapObject(map);
        std::vector<int> rows;
        if (f.interlace) {
            const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < f.height; y += step[pass])
                    rows.push_back(y);
        } else {
            for (int y = 0; y < f.height; ++y)
                rows.push_back(y);
        }
        std::vector<GifPixelType> line(size_t(f.width));
        for (int y : rows) {
            for (int x = 0; x < f.width; ++x)
                line[size_t(x)] = GifPixelType(f.pixel(x, y));
            EXPECT_EQ(EGifPutLine(gif, line.data(), f.width), GIF_OK);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(global);
    return out;
}

// Photoshop's CMYK: an Adobe marker and the four values stored inverted.
QByteArray writeCmykJpeg(int w, int h, const std::function<std::array<JSAMPLE, 4>(int x, int y)>& storedPixel)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(w) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < w; ++x) {
            const auto p = storedPixel(x, int(cinfo.next_scanline));
            std::copy(p.begin(), p.end(), row.begin() + x * 4);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    free(buffer);
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Round trips

TEST(Imaging, JpegRoundTripKeepsSizeAndColours)
{
    const QImage original = gradient();
    const QImage back = decodeJpeg(encodeJpeg(original));
    ASSERT_EQ(back.size(), original.size());
    EXPECT_LT(meanDifference(original, back), 3.0);
    EXPECT_LT(maxDifference(original, back), 40);
}

TEST(Imaging, JpegGrayscaleStaysGray)
{
    QImage gray(30, 20, QImage::Format_Grayscale8);
    for (int y = 0; y < gray.height(); ++y)
        for (int x = 0; x < gray.width(); ++x)
            gray.scanLine(y)[x] = uchar(x * 8);
    const QByteArray file = encodeJpeg(gray);
    const QImage back = decodeJpeg(file);
    EXPECT_EQ(back.format(), QImage::Format_Grayscale8);
    EXPECT_LT(meanDifference(gray, back), 3.0);
}

TEST(Imaging, JpegQualityTradesSizeForFidelity)
{
    const QImage original = colours(250, 64, 64);  // busy, so quality shows
    const QByteArray low = encodeJpeg(original, 10), high = encodeJpeg(original, 95);
    EXPECT_LT(low.size(), high.size());
    EXPECT_GT(meanDifference(original, decodeJpeg(low)), meanDifference(original, decodeJpeg(high)));
    // Out-of-range qualities are held to 1..100 rather than refused.
    EXPECT_NO_THROW(decodeJpeg(encodeJpeg(original, 0)));
    EXPECT_NO_THROW(decodeJpeg(encodeJpeg(original, 1000)));
}

TEST(Imaging, AdobeCmykJpegReadsAsRgb)
{
    // Left half white (no ink), right half red (full magenta and yellow); stored inverted.
    const QByteArray file = writeCmykJpeg(32, 16, [](int x, int) -> std::array<JSAMPLE, 4> {
        if (x < 16)
            return {255, 255, 255, 255};
        return {255, 0, 0, 255};
    });
    const QImage image = decodeJpeg(file);
    ASSERT_EQ(image.size(), QSize(32, 16));
    const QColor white = image.pixelColor(4, 8), red = image.pixelColor(28, 8);
    EXPECT_GT(white.red(), 240);
    EXPECT_GT(white.green(), 240);
    EXPECT_GT(white.blue(), 240);
    EXPECT_GT(red.red(), 240);
    EXPECT_LT(red.green(), 15);
    EXPECT_LT(red.blue(), 15);
}

TEST(Imaging, GifRoundTripIsExactUpTo256Colours)
{
    for (int n : {1, 2, 3, 17, 255, 256}) {
        SCOPED_TRACE(n);
        const QImage original = colours(n);
        const QImage back = decodeGif(encodeGif(original));
        EXPECT_EQ(maxDifference(original, back), 0);
        EXPECT_FALSE(back.hasAlphaChannel());
    }
}

TEST(Imaging, GifKeepsTransparency)
{
    QImage original(10, 6, QImage::Format_ARGB32);
    original.fill(Qt::transparent);
    for (int x = 0; x < 10; ++x)
        original.setPixel(x, 2, qRgba(x * 20, 10, 200, 255));
    const QImage back = decodeGif(encodeGif(original));
    ASSERT_TRUE(back.hasAlphaChannel());
    EXPECT_EQ(maxDifference(original.convertToFormat(QImage::Format_ARGB32), back), 0);
}

TEST(Imaging, GifWithManyColoursIsReducedAlike)
{
    const QImage original = colours(1000, 50, 40);
    const QByteArray first = encodeGif(original);
    EXPECT_EQ(first, encodeGif(original));  // the same picture gives the same file
    const QImage back = decodeGif(first);
    ASSERT_EQ(back.size(), original.size());
    EXPECT_LE(maxDifference(original, back), 26);  // half a step of the colour cube
}

TEST(Imaging, GifDecodesItsFirstFrame)
{
    const std::vector<GifColorType> map = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

    // Interlaced, with only a local colour table.
    const QByteArray interlaced = writeGif(5, 11, {}, {GifFrame{0, 0, 5, 11, true, map, NO_TRANSPARENT_COLOR,
                                                                [](int x, int y) { return (x + y) % 4; }}});
    QImage image = decodeGif(interlaced);
    ASSERT_EQ(image.size(), QSize(5, 11));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 5; ++x) {
            const GifColorType c = map[size_t((x + y) % 4)];
            ASSERT_EQ(image.pixel(x, y), qRgb(c.Red, c.Green, c.Blue)) << x << "," << y;
        }

    // A 2x2 frame at (1,1) on a 4x4 screen, index 0 see-through, then a second frame to ignore:
    // the picture is the frame alone.
    const QByteArray framed = writeGif(4, 4, map,
        {GifFrame{1, 1, 2, 2, false, {}, 0, [](int x, int) { return x == 0 ? 0 : 3; }},
         GifFrame{0, 0, 4, 4, false, {}, NO_TRANSPARENT_COLOR, [](int, int) { return 2; }}});
    image = decodeGif(framed);
    ASSERT_EQ(image.size(), QSize(2, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(image.pixel(x, y), x == 1 ? qRgb(0, 0, 255) : qRgba(0, 0, 0, 0)) << x << "," << y;
}

TEST(Imaging, BmpRoundTripIsExact)
{
    const QImage rgb = gradient();
    EXPECT_EQ(maxDifference(rgb, decodeBmp(encodeBmp(rgb))), 0);
    const QImage indexed = colours(16).convertToFormat(QImage::Format_Indexed8);
    EXPECT_EQ(maxDifference(indexed, decodeBmp(encodeBmp(indexed))), 0);
}

TEST(Imaging, TransparencyIsWrittenOnWhiteWhereTheFormatHasNone)
{
    QImage clear(8, 8, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    clear.setPixel(0, 0, qRgba(0, 0, 0, 255));
    const QImage bmp = decodeBmp(encodeBmp(clear));
    EXPECT_EQ(bmp.pixel(7, 7), qRgb(255, 255, 255));
    EXPECT_EQ(bmp.pixel(0, 0), qRgb(0, 0, 0));
    const QImage jpeg = decodeJpeg(encodeJpeg(clear));
    EXPECT_GT(qGray(jpeg.pixel(7, 7)), 240);
}

TEST(Imaging, DispatchByFormat)
{
    const QImage picture = colours(5);
    for (Format f : {Format::Bitmap, Format::Jpeg, Format::Gif}) {
        SCOPED_TRACE(int(f));
        const QByteArray file = encode(picture, f);
        Format found = Format::None;
        EXPECT_EQ(decodeAny(file, found).size(), picture.size());
        EXPECT_EQ(found, f);
        EXPECT_EQ(decode(file, f).size(), picture.size());
    }
    EXPECT_THROW(encode(picture, Format::None), ImageError);
    EXPECT_THROW(decode(encodeBmp(picture), Format::None), ImageError);

    Format found = Format::Jpeg;
    EXPECT_TRUE(decodeAny(randomBytes(300, 5), found).isNull());
    EXPECT_EQ(found, Format::None);
}

TEST(Imaging, NothingToEncode)
{
    EXPECT_THROW(encodeJpeg(QImage()), ImageError);
    EXPECT_THROW(encodeGif(QImage()), ImageError);
    EXPECT_THROW(encodeBmp(QImage()), ImageError);
}

// ---------------------------------------------------------------------------------------------
// Bad input: an ImageError, never a crash or an exit

TEST(Imaging, BadInputGivesAnError)
{
    const std::vector<Codec> all = codecs();
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        gradient().save(&buffer, "PNG");
    }
    for (const Codec& codec : all) {
        SCOPED_TRACE(codec.name);
        ASSERT_NO_THROW(codec.decode(codec.sample));
        const qsizetype n = codec.sample.size();
        struct Case { std::string what; QByteArray data; };
        std::vector<Case> cases = {
            {"empty", QByteArray()},
            {"random", randomBytes(500, 1)},
            {"one byte", codec.sample.left(1)},
            {"PNG", png},
        };
        for (qsizetype cut : {qsizetype(2), qsizetype(8), qsizetype(30), n / 3, n / 2, n - 10, n - 2})
            cases.push_back({"cut at " + std::to_string(cut), codec.sample.left(cut)});
        for (const Codec& other : all)
            if (other.name != codec.name)
                cases.push_back({std::string("a ") + other.name + " file", other.sample});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            try {
                codec.decode(c.data);
                ADD_FAILURE() << "decoded";
            } catch (const ImageError& e) {
                EXPECT_STRNE(e.what(), "");
            }
        }
    }
}

TEST(Imaging, ErrorsCarryTheLibrariesMessages)
{
    const std::vector<Codec> all = codecs();
    auto message = [](const Decoder& decode, const QByteArray& data) -> std::string {
        try {
            decode(data);
        } catch (const ImageError& e) {
            return e.what();
        }
        return "decoded";
    };
    const QByteArray jpeg = all[0].sample, gif = all[1].sample;
    EXPECT_NE(message(decodeJpeg, gif).find("Not a JPEG file"), std::string::npos);
    EXPECT_NE(message(decodeJpeg, jpeg.left(jpeg.size() / 2)).find("Premature end of JPEG file"), std::string::npos);
    EXPECT_NE(message(decodeGif, jpeg).find("not in GIF format"), std::string::npos);
    EXPECT_NE(message(decodeGif, gif.chopped(2)).find("Failed to read"), std::string::npos);
}

// Damage after a valid header may decode to noise or fail; it must do one of the two.
TEST(Imaging, DamagedFilesNeverCrash)
{
    for (const Codec& codec : codecs()) {
        SCOPED_TRACE(codec.name);
        const QByteArray& sample = codec.sample;
        for (unsigned seed = 1; seed <= 40; ++seed) {
            QByteArray damaged = sample;
            std::mt19937 rng(seed);
            for (int i = 0; i < 8; ++i)
                damaged[qsizetype(rng() % damaged.size())] = char(rng() & 0xff);
            QByteArray tail = sample.left(16) + randomBytes(400, seed);
            for (const QByteArray& data : {damaged, tail}) {
                try {
                    const QImage image = codec.decode(data);
                    EXPECT_FALSE(image.isNull());
                } catch (const ImageError&) {
                }
            }
        }
    }
}

TEST(Imaging, GifWithoutItsTrailerStillReads)
{
    // Only the closing ';' missing: the first picture is whole.
    const QByteArray gif = encodeGif(colours(4));
    ASSERT_TRUE(gif.endsWith(';'));
    EXPECT_EQ(maxDifference(decodeGif(gif.chopped(1)), colours(4)), 0);
}

TEST(Imaging, HugeDeclaredSizeIsRefusedBeforeAllocating)
{
    // A JPEG whose frame header claims 60000 x 60000.
    QByteArray jpeg = encodeJpeg(gradient(16, 16));
    const qsizetype sof = jpeg.indexOf("\xff\xc0");
    ASSERT_GT(sof, 0);
    jpeg[sof + 5] = char(0xea); jpeg[sof + 6] = char(0x60);  // height
    jpeg[sof + 7] = char(0xea); jpeg[sof + 8] = char(0x60);  // width
    EXPECT_THROW(decodeJpeg(jpeg), ImageError);

    // A GIF whose logical screen is 65535 x 65535 around a one-pixel frame costs one pixel.
    const QByteArray gif = writeGif(65535, 65535, {{0, 0, 0}, {255, 255, 255}},
                                    {GifFrame{0, 0, 1, 1, false, {}, NO_TRANSPARENT_COLOR, [](int, int) { return 1; }}});
    EXPECT_EQ(decodeGif(gif).size(), QSize(1, 1));

    // 35 bytes declaring an 11585 x 11585 frame: over 100 megapixels, refused before the pixels.
    QByteArray tiny("GIF89a\x41\x2d\x41\x2d\x80\x00\x00" "\x00\x00\x00\xff\xff\xff"
                    "\x2c\x00\x00\x00\x00\x41\x2d\x41\x2d\x00" "\x02\x02\x44\x01\x00\x3b", 35);
    ASSERT_EQ(tiny.size(), 35);
    EXPECT_THROW(decodeGif(tiny), ImageError);
    Format format = Format::Jpeg;
    EXPECT_TRUE(decodeAny(tiny, format).isNull());
    EXPECT_EQ(format, Format::None);

    // Bitmap headers whose width times height times bits passes 64 bits.
    for (const quint32 side : {0x7fffffffu, 0x80000000u, 0x10000u}) {
        QByteArray bmp = encodeBmp(gradient(2, 2));
        for (int i = 0; i < 4; ++i) {
            bmp[18 + i] = char(side >> (8 * i));
            bmp[22 + i] = char(side >> (8 * i));
        }
        bmp[28] = char(0xff);  // 65535 bits per pixel
        bmp[29] = char(0xff);
        EXPECT_THROW(decodeBmp(bmp), ImageError) << side;
    }
}

// The picture popup on SQLite and PostgreSQL: loading JPEG, GIF and BMP files into a record,
// marking a picture null, saving it to a file, and what reaches the blob column.
#include "tests/workspace/tablepage/editing/EditFixture.h"

#include "platform/imaging/Imaging.h"
#include "workspace/tablepage/BlobPictures.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace imaging = platform::imaging;

namespace {

QImage noise(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator gen(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, gen.generate() | 0xff000000u);
    return img;
}

QImage flat(int w, int h, QColor colour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class Pictures : public EditFixture {
protected:
    void SetUp() override
    {
        EditFixture::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(true);
        folder = dir.path() + QStringLiteral("/my.photos");
        QDir().mkpath(folder);
    }

    void makeTable()
    {
        recreate(QStringLiteral("qvedit_pics"),
                 QStringLiteral("id ") + serialType() + QStringLiteral(", label varchar(10), pic ") + blobType());
        exec({QStringLiteral("INSERT INTO qvedit_pics (label) VALUES ('one')"),
              QStringLiteral("INSERT INTO qvedit_pics (label) VALUES ('two')")});
        build(QStringLiteral("qvedit_pics"));
        state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2")};
        show(0);
    }

    // The popup opened on the picture control, then one of its items.
    void popup(QAction* item)
    {
        ui.PopupMenu_Images->setProperty("PopupComponent", QVariant::fromValue<QObject*>(image("pic")));
        PopupMenu_ImagesPopup(*env);
        if (item == ui.MenuItem_LoadImage)
            MenuItem_LoadImageClick(*env, item);
        else if (item == ui.MenuItem_SetNull)
            MenuItem_SetNullClick(*env, item);
        else if (item == ui.MenuItem_SaveImageToFile)
            MenuItem_SaveImageToFileClick(*env, item);
    }
    void load(const QString& file)
    {
        fileAnswer = file;
        popup(ui.MenuItem_LoadImage);
    }
    QByteArray stored(int id) { return bytes(QStringLiteral("SELECT pic FROM qvedit_pics WHERE id = %1").arg(id)); }

    QTemporaryDir dir;
    QString folder;
};

TEST_P(Pictures, LoadStoreAndShowAgain)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    const QString jpeg = folder + QStringLiteral("/big.jpg"), gif = folder + QStringLiteral("/small.GIF"),
                  bmp = folder + QStringLiteral("/plain.bmp");
    const QByteArray jpegBytes = imaging::encodeJpeg(noise(1400, 1000));
    ASSERT_GT(jpegBytes.size(), 1000 * 1000);
    writeFile(jpeg, jpegBytes);
    writeFile(gif, imaging::encodeGif(flat(30, 20, Qt::red)));
    writeFile(bmp, imaging::encodeBmp(flat(17, 9, Qt::green)));
    makeTable();

    // While browsing only saving is offered, and nothing is saved from an empty control.
    popup(nullptr);
    EXPECT_FALSE(ui.MenuItem_LoadImage->isEnabled());
    EXPECT_FALSE(ui.MenuItem_SetNull->isEnabled());
    EXPECT_FALSE(ui.MenuItem_SaveImageToFile->isEnabled());

    update();
    load(jpeg);
    EXPECT_EQ(int(image("pic")->ImageFormat), 2);
    EXPECT_EQ(image("pic")->size(), QSize(1400, 1000));
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(imaging::decodeJpeg(stored(1)).size(), QSize(1400, 1000));
    EXPECT_TRUE(stored(2).isEmpty());

    update();
    load(gif);  // from a folder with a dot in its name
    execute();
    EXPECT_EQ(imaging::decodeGif(stored(1)).size(), QSize(30, 20));

    // Away and back: shown again from the column, in the format it was stored in.
    go(ui.BitBtn_Next);
    EXPECT_FALSE(image("pic")->hasPicture());
    go(ui.BitBtn_Previous);
    EXPECT_EQ(int(image("pic")->ImageFormat), 3);
    EXPECT_EQ(image("pic")->picture().toImage().pixelColor(3, 3), QColor(Qt::red));

    // Another column changed: the picture goes back byte for byte.
    const QByteArray before = stored(1);
    update();
    type("label", "renamed");
    execute();
    EXPECT_EQ(stored(1), before);

    update();
    load(bmp);
    execute();
    EXPECT_TRUE(stored(1).startsWith("BM"));
    EXPECT_EQ(imaging::decodeBmp(stored(1)).size(), QSize(17, 9));

    // Saving: the suffix of the chosen file decides the format.
    const QString out = dir.path() + QStringLiteral("/out.jpg");
    fileAnswer = out;
    popup(ui.MenuItem_SaveImageToFile);
    QFile saved(out);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(imaging::decodeJpeg(saved.readAll()).size(), QSize(17, 9));

    // Set Image Null stores NULL whatever the format.
    update();
    popup(ui.MenuItem_SetNull);
    EXPECT_EQ(image("pic")->Hint, QStringLiteral("null"));
    execute();
    EXPECT_TRUE(stored(1).isEmpty());
    EXPECT_EQ(rows("SELECT count(*) FROM qvedit_pics WHERE pic IS NULL"), QStringList{"2"});
    EXPECT_EQ(image("pic")->Hint, QStringLiteral("null"));
}

TEST_P(Pictures, WrongFilesAndEmptiedPictures)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    const QString gif = dir.path() + QStringLiteral("/a.gif"), broken = dir.path() + QStringLiteral("/broken.jpeg"),
                  tif = dir.path() + QStringLiteral("/photo.tif");
    writeFile(gif, imaging::encodeGif(flat(10, 10, Qt::blue)));
    writeFile(broken, QByteArray("no picture at all"));
    writeFile(tif, QByteArray("II*"));
    makeTable();
    update();
    load(gif);
    execute();
    const QByteArray first = stored(1);
    ASSERT_FALSE(first.isEmpty());

    // Saving where no file can be made is told, as is a suffix of no picture format.
    fileAnswer = dir.path() + QStringLiteral("/no such folder/a.gif");
    popup(ui.MenuItem_SaveImageToFile);
    ASSERT_EQ(messages.size(), 1);
    fileAnswer = dir.path() + QStringLiteral("/a.png");
    popup(ui.MenuItem_SaveImageToFile);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_FALSE(QFile::exists(fileAnswer));
    messages.clear();

    // An unknown suffix is told; an unreadable picture leaves the control as it was.
    update();
    load(tif);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("photo.tif")));
    load(broken);
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(int(image("pic")->ImageFormat), 3);
    EXPECT_EQ(image("pic")->size(), QSize(10, 10));
    // Cancelled dialog: nothing.
    load(QString());
    EXPECT_EQ(messages.size(), 2);
    BitBtn_CancelClick(*env, ui.BitBtn_Cancel);

    // A new record after one with a picture: its picture column stays NULL.
    messages.clear();
    add();
    EXPECT_EQ(int(image("pic")->ImageFormat), 0);
    type("label", "three");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_EQ(state.RecordKeys.size(), 3);
    EXPECT_TRUE(stored(state.RecordKeys.last().toInt()).isEmpty());
    EXPECT_EQ(stored(1), first);

    // A picture UPDATE that fails is reported to its caller.
    EXPECT_FALSE(SaveImageField(db.databaseName(), 3, flat(2, 2, Qt::red), QStringLiteral("pic"),
                                QStringLiteral("qvedit_no_such_table"), QStringLiteral("id"), QStringLiteral("1"),
                                false));
    EXPECT_EQ(messages.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, Pictures, ::testing::Values(Db::Sqlite, Db::Postgres), DbName);

} // namespace

#include "demo/DemoMaker.h"

#include "platform/imaging/Imaging.h"
#include "platform/odbc/Odbc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace demo {

namespace odbc = platform::odbc;
namespace imaging = platform::imaging;

namespace {

std::u16string u16(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}

// A desk lamp against an evening sky (smooth shading: kept exactly by BMP).
QImage drawLamp()
{
    QImage img(160, 120, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, QColor(30, 40, 90));
    sky.setColorAt(1, QColor(240, 150, 90));
    p.fillRect(img.rect(), sky);
    p.fillRect(QRect(0, 100, 160, 20), QColor(90, 60, 40));  // the desk
    QPainterPath cone;
    cone.moveTo(92, 42);
    cone.lineTo(70, 100);
    cone.lineTo(140, 100);
    cone.lineTo(110, 42);
    p.fillPath(cone, QColor(255, 240, 170, 110));
    p.setPen(QPen(QColor(40, 40, 40), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(40, 98, 62, 58);  // lower arm
    p.drawLine(62, 58, 96, 36);  // upper arm
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRect(24, 94, 34, 10));  // base
    QPolygon shade({QPoint(86, 26), QPoint(112, 30), QPoint(118, 48), QPoint(84, 44)});
    p.setBrush(QColor(200, 40, 40));
    p.drawPolygon(shade);
    return img;
}

// A shelf of books in flat colours (few colours: exact in a GIF palette).
QImage drawShelf()
{
    QImage img(160, 120, QImage::Format_RGB32);
    img.fill(QColor(235, 228, 210));
    QPainter p(&img);
    const QColor wood(150, 100, 50);
    p.fillRect(QRect(10, 56, 140, 8), wood);
    p.fillRect(QRect(10, 106, 140, 8), wood);
    const QColor spines[] = {QColor(160, 30, 40), QColor(30, 80, 150), QColor(40, 120, 60), QColor(210, 170, 40),
                             QColor(90, 50, 120)};
    int x = 16;
    for (int i = 0; i < 9; ++i) {
        const int w = 9 + (i * 5) % 7, h = 30 + (i * 7) % 15;
        p.fillRect(QRect(x, 56 - h, w, h), spines[i % 5]);
        p.fillRect(QRect(x + 20, 106 - h + 4, w, h - 4), spines[(i + 2) % 5]);
        x += w + 3;
    }
    p.fillRect(QRect(120, 84, 22, 22), QColor(60, 60, 60));  // a box on the lower shelf
    return img;
}

// A wooden table in soft light (photo-like: JPEG's kind of picture).
QImage drawTable()
{
    QImage img(200, 150, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient light(100, 40, 160);
    light.setColorAt(0, QColor(250, 245, 235));
    light.setColorAt(1, QColor(120, 110, 100));
    p.fillRect(img.rect(), light);
    QLinearGradient oak(0, 60, 0, 95);
    oak.setColorAt(0, QColor(190, 140, 80));
    oak.setColorAt(1, QColor(120, 75, 35));
    QPolygon top({QPoint(40, 60), QPoint(160, 60), QPoint(185, 90), QPoint(15, 90)});
    p.setPen(Qt::NoPen);
    p.setBrush(oak);
    p.drawPolygon(top);
    p.setBrush(QColor(100, 60, 30));
    p.drawRect(QRect(15, 90, 170, 8));
    for (int x : {22, 170})
        p.drawRect(QRect(x, 98, 8, 45));
    for (int x : {48, 146})
        p.drawRect(QRect(x, 92, 6, 35));
    return img;
}

QByteArray encoded(const Picture& picture)
{
    if (picture.format == QLatin1String("BMP"))
        return imaging::encodeBmp(picture.image);
    if (picture.format == QLatin1String("GIF"))
        return imaging::encodeGif(picture.image);
    return imaging::encodeJpeg(picture.image);
}

void removeDatabase(const QString& file)
{
    // A journal left beside a new file would be rolled back into it.
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(file + QLatin1String(suffix));
}

QString firstLine(const QString& statement)
{
    const QString line = statement.section(QLatin1Char('\n'), 0, 0).simplified();
    return line.size() > 70 ? line.left(67) + QStringLiteral("...") : line;
}

} // namespace

QStringList splitStatements(const QString& sql)
{
    QStringList out;
    QString current;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A doubled quote inside is the quote itself: leaving and re-entering gives the same text.
            const qsizetype end = sql.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            current += sql.mid(i, stop - i);
            i = stop - 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            current += QLatin1Char('\n');
            i = end < 0 ? n : end;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            current += QLatin1Char(' ');
            i = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                out << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

QList<Picture> demoPictures()
{
    return {{QStringLiteral("LMP-100"), QStringLiteral("BMP"), drawLamp()},
            {QStringLiteral("SHF-040"), QStringLiteral("GIF"), drawShelf()},
            {QStringLiteral("TBL-900"), QStringLiteral("JPEG"), drawTable()}};
}

void makeDemo(const QString& sqlFile, const QString& databaseFile, const QString& driver)
{
    QFile in(sqlFile);
    if (!in.open(QIODevice::ReadOnly))
        throw DemoError("cannot read " + sqlFile.toStdString() + ": " + in.errorString().toStdString());
    const QStringList statements = splitStatements(QString::fromUtf8(in.readAll()));
    if (statements.isEmpty())
        throw DemoError(sqlFile.toStdString() + " holds no SQL statement");

    const QString target = QFileInfo(databaseFile).absoluteFilePath();
    for (QChar c : {QLatin1Char(';'), QLatin1Char('{'), QLatin1Char('}')})
        if (target.contains(c))
            throw DemoError("the database path may not contain ; { or }: " + target.toStdString());
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw DemoError("cannot create the folder of " + target.toStdString());

    // Made under a new name and renamed at the end: a failed run leaves the last good demo as it was.
    const QString work = target + QStringLiteral(".new");
    removeDatabase(work);
    try {
        odbc::Connection db;
        try {
            db.driverConnect(u16(QStringLiteral("DRIVER=%1;Database=%2").arg(driver, work)));
        } catch (const odbc::Error& e) {
            throw DemoError("cannot open " + work.toStdString() + " through the ODBC driver " + driver.toStdString() +
                            ": " + e.what());
        }
        for (qsizetype i = 0; i < statements.size(); ++i) {
            try {
                odbc::Statement st(db);
                st.execDirect(u16(statements[i]));
            } catch (const odbc::Error& e) {
                throw DemoError(QStringLiteral("%1: statement %2 (%3) failed: ")
                                    .arg(sqlFile)
                                    .arg(i + 1)
                                    .arg(firstLine(statements[i]))
                                    .toStdString() +
                                e.what());
            }
        }
        for (const Picture& picture : demoPictures()) {
            const QByteArray bytes = encoded(picture);
            odbc::Statement st(db);
            try {
                st.prepare(u"UPDATE products SET picture_format = ?, picture = ? WHERE sku = ?");
                st.bindText(1, u16(picture.format));
                st.bindLongBinary(2, bytes.toStdString());
                st.bindText(3, u16(picture.sku));
                if (!st.execute() || st.rowCount() != 1)
                    throw DemoError(QStringLiteral("no product %1 in %2 to hold the %3 picture")
                                        .arg(picture.sku, sqlFile, picture.format)
                                        .toStdString());
            } catch (const odbc::Error& e) {
                throw DemoError("storing the " + picture.format.toStdString() + " picture failed: " + e.what());
            }
        }
        db.disconnect();
    } catch (...) {
        removeDatabase(work);
        throw;
    }
    removeDatabase(target);
    if (!QFile::rename(work, target)) {
        removeDatabase(work);
        throw DemoError("cannot rename the new demo database to " + target.toStdString());
    }
}

} // namespace demo

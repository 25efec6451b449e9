#pragma once
// Makes the demo database: runs the demo SQL statement by statement through the SQLite ODBC
// driver, then stores three pictures drawn here (BMP, GIF, JPEG) in products.picture.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace demo {

class DemoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Splits SQL text into statements at ";" outside '...' literals, "..." names and -- or /* */
// comments. Comments are dropped; blank statements are left out.
QStringList splitStatements(const QString& sql);

struct Picture {
    QString sku;     // the product row that holds it
    QString format;  // "BMP", "GIF" or "JPEG"
    QImage image;
};
// The three demo pictures, one per format.
QList<Picture> demoPictures();

// Recreates databaseFile from scratch with the statements of sqlFile, through the ODBC driver named
// driver (an odbcinst.ini name). On failure throws DemoError naming the statement, and leaves no
// half-made file behind.
void makeDemo(const QString& sqlFile, const QString& databaseFile, const QString& driver = QStringLiteral("SQLite3"));

} // namespace demo

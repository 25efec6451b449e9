#include "workspace/tablepage/BlobPictures.h"

#include "platform/engine/Engine.h"
#include "platform/imaging/Imaging.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/ShownValues.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSaveFile>
#include <QScrollArea>

namespace imaging = platform::imaging;

namespace {

const QString kPictureFilter = QStringLiteral("All Image Files|*.jpg;*.jpeg;*.bmp;*.gif|Bitmap File|*.bmp|Graphics Interchange File (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg;*.jpeg");

// The picture control the popup was opened on, when Sender is one of the popup's items.
TBVImage* popupImage(TablePageEnv& env, QObject* Sender)
{
    if (!qobject_cast<QAction*>(Sender))
        return nullptr;
    return qobject_cast<TBVImage*>(env.ui.PopupMenu_Images->property("PopupComponent").value<QObject*>());
}

void showError(QWidget* parent, const QString& text)
{
    platform::modal::messageBox(parent, QMessageBox::Critical, QApplication::applicationName(), text,
                                QMessageBox::Ok);
}

void tellUnknownType(QWidget* parent, const QString& fileName)
{
    platform::modal::messageBox(parent, QMessageBox::Warning, QApplication::applicationName(),
                                QStringLiteral("\"") + QFileInfo(fileName).fileName()
                                    + QStringLiteral("\" is not a picture file Quorvel knows.\n"
                                                     "Choose a .bmp, .gif, .jpg or .jpeg file."),
                                QMessageBox::Ok);
}

// Each picture pushes the controls made after it down by its height, from their built places.
void relayoutPictures(TablePageEnv& env)
{
    ResetImagePositions(env.state, env.ui);
    for (QWidget* w : PageControls(env.ui)) {
        if (auto* image = qobject_cast<TBVImage*>(w)) {
            MoveControlsBelow(env.ui, image);
            FitImageFrame(env.ui, image);
        }
    }
}

} // namespace

quint8 PictureFileType(const QString& FileName)
{
    const QString suffix = QFileInfo(FileName).suffix().trimmed().toUpper();
    if (suffix == QLatin1String("JPG") || suffix == QLatin1String("JPEG"))
        return TBVImage::Jpeg;
    if (suffix == QLatin1String("GIF"))
        return TBVImage::Gif;
    if (suffix == QLatin1String("BMP"))
        return TBVImage::Bitmap;
    return TBVImage::None;
}

QString ImageColumnName(const TBVImage* Image)
{
    if (!Image)
        return {};
    const QString name = Image->objectName();
    const qsizetype at = name.indexOf(QLatin1Char('_'));
    return at < 0 ? QString() : name.mid(at + 1);
}

bool HasImageControls(Ui::TForm_Main& ui)
{
    for (QWidget* w : PageControls(ui))
        if (qobject_cast<TBVImage*>(w))
            return true;
    return false;
}

void PopupMenu_ImagesPopup(TablePageEnv& env)
{
    Ui::TForm_Main& ui = env.ui;
    const bool editing = env.state.InAddMode || env.state.InUpdateMode;
    ui.MenuItem_LoadImage->setEnabled(editing);
    ui.MenuItem_SetNull->setEnabled(editing);
    // Nothing to save from a picture marked null or from an empty control.
    auto* image = qobject_cast<TBVImage*>(ui.PopupMenu_Images->property("PopupComponent").value<QObject*>());
    ui.MenuItem_SaveImageToFile->setEnabled(!image || (!IsNullMarker(image->Hint) && image->hasPicture()));
}

void MenuItem_LoadImageClick(TablePageEnv& env, QObject* Sender)
{
    const QString file = platform::modal::openFileName(env.window, QStringLiteral("Open"), QString(), kPictureFilter);
    if (file.isEmpty())
        return;
    TBVImage* image = popupImage(env, Sender);
    if (!image)
        return;
    const quint8 type = PictureFileType(file);
    if (type == TBVImage::None) {
        tellUnknownType(env.window, file);
        return;
    }
    // A file that cannot be read leaves the control as it was.
    QImage picture;
    try {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            throw imaging::ImageError(("Cannot open file \"" + file + "\". " + in.errorString()).toStdString());
        picture = imaging::decode(in.readAll(), static_cast<imaging::Format>(type));
    } catch (const std::exception& error) {
        showError(env.window, QString::fromUtf8(error.what()));
        return;
    }
    image->setAutoSize(true);
    image->setPicture(QPixmap::fromImage(picture));
    image->Hint.clear();
    SetNullMarker(env.ui, image, false);
    image->ImageFormat = type;
    MarkPictureChanged(image);
    relayoutPictures(env);
}

void MenuItem_SetNullClick(TablePageEnv& env, QObject* Sender)
{
    TBVImage* image = popupImage(env, Sender);
    if (!image)
        return;
    image->setPicture(QPixmap());
    image->resize(21, 21);
    image->Hint = QStringLiteral("null");
    SetNullMarker(env.ui, image, true);
    MarkPictureChanged(image);
    relayoutPictures(env);
}

void MenuItem_SaveImageToFileClick(TablePageEnv& env, QObject* Sender)
{
    TBVImage* image = popupImage(env, Sender);
    if (!image || IsNullMarker(image->Hint) || !image->hasPicture())
        return;
    const QString file = platform::modal::saveFileName(env.window, QStringLiteral("Save As"), QString(), kPictureFilter);
    if (file.isEmpty())
        return;
    // The file's suffix alone decides the format, whatever the picture came from.
    const quint8 type = PictureFileType(file);
    if (type == TBVImage::None) {
        tellUnknownType(env.window, file);
        return;
    }
    try {
        const QByteArray bytes = imaging::encode(image->picture().toImage(), static_cast<imaging::Format>(type));
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
            throw imaging::ImageError(("Cannot create file \"" + file + "\". " + out.errorString()).toStdString());
    } catch (const std::exception& error) {
        showError(env.window, QString::fromUtf8(error.what()));
    }
}

QStringList ImageUpdateStatementLines(const QString& FieldName, const QString& TableName, const QString& KeyField,
                                      const QString& KeyValue, bool SetNull)
{
    return {QStringLiteral("UPDATE ") + QuoteTableName(TableName) + QStringLiteral(" SET ") + FieldName
                + (SetNull ? QStringLiteral(" = null") : QStringLiteral(" = :IMAGE")),
            KeyField.isEmpty() ? KeyValue : QStringLiteral("WHERE ") + KeyField + QStringLiteral(" = ") + KeyValue};
}

// The stored form of a picture: the bytes it was read as, else the picture encoded as Format.
static QByteArray PictureBytes(quint8 Format, const QImage& Graphic, const QByteArray& Encoded)
{
    return Encoded.isEmpty() ? imaging::encode(Graphic, static_cast<imaging::Format>(Format)) : Encoded;
}

bool PictureWritesNull(const TBVImage* Image)
{
    return Image && (Image->Hint == QLatin1String("null") || !Image->hasPicture());
}

void BindPicture(platform::engine::Param& Param, const TBVImage* Image)
{
    if (PictureWritesNull(Image))
        Param.clear();
    else
        // A picture shown from the column and left alone goes back as the very bytes it came as.
        Param.setBlob(PictureBytes(Image->ImageFormat, Image->picture().toImage(), Image->StoredImage));
}

QString StoreImageField(const QString& DatabaseName, quint8 Format, const QImage& Graphic, const QString& FieldName,
                        const QString& TableName, const QString& KeyField, const QString& KeyValue, bool SetNull,
                        const QByteArray& Encoded)
{
    if (!SetNull && Format == TBVImage::None)
        return {};
    // An emptied picture is stored as NULL, never as some earlier picture.
    const bool writeNull = SetNull || Graphic.isNull();
    platform::engine::Query query;
    query.setDatabaseName(DatabaseName);
    try {
        query.sql() << ImageUpdateStatementLines(FieldName, TableName, KeyField, KeyValue, writeNull);
        if (!writeNull)
            query.paramByName(QStringLiteral("IMAGE")).setBlob(PictureBytes(Format, Graphic, Encoded));
        query.execSQL();
        return {};
    } catch (const std::exception& error) {
        const QString message = QString::fromUtf8(error.what());
        return message.isEmpty() ? QStringLiteral("The picture was not stored.") : message;
    }
}

bool SaveImageField(const QString& DatabaseName, quint8 Format, const QImage& Graphic, const QString& FieldName,
                    const QString& TableName, const QString& KeyField, const QString& KeyValue, bool SetNull,
                    const QByteArray& Encoded)
{
    const QString failure =
        StoreImageField(DatabaseName, Format, Graphic, FieldName, TableName, KeyField, KeyValue, SetNull, Encoded);
    if (!failure.isEmpty())
        platform::modal::messageBox(QApplication::activeWindow(), QMessageBox::NoIcon,
                                    QApplication::applicationName(), failure, QMessageBox::Ok);
    return failure.isEmpty();
}

QList<TBVImage*> PicturesToStore(const QList<QWidget*>& Controls, bool ChangedOnly)
{
    QList<TBVImage*> pictures;
    for (QWidget* w : Controls) {
        auto* image = qobject_cast<TBVImage*>(w);
        if (ImageColumnName(image).isEmpty())
            continue;
        // Format 0 without a null mark writes nothing.
        if (image->ImageFormat == TBVImage::None && image->Hint != QLatin1String("null"))
            continue;
        if (!ChangedOnly || ChangedByUser(image))
            pictures << image;
    }
    return pictures;
}

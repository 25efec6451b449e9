#pragma once
// Pictures in blob columns: the picture controls' popup commands (load a picture file, mark the
// picture null, save it to a file) and storing a picture in its column.
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QObject;
class QWidget;
class TBVImage;
struct TablePageEnv;
namespace Ui { class TForm_Main; }
namespace platform::engine { class Param; }

// The popup's commands act on the picture control the popup was opened on.
void PopupMenu_ImagesPopup(TablePageEnv& env);
void MenuItem_LoadImageClick(TablePageEnv& env, QObject* Sender);
void MenuItem_SetNullClick(TablePageEnv& env, QObject* Sender);
void MenuItem_SaveImageToFileClick(TablePageEnv& env, QObject* Sender);

// The picture format a file name stands for, by its own suffix: 1 bitmap, 2 JPEG, 3 GIF, 0 none.
quint8 PictureFileType(const QString& FileName);
// The column of a picture control: its name after the first "_"; empty when there is none.
QString ImageColumnName(const TBVImage* Image);
bool HasImageControls(Ui::TForm_Main& ui);

// The statement that writes one picture column. KeyField and KeyValue go in as given; an empty
// KeyField means KeyValue is a whole "WHERE ..." clause.
QStringList ImageUpdateStatementLines(const QString& FieldName, const QString& TableName, const QString& KeyField,
                                      const QString& KeyValue, bool SetNull);
// Writes Graphic encoded as Format (1 bitmap, 2 JPEG, 3 GIF) into one picture column, or NULL
// when SetNull is on or the picture was emptied; Format 0 writes nothing. Runs on the connection
// of DatabaseName (in the record's transaction when one is open). Gives the database's message
// when the statement fails, empty when stored. FieldName comes quoted where it needs it;
// TableName bare. Encoded, when given, is the picture already in its stored form and is written
// as it is.
QString StoreImageField(const QString& DatabaseName, quint8 Format, const QImage& Graphic, const QString& FieldName,
                        const QString& TableName, const QString& KeyField, const QString& KeyValue, bool SetNull,
                        const QByteArray& Encoded = {});
// StoreImageField that shows its failure in the standard message box; false when not stored.
bool SaveImageField(const QString& DatabaseName, quint8 Format, const QImage& Graphic, const QString& FieldName,
                    const QString& TableName, const QString& KeyField, const QString& KeyValue, bool SetNull,
                    const QByteArray& Encoded = {});
// The picture controls among the page's Controls a record write stores: those with a picture
// format or a null mark, with ChangedOnly only those the user loaded or set null.
QList<TBVImage*> PicturesToStore(const QList<QWidget*>& Controls, bool ChangedOnly);
// What a record statement writes for Image: NULL for a picture marked null or emptied, else its
// bytes (those it was read as while unchanged, else the picture encoded in its ImageFormat).
bool PictureWritesNull(const TBVImage* Image);
// Param := that value, as long binary. Throws the codec's error when the picture cannot be encoded.
void BindPicture(platform::engine::Param& Param, const TBVImage* Image);

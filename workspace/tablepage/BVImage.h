#pragma once
// The picture control of a blob column on the Table page. The picture is always held as a bitmap;
// ImageFormat remembers what it is to be encoded back to.
#include <QByteArray>
#include <QLabel>
#include <QPixmap>
#include <QString>

class TBVImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(int ImageFormat READ imageFormatCode WRITE setImageFormatCode)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool Center READ center WRITE setCenter)
    Q_PROPERTY(QString Hint MEMBER Hint)
public:
    enum Format : quint8 { None = 0, Bitmap = 1, Jpeg = 2, Gif = 3 };

    explicit TBVImage(QWidget* parent = nullptr);

    quint8 ImageFormat = None;
    QString Hint;  // the null marker: "null" when the field is NULL or marked null
    // The column's bytes as read, while the control shows them unchanged; any new picture
    // empties it.
    QByteArray StoredImage;

    // Takes the picture's size when AutoSize is on.
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    bool center() const { return center_; }
    void setCenter(bool on);

    QPixmap picture() const { return picture_; }
    void setPicture(const QPixmap& picture);  // an empty pixmap empties the control
    bool hasPicture() const { return !picture_.isNull(); }

    int imageFormatCode() const { return ImageFormat; }
    void setImageFormatCode(int code) { ImageFormat = static_cast<quint8>(code); }

private:
    QPixmap picture_;
    bool autoSize_ = false;
    bool center_ = false;
};

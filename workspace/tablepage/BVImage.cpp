#include "workspace/tablepage/BVImage.h"

TBVImage::TBVImage(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TBVImage::setAutoSize(bool on)
{
    autoSize_ = on;
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
}

void TBVImage::setCenter(bool on)
{
    center_ = on;
    setAlignment(on ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignTop));
}

void TBVImage::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    StoredImage.clear();
    if (picture_.isNull())
        clear();
    else
        setPixmap(picture_);
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
}

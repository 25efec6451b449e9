#pragma once
// The least a painted change costs on this display: a small widget of the shown window filled
// anew and painted through the event loop, as every painted command ends. No painted command can
// cost less, so it bounds what a ratio against a loop that paints nothing can reach.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QWidget>

namespace bench {

class PaintFloor : public QWidget {
public:
    explicit PaintFloor(QWidget* window) : QWidget(window)
    {
        setGeometry(0, 0, 4, 4);
        setAttribute(Qt::WA_OpaquePaintEvent);
        show();
        QApplication::processEvents();
    }

    // One change painted, `times` times; seconds in all.
    double run(int times)
    {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < times; ++i) {
            update();
            QApplication::processEvents();
        }
        return double(t.nsecsElapsed()) / 1e9;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), (++paints_ & 1) ? Qt::white : Qt::black);
    }

private:
    int paints_ = 0;
};

} // namespace bench

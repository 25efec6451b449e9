#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Quorvel"));
    w.show();
    return app.exec();
}

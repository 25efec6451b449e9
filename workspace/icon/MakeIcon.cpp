// Writes the program picture as the icon the installation gives the desktop:
//   quorvel-make-icon OUTPUT.png SIZE
#include "workspace/WindowPictures.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: quorvel-make-icon OUTPUT.png SIZE\n");
        return 2;
    }
    // Built during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int size = std::atoi(argv[2]);
    const QImage icon = applicationPicture().toImage().scaled(size, size, Qt::KeepAspectRatio,
                                                              Qt::SmoothTransformation);
    if (!icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "quorvel-make-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

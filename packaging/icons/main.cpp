// Writes the program's mark as the hicolor theme's PNG icons: FOLDER/NxN/apps/NAME.png for
// each size N given, painted by the code that paints the program's own icon.

#include "skin/Icons.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: nimbra-icons FOLDER NAME SIZE...\n");
        return 2;
    }
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool isNumber = false;
        const int size = args[i].toInt(&isNumber);
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        if (!isNumber || size <= 0 || !QDir().mkpath(folder) ||
            !skin::programPixmap(size).save(folder + "/" + args[2] + ".png", "PNG")) {
            std::fprintf(stderr, "nimbra-icons: cannot write the %s px icon into %s\n", qPrintable(args[i]),
                         qPrintable(folder));
            return 1;
        }
    }
    return 0;
}

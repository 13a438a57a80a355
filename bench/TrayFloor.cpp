// The floor of bench/nimbra: the least a Qt tray program does. One QApplication, one
// QSystemTrayIcon shown, then one line in the activity log's format ("[ HH:MM:SS:mmm
// YYYY/MM/DD ] text", local time, CR LF) in FILE, and the event loop until it is ended
// by a signal. Its start, its idle CPU and its memory are measured exactly as Nimbra's.
//
//   bench_tray_floor FILE

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <cstdio>
#include <ctime>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_tray_floor FILE\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap image(16, 16);
    image.fill(Qt::darkCyan);
    QSystemTrayIcon tray{QIcon(image)};
    tray.show();

    timespec instant{};
    clock_gettime(CLOCK_REALTIME, &instant);
    tm civil{};
    localtime_r(&instant.tv_sec, &civil);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(file, "[ %02d:%02d:%02d:%03ld %04d/%02d/%02d ] Tray icon shown\r\n", civil.tm_hour,
                 civil.tm_min, civil.tm_sec, instant.tv_nsec / 1000000, civil.tm_year + 1900,
                 civil.tm_mon + 1, civil.tm_mday);
    std::fclose(file);
    return QApplication::exec();
}

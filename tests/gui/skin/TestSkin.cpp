#include "skin/Icons.h"
#include "skin/Skin.h"
#include "skin/SkinTitleBar.h"
#include "tests/support/BoundedChild.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

QString defaultSkin()
{
    return qEnvironmentVariable("NIMBRA_APP_DIR") + QStringLiteral("/default.skn");
}

// The average colour of a picture's opaque pixels.
QColor averageColour(const QImage& image)
{
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200) {
                r += c.red();
                g += c.green();
                b += c.blue();
                ++n;
            }
        }
    }
    return n == 0 ? QColor() : QColor(int(r / n), int(g / n), int(b / n));
}

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skin::initResources(); }

    void loadSkinAppliesReadableFilesOnly()
    {
        QWidget form;
        form.setStyleSheet(QStringLiteral("QWidget { color: green; }"));
        QVERIFY(!skin::loadSkin(&form, QStringLiteral("/nonexistent/none.skn")));
        QVERIFY(!skin::loadSkin(&form, QString()));
        QCOMPARE(form.styleSheet(), QStringLiteral("QWidget { color: green; }"));

        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("a.skn")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("QLabel { color: red; }");
        file.close();
        QVERIFY(skin::loadSkin(&form, file.fileName()));
        QCOMPARE(form.styleSheet(), QStringLiteral("QLabel { color: red; }"));
    }

    // A skin setting naming a device, a pipe, a folder or a giant file is no skin: the
    // start-up must neither wait for a writer nor read without end. Each attempt runs in
    // a child held to 10 s and 256 MiB, so a regression fails instead of eating the machine.
    void readSkinTakesOnlyASmallRegularFile()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("pipe.skn"));
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        for (const QString& path : {QStringLiteral("/dev/zero"), pipe, dir.path()}) {
            const auto refused =
                runBounded([&] { return skin::readSkin(path) ? 1 : 0; }, 256 << 20, std::chrono::seconds(10));
            QVERIFY2(refused == 0, qPrintable(path));
        }

        QFile big(dir.filePath(QStringLiteral("big.skn")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(skin::kMaxSkinFileSize));
        big.close();
        QVERIFY(skin::readSkin(big.fileName()));
        QVERIFY(big.resize(skin::kMaxSkinFileSize + 1));
        QVERIFY(!skin::readSkin(big.fileName()));
    }

    void defaultSkinParsesAndStylesTheTitleBar()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("parse|stylesheet"),
                                                QRegularExpression::CaseInsensitiveOption));
        QWidget form;
        form.resize(200, 100);
        auto* bar = new SkinTitleBar(&form);
        bar->setGeometry(0, 0, 200, 30);
        auto* button = new QPushButton(QStringLiteral("OK"), &form);
        button->move(100, 50);
        QVERIFY(skin::loadSkin(&form, defaultSkin()));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const auto* caption = bar->findChild<QLabel*>(QStringLiteral("suiCaption"));
        QVERIFY(caption->font().bold());
        QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(button->font().families(),
                 (QStringList{QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
                              QStringLiteral("sans-serif")}));
        QCOMPARE(button->font().pointSize(), 8);
        // The bar is drawn darker than the window below it.
        const QImage shot = form.grab().toImage();
        QVERIFY(shot.pixelColor(2, 15).lightness() + 60 < shot.pixelColor(2, 60).lightness());
    }

    void msgDlgStripHoldsFourPicturesInOrder()
    {
        const QPixmap strip = skin::msgDlgStrip();
        QCOMPARE(strip.size(), QSize(168, 42));
        QVERIFY(skin::msgDlgPicture(-1).isNull());
        QVERIFY(skin::msgDlgPicture(4).isNull());
        // Warning yellow, stop red, information blue, question green.
        const auto hueOf = [](int i) { return averageColour(skin::msgDlgPicture(i).toImage()).hue(); };
        QVERIFY(hueOf(0) >= 35 && hueOf(0) <= 60);
        QVERIFY(hueOf(1) <= 15 || hueOf(1) >= 345);
        QVERIFY(hueOf(2) >= 195 && hueOf(2) <= 230);
        QVERIFY(hueOf(3) >= 100 && hueOf(3) <= 150);
    }

    void busyFramesDifferFromEachOther()
    {
        const QList<QIcon> busy = skin::busyFrames();
        QVERIFY(busy.size() >= 4 && busy.size() <= 8);
        for (qsizetype i = 1; i < busy.size(); ++i)
            QVERIFY(busy[i - 1].pixmap(22).toImage() != busy[i].pixmap(22).toImage());
    }
};

QTEST_MAIN(TestSkin)
#include "TestSkin.moc"

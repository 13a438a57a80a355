#include "skin/Icons.h"

#include <QPainter>
#include <QPainterPath>

// Q_INIT_RESOURCE declares the registration function in the scope it is used in, so it
// must run outside the skin namespace.
static void registerSkinResources()
{
    Q_INIT_RESOURCE(skin);
}

namespace skin {

namespace {

constexpr int kIconSizes[] = {16, 22, 32, 48, 64};
constexpr int kBusyFrameCount = 8;

struct MarkColours
{
    QColor top;
    QColor bottom;
    QColor rim;
    QColor dot;
    // Struck through: told apart from the others by its shape, not by colour alone.
    bool struck = false;
};

const MarkColours kProgramColours{QColor(0x5d, 0x83, 0xa8), QColor(0x34, 0x52, 0x70),
                                  QColor(0x22, 0x37, 0x4d), Qt::white};
const MarkColours kHidingOnColours{QColor(0x5c, 0xc2, 0x7e), QColor(0x23, 0x8a, 0x4a),
                                   QColor(0x16, 0x5e, 0x31), Qt::white};
const MarkColours kHidingOffColours{QColor(0xc4, 0xca, 0xd0), QColor(0x9a, 0xa3, 0xac),
                                    QColor(0x4a, 0x52, 0x5a), QColor(0xc0, 0x2f, 0x25), true};

// The shield's outline in a unit square: flat shoulders curving down to a point.
QPainterPath shieldPath(qreal size)
{
    QPainterPath path;
    path.moveTo(0.50, 0.04);
    path.cubicTo(0.63, 0.12, 0.76, 0.15, 0.90, 0.16);
    path.cubicTo(0.91, 0.55, 0.76, 0.81, 0.50, 0.96);
    path.cubicTo(0.24, 0.81, 0.09, 0.55, 0.10, 0.16);
    path.cubicTo(0.24, 0.15, 0.37, 0.12, 0.50, 0.04);
    return QTransform::fromScale(size, size).map(path);
}

// Paints the mark at one size; `arcAngle` >= 0 adds the busy arc starting at that angle.
QPixmap paintMark(int size, const MarkColours& colours, int arcAngle = -1)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient fill(0, 0, 0, s);
    fill.setColorAt(0, colours.top);
    fill.setColorAt(1, colours.bottom);
    painter.setPen(QPen(colours.rim, qMax(1.0, s / 20)));
    painter.setBrush(fill);
    painter.drawPath(shieldPath(s));

    const QPointF centre(0.5 * s, 0.46 * s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.dot);
    const qreal dotRadius = (arcAngle < 0 ? 0.14 : 0.10) * s;
    if (!colours.struck) {
        painter.drawEllipse(centre, dotRadius, dotRadius);
    }
    if (arcAngle >= 0) {
        const qreal r = 0.23 * s;
        painter.setPen(QPen(colours.dot, qMax(1.5, 0.075 * s), Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), -arcAngle * 16, 120 * 16);
    }
    if (colours.struck) {
        // A bar across the shield, light-edged so it reads on the shield and off it.
        const QLineF bar(0.14 * s, 0.14 * s, 0.86 * s, 0.86 * s);
        const qreal width = qMax(2.0, 0.13 * s);
        painter.setPen(QPen(Qt::white, width + qMax(1.0, 0.06 * s), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(bar);
        painter.setPen(QPen(colours.dot, width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(bar);
    }
    return pixmap;
}

QIcon markIcon(const MarkColours& colours, int arcAngle = -1)
{
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(paintMark(size, colours, arcAngle));
    return icon;
}

} // namespace

void initResources()
{
    static const bool registered = (registerSkinResources(), true);
    Q_UNUSED(registered);
}

QIcon programIcon()
{
    return markIcon(kProgramColours);
}

QPixmap programPixmap(int size)
{
    return paintMark(size, kProgramColours);
}

QList<QIcon> statusIcons()
{
    return {markIcon(kHidingOnColours), markIcon(kHidingOffColours)};
}

QList<QIcon> busyFrames()
{
    QList<QIcon> frames;
    for (int i = 0; i < kBusyFrameCount; ++i)
        frames.append(markIcon(kProgramColours, i * 360 / kBusyFrameCount));
    return frames;
}

QPixmap msgDlgStrip()
{
    initResources();
    return QPixmap(QStringLiteral(":/MSGDLG"));
}

QPixmap msgDlgPicture(int index)
{
    if (index < 0 || index >= kMsgDlgPictureCount)
        return {};
    return msgDlgStrip().copy(index * kMsgDlgPictureSize, 0, kMsgDlgPictureSize, kMsgDlgPictureSize);
}

} // namespace skin

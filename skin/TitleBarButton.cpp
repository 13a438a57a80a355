#include "skin/TitleBarButton.h"

#include <QPainter>

namespace {

struct ButtonText
{
    const char* objectName;
    const char* name;
};

ButtonText textOf(SkinTitleBar::Button kind)
{
    switch (kind) {
    case SkinTitleBar::WindowMenuButton:
        return {"suiWindowMenu", QT_TRANSLATE_NOOP("TitleBarButton", "Menu")};
    case SkinTitleBar::HelpButton:
        return {"suiHelp", QT_TRANSLATE_NOOP("TitleBarButton", "Help")};
    case SkinTitleBar::MinimizeButton:
        return {"suiMinimize", QT_TRANSLATE_NOOP("TitleBarButton", "Minimize")};
    case SkinTitleBar::CloseButton:
    case SkinTitleBar::NoButton:
        break;
    }
    return {"suiClose", QT_TRANSLATE_NOOP("TitleBarButton", "Close")};
}

} // namespace

TitleBarButton::TitleBarButton(SkinTitleBar::Button kind, QWidget* parent) : QToolButton(parent), m_kind(kind)
{
    const ButtonText text = textOf(kind);
    setObjectName(QLatin1String(text.objectName));
    setAccessibleName(tr(text.name));
    setToolTip(tr(text.name));
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(24, 22);
}

void TitleBarButton::paintEvent(QPaintEvent* event)
{
    QToolButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(foregroundRole()), 1.6, Qt::SolidLine, Qt::RoundCap));
    // The glyphs are laid out in a 10 x 10 box at the button's centre.
    const QPointF c = QRectF(rect()).center();
    const qreal h = 5;
    switch (m_kind) {
    case SkinTitleBar::WindowMenuButton:
        for (qreal y : {-3.5, 0.0, 3.5})
            painter.drawLine(QPointF(c.x() - h, c.y() + y), QPointF(c.x() + h, c.y() + y));
        break;
    case SkinTitleBar::HelpButton: {
        QFont glyphFont = font();
        glyphFont.setBold(true);
        glyphFont.setPixelSize(13);
        painter.setFont(glyphFont);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case SkinTitleBar::MinimizeButton:
        painter.drawLine(QPointF(c.x() - h, c.y() + 4), QPointF(c.x() + h, c.y() + 4));
        break;
    case SkinTitleBar::CloseButton:
    case SkinTitleBar::NoButton:
        painter.drawLine(QPointF(c.x() - 4, c.y() - 4), QPointF(c.x() + 4, c.y() + 4));
        painter.drawLine(QPointF(c.x() + 4, c.y() - 4), QPointF(c.x() - 4, c.y() + 4));
        break;
    }
}

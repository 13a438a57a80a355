#include "skin/LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    applyColour();
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    applyColour();
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event)
{
    m_hovered = false;
    applyColour();
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::applyColour()
{
    // The colours are fixed, not the skin's: a link must read as a link on any skin.
    setStyleSheet(m_hovered ? QStringLiteral("color: red; text-decoration: underline;")
                            : QStringLiteral("color: blue; text-decoration: underline;"));
}

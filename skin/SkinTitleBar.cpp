#include "skin/SkinTitleBar.h"

#include "skin/Skin.h"
#include "skin/TitleBarButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

namespace {

constexpr int kIconSize = 16;
constexpr SkinTitleBar::Button kButtonOrder[] = {SkinTitleBar::WindowMenuButton, SkinTitleBar::HelpButton,
                                                 SkinTitleBar::MinimizeButton, SkinTitleBar::CloseButton};

} // namespace

SkinTitleBar::SkinTitleBar(QWidget* parent) : QWidget(parent)
{
    // Without this a plain QWidget subclass ignores the skin's background.
    setAttribute(Qt::WA_StyledBackground);
    setFixedHeight(skin::kTitleBarHeight);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 4, 0);
    layout->setSpacing(6);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("suiIcon"));
    m_icon->setFixedSize(kIconSize, kIconSize);
    layout->addWidget(m_icon);

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("suiCaption"));
    // A long caption is cut rather than widening the window.
    m_caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont captionFont = m_caption->font();
    captionFont.setBold(true);
    m_caption->setFont(captionFont);
    layout->addWidget(m_caption, 1);

    const auto signalOf = [this](Button kind) {
        switch (kind) {
        case WindowMenuButton:
            return &SkinTitleBar::windowMenuClicked;
        case HelpButton:
            return &SkinTitleBar::helpClicked;
        case MinimizeButton:
            return &SkinTitleBar::minimizeClicked;
        case CloseButton:
        case NoButton:
            break;
        }
        return &SkinTitleBar::closeClicked;
    };
    for (Button kind : kButtonOrder) {
        auto* button = new TitleBarButton(kind, this);
        button->hide();
        connect(button, &QToolButton::clicked, this, signalOf(kind));
        layout->addWidget(button);
    }
    refreshIcon();
}

void SkinTitleBar::setCaption(const QString& caption)
{
    m_caption->setText(caption);
}

QString SkinTitleBar::caption() const
{
    return m_caption->text();
}

void SkinTitleBar::setButtons(Buttons buttons)
{
    m_buttons = buttons;
    for (auto* button : findChildren<TitleBarButton*>(Qt::FindDirectChildrenOnly))
        button->setVisible(m_buttons.testFlag(button->kind()));
}

SkinTitleBar::Buttons SkinTitleBar::buttons() const
{
    return m_buttons;
}

QToolButton* SkinTitleBar::button(Button which) const
{
    if (which == NoButton || !m_buttons.testFlag(which))
        return nullptr;
    for (auto* button : findChildren<TitleBarButton*>(Qt::FindDirectChildrenOnly)) {
        if (button->kind() == which)
            return button;
    }
    return nullptr;
}

bool SkinTitleBar::event(QEvent* event)
{
    // The form's icon (or the application's, which it falls back to) may be set after the
    // bar was built, as it is for a promoted widget of a designed form.
    if (event->type() == QEvent::WindowIconChange || event->type() == QEvent::Show)
        refreshIcon();
    return QWidget::event(event);
}

void SkinTitleBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The window manager moves the window where it can (Wayland allows nothing else);
    // elsewhere the bar moves it itself while the button is held.
    QWindow* handle = window()->windowHandle();
    m_dragging = handle == nullptr || !handle->startSystemMove();
    m_dragOffset = event->globalPosition().toPoint() - window()->pos();
    event->accept();
}

void SkinTitleBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    window()->move(event->globalPosition().toPoint() - m_dragOffset);
    event->accept();
}

void SkinTitleBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void SkinTitleBar::refreshIcon()
{
    m_icon->setPixmap(window()->windowIcon().pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
}

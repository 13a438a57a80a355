#pragma once

#include <QFlags>
#include <QWidget>

class QLabel;
class QToolButton;

// The skinned frame of a form: frameless windows draw this bar at their top. It shows the
// program icon, the caption and the buttons the form asks for; dragging it moves the window.
class SkinTitleBar : public QWidget
{
    Q_OBJECT
public:
    enum Button {
        NoButton = 0,
        WindowMenuButton = 1,
        HelpButton = 2,
        MinimizeButton = 4,
        CloseButton = 8,
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    explicit SkinTitleBar(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const;
    void setButtons(Buttons buttons);
    Buttons buttons() const;
    // The tool button of one kind, or nullptr when the bar does not show it (for tests).
    QToolButton* button(Button which) const;

signals:
    void windowMenuClicked(); // the window-menu button; the form opens its menu under it
    void helpClicked();
    void minimizeClicked();
    void closeClicked();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refreshIcon();

    QLabel* m_icon = nullptr;
    QLabel* m_caption = nullptr;
    Buttons m_buttons;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SkinTitleBar::Buttons)

#pragma once

#include <QLabel>
#include <QString>

// A link: its text drawn blue and underlined, red while the mouse is over it, with the
// hand cursor. It carries its address apart from its text and reports a click.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

    void setUrl(const QString& url) { m_url = url; }
    QString url() const { return m_url; }
    bool isHovered() const { return m_hovered; }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyColour();

    QString m_url;
    bool m_hovered = false;
};

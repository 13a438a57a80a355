#pragma once

#include "skin/SkinTitleBar.h"

#include <QToolButton>

// One button of the title bar. Its glyph is drawn in the button's text colour, so a skin
// that changes the bar's colours keeps the glyphs readable without pictures of its own.
class TitleBarButton : public QToolButton
{
    Q_OBJECT
public:
    TitleBarButton(SkinTitleBar::Button kind, QWidget* parent);

    SkinTitleBar::Button kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SkinTitleBar::Button m_kind;
};

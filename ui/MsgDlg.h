#pragma once

#include "ui/SkinMsgBox.h"

#include <QDialog>
#include <QList>
#include <cstdint>

class QLabel;
class QPushButton;
class SkinTitleBar;

// The message form: a frameless, skinned window with the icon of its kind, the message
// word-wrapped beside it and one to three buttons. exec() returns the pressed button's
// result (a MsgResult), or Cancel's when the form is closed in any other way. Escape presses Cancel and does
// nothing where there is none. Ctrl+C copies the whole message as text, whatever has the
// focus.
class TfrmMsg : public QDialog
{
    Q_OBJECT
public:
    TfrmMsg(const QString& caption, const QString& text, MsgKind kind, std::uint16_t buttons,
            const QString& skinFile, QWidget* parent = nullptr);

    SkinTitleBar* titleBar() const { return m_titleBar; }
    QLabel* label() const { return m_label; }
    QLabel* image() const { return m_image; }
    // In the order they were created: the rightmost first.
    QList<QPushButton*> buttons() const { return m_buttons; }
    // The button Escape presses (Cancel), or nullptr.
    QPushButton* escapeButton() const { return m_escapeButton; }
    QString copyText() const;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addBorder();

    SkinTitleBar* m_titleBar;
    QLabel* m_image;
    QLabel* m_label;
    QList<QPushButton*> m_buttons;
    QPushButton* m_escapeButton = nullptr;
};

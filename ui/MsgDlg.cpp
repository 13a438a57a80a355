#include "ui/MsgDlg.h"

#include "core/MsgDlgButtons.h"
#include "core/MsgDlgCopyText.h"
#include "core/MsgDlgLayout.h"
#include "skin/Icons.h"
#include "skin/Skin.h"
#include "skin/SkinTitleBar.h"
#include "ui/CentreOnScreen.h"
#ifdef _WIN32
#include "platform/windows/ButtonCaptions.h"
#endif

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <iterator>

namespace {

// The platform theme's texts, accelerators included, for the first seven bits.
constexpr QDialogButtonBox::StandardButton kStandardButtons[] = {
    QDialogButtonBox::Yes,   QDialogButtonBox::No,    QDialogButtonBox::Ok,     QDialogButtonBox::Cancel,
    QDialogButtonBox::Abort, QDialogButtonBox::Retry, QDialogButtonBox::Ignore,
};

QString buttonCaption(int bit)
{
    if (bit < static_cast<int>(std::size(kStandardButtons))) {
#ifdef _WIN32
        // The system's own texts in the user's language, as its message boxes show them.
        static const auto captions = platform::messageBoxButtonCaptions();
        // Bits Yes, No, OK, Cancel, Abort, Retry, Ignore; the captions come in the order
        // OK, Cancel, Abort, Retry, Ignore, Yes, No.
        constexpr std::size_t kCaptionOfBit[] = {5, 6, 0, 1, 2, 3, 4};
        return QString::fromLocal8Bit(captions[kCaptionOfBit[bit]]);
#else
        QDialogButtonBox box;
        return box.addButton(kStandardButtons[bit])->text();
#endif
    }
    switch (bit) {
    case 7:
        return TfrmMsg::tr("All");
    case 8:
        return TfrmMsg::tr("No to All");
    default:
        return TfrmMsg::tr("Yes to All");
    }
}

QRect toQRect(const MsgDlgRect& r)
{
    return {r.left, r.top, r.width, r.height};
}

} // namespace

TfrmMsg::TfrmMsg(const QString& caption, const QString& text, MsgKind kind, std::uint16_t buttons,
                 const QString& skinFile, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_titleBar(new SkinTitleBar(this)),
      m_image(new QLabel(this)), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("frmMsg"));
    setWindowTitle(caption);
    // The box has no parent to take an icon from; its title bar shows the program's mark.
    setWindowIcon(skin::programIcon());
    setModal(true);
    m_titleBar->setObjectName(QStringLiteral("suiMsg"));
    m_titleBar->setCaption(caption);
    m_titleBar->setButtons(SkinTitleBar::NoButton);

    // The picture strip holds one picture for each kind up to None, in the kinds' order.
    const QPixmap picture = skin::msgDlgPicture(static_cast<int>(kind));
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setPixmap(picture);

    m_label->setObjectName(QStringLiteral("lbl"));
    // Messages quote host names and paths such as "<none>"; they must never turn into markup.
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setFixedWidth(kMsgDlgLabelWidth);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setText(text);

    // Created right to left, so the buttons read left to right in set order.
    const std::vector<MsgDlgButton> set = msgDlgButtons(buttons);
    for (auto it = set.rbegin(); it != set.rend(); ++it) {
        auto* button = new QPushButton(buttonCaption(it->bit), this);
        button->setObjectName(QStringLiteral("btnResult%1").arg(static_cast<int>(it->result)));
        // Only OK is the default button; the others answer Enter while they have the focus
        // (see eventFilter), as the user expects of the button that shows the focus.
        button->setAutoDefault(false);
        button->setDefault(it->result == MsgResult::Ok);
        button->setFocusPolicy(Qt::StrongFocus);
        if (it->result == MsgResult::Cancel)
            m_escapeButton = button;
        connect(button, &QPushButton::clicked, this,
                [this, result = it->result] { done(static_cast<int>(result)); });
        button->installEventFilter(this);
        m_buttons.append(button);
    }
    for (qsizetype i = m_buttons.size() - 1; i > 0; --i)
        setTabOrder(m_buttons[i], m_buttons[i - 1]);
    installEventFilter(this);

    skin::loadSkin(this, skinFile);
    // The skin's font decides how the message wraps, so measure only once it is applied.
    ensurePolished();
    const MsgDlgLayout layout = computeMsgDlgLayout(m_label->heightForWidth(kMsgDlgLabelWidth),
                                                    !picture.isNull(), static_cast<int>(m_buttons.size()));
    m_titleBar->setGeometry(0, 0, layout.width, skin::kTitleBarHeight);
    m_image->setGeometry(QRect(QPoint(layout.icon.left, layout.icon.top), picture.size()));
    m_image->setVisible(layout.showIcon);
    m_label->setGeometry(toQRect(layout.label));
    for (qsizetype i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setGeometry(toQRect(layout.buttons[static_cast<std::size_t>(i)]));
    setFixedSize(layout.width, layout.height);
    addBorder();

    // On the screen of the window the user is working in, where the box is looked for.
    centreOnScreen(*this, QApplication::activeWindow() != nullptr ? QApplication::activeWindow()->screen()
                                                                  : QGuiApplication::primaryScreen());
    m_buttons.last()->setFocus();
}

void TfrmMsg::addBorder()
{
    // A frameless window has no edge of its own: over a window of the same light colour it
    // would not stand out. The frame lies below every other child; the skin may restyle it.
    auto* border = new QFrame(this);
    border->setObjectName(QStringLiteral("frmBorder"));
    border->setFrameStyle(QFrame::Box | QFrame::Plain);
    border->setGeometry(rect());
    border->lower();
}

QString TfrmMsg::copyText() const
{
    std::vector<std::string> captions;
    for (const QPushButton* button : m_buttons)
        captions.push_back(button->text().toStdString());
    return QString::fromStdString(
        msgDlgCopyText(m_titleBar->caption().toStdString(), m_label->text().toStdString(), captions));
}

void TfrmMsg::reject()
{
    // Closing the window answers as the Cancel button would, and with Cancel's result
    // where there is none.
    if (m_escapeButton != nullptr)
        m_escapeButton->click();
    else
        done(static_cast<int>(MsgResult::Cancel));
}

bool TfrmMsg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_C && key->modifiers().testFlag(Qt::ControlModifier)) {
        QGuiApplication::clipboard()->setText(copyText());
        return true;
    }
    // Escape belongs to the Cancel button alone: a box that asks Yes or No, or only
    // informs, is not dismissed by a stray key.
    if (key->key() == Qt::Key_Escape) {
        if (m_escapeButton != nullptr)
            m_escapeButton->click();
        return true;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_buttons.contains(button)) {
        button->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

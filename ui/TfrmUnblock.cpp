#include "ui/TfrmUnblock.h"

#include "core/UnblockMessage.h"
#include "skin/Icons.h"
#include "skin/Skin.h"
#include "ui/CentreOnScreen.h"
#include "ui/HandlerGuard.h"
#include "ui_frmUnblock.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>

namespace {

// The warning picture of the message box strip.
constexpr int kWarningPicture = 0;

} // namespace

TfrmUnblock::TfrmUnblock(UnblockReason reason, const std::string& applicationFolder, const QString& skinFile,
                         std::function<void()> help, std::function<void()> reconnect, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::TfrmUnblock>()),
      m_help(std::move(help)), m_reconnect(std::move(reconnect))
{
    m_ui->setupUi(this);
    setWindowIcon(skin::programIcon());
    m_ui->suiUnblock->setCaption(windowTitle());
    // The picture keeps its own size: shrunk to the frame it would blur.
    const QPixmap picture = skin::msgDlgPicture(kWarningPicture);
    m_ui->Image1->setPixmap(picture);
    m_ui->Image1->resize(picture.size());

    const UnblockMessage message = unblockMessage(reason);
    m_ui->lblMsg->setText(QString::fromLocal8Bit(message.text));
    m_ui->btnReconnect->setEnabled(message.reconnectEnabled);
    const UnblockPaths paths = unblockPaths(applicationFolder);
    m_ui->edtNimbraPath->setText(QString::fromLocal8Bit(paths.nimbra));
    m_ui->edtWardenPath->setText(QString::fromLocal8Bit(paths.warden));

    connect(m_ui->btnCopyNimbra, &QPushButton::clicked, this, &TfrmUnblock::btnCopyNimbraClick);
    connect(m_ui->btnCopyWarden, &QPushButton::clicked, this, &TfrmUnblock::btnCopyWardenClick);
    connect(m_ui->suiButton1, &QPushButton::clicked, this, &TfrmUnblock::suiButton1Click);
    connect(m_ui->btnReconnect, &QPushButton::clicked, this, &TfrmUnblock::btnReconnectClick);
    connect(m_ui->btnOK, &QPushButton::clicked, this, &TfrmUnblock::suitempbtnOKClick);

    skin::loadSkin(this, skinFile);
    // The skin's font decides how the advice wraps: the label takes as many lines as that
    // needs, which the form's font leaves room for above the paths.
    ensurePolished();
    QLabel* label = m_ui->lblMsg;
    label->resize(label->width(), std::max(label->height(), label->heightForWidth(label->width())));
    centreOnScreen(*this);
}

TfrmUnblock::~TfrmUnblock() = default;

void TfrmUnblock::copyPath(const QLineEdit* path)
{
    QGuiApplication::clipboard()->setText(path->text());
}

void TfrmUnblock::btnCopyNimbraClick()
{
    copyPath(m_ui->edtNimbraPath);
}

void TfrmUnblock::btnCopyWardenClick()
{
    copyPath(m_ui->edtWardenPath);
}

void TfrmUnblock::suiButton1Click()
{
    guarded(m_help);
}

void TfrmUnblock::btnReconnectClick()
{
    // The dialog is done with once pressed. Until the handshake returns it stays on screen,
    // under whatever that opens, and the button is off: a second press while the handshake
    // lets events through would start another one inside it.
    m_ui->btnReconnect->setEnabled(false);
    guarded(m_reconnect);
    accept();
}

void TfrmUnblock::suitempbtnOKClick()
{
    close();
}

void showUnblock(UnblockReason reason, const std::string& applicationFolder, const QString& skinFile,
                 std::function<void()> help, std::function<void()> reconnect)
{
    TfrmUnblock form(reason, applicationFolder, skinFile, std::move(help), std::move(reconnect));
    form.exec();
}

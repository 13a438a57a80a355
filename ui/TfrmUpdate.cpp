#include "ui/TfrmUpdate.h"

#include "core/Global.h"
#include "skin/Icons.h"
#include "skin/Skin.h"
#include "ui/CentreOnScreen.h"
#include "ui/QtGuiThread.h"
#include "ui_frmUpdate.h"

#include <QMessageBox>

TfrmUpdate::TfrmUpdate(platform::Http& http, platform::Desktop& desktop, UpdateDownload::Settings settings,
                       std::function<void()> started, const QString& skinFile, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::TfrmUpdate>()),
      m_download(http, desktop, qtGuiThread(), std::move(settings))
{
    m_ui->setupUi(this);
    setWindowIcon(skin::programIcon());
    m_ui->suiUpdate->setCaption(windowTitle());
    m_download.OnProgress = [this](int total, int readed) { HTTPGetFileProgress(total, readed); };
    m_download.OnError = [this] { HTTPGetFileError(); };
    m_download.OnStarted = std::move(started);

    skin::loadSkin(this, skinFile);
    centreOnScreen(*this);
}

TfrmUpdate::~TfrmUpdate() = default;

void TfrmUpdate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once: shown again after being minimised, it must not download a second time.
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfrmUpdate::FormShow()
{
    m_download.GetFile();
}

void TfrmUpdate::HTTPGetFileProgress(int TotalSize, int Readed)
{
    m_ui->suiProgressBar1->setMaximum(TotalSize);
    m_ui->suiProgressBar1->setValue(Readed);
}

void TfrmUpdate::HTTPGetFileError()
{
    // Parented to no window, so the dialog's skin does not reach it: the system's own box.
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(global::kAppTitle),
                    QStringLiteral("Error when download new version!"), QMessageBox::Ok);
    box.exec();
    reject();
}

void showUpdate(platform::Http& http, platform::Desktop& desktop, UpdateDownload::Settings settings,
                std::function<void()> started, const QString& skinFile)
{
    TfrmUpdate form(http, desktop, std::move(settings), std::move(started), skinFile);
    form.exec();
}

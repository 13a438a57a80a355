#pragma once

#include "core/UnblockMessage.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TfrmUnblock;
}
class QLineEdit;

// The firewall advice: which programs to let through, with buttons that copy their paths.
// Help runs `help` and leaves the dialog open; Reconnect (after a failed handshake only)
// runs `reconnect`
// with the dialog still on screen and closes it once that returns, even by an error.
class TfrmUnblock : public QDialog
{
    Q_OBJECT
public:
    TfrmUnblock(UnblockReason reason, const std::string& applicationFolder, const QString& skinFile,
                std::function<void()> help, std::function<void()> reconnect, QWidget* parent = nullptr);
    ~TfrmUnblock() override;

    Ui::TfrmUnblock* form() const { return m_ui.get(); }

    void btnCopyNimbraClick();
    void btnCopyWardenClick();
    void suiButton1Click();
    void btnReconnectClick();
    void suitempbtnOKClick();

private:
    static void copyPath(const QLineEdit* path);

    std::unique_ptr<Ui::TfrmUnblock> m_ui;
    std::function<void()> m_help;
    std::function<void()> m_reconnect;
};

// Shows the dialog modally and returns once it is closed.
void showUnblock(UnblockReason reason, const std::string& applicationFolder, const QString& skinFile,
                 std::function<void()> help, std::function<void()> reconnect);

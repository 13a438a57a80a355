#pragma once

#include "platform/Host.h"
#include "service/UpdateDownload.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfrmUpdate;
}

// The update dialog: once shown it downloads, checks and starts the new version, showing
// the download's progress. The work is the UpdateDownload's; the dialog sets the bar and
// shows the error box. It has no button of its own: after an error it closes with the box,
// so whatever waits for it (the handshake's IP selection) goes on.
class TfrmUpdate : public QDialog
{
    Q_OBJECT
public:
    // `started` runs once the verified new version runs: the program is to end.
    TfrmUpdate(platform::Http& http, platform::Desktop& desktop, UpdateDownload::Settings settings,
               std::function<void()> started, const QString& skinFile, QWidget* parent = nullptr);
    ~TfrmUpdate() override;

    Ui::TfrmUpdate* form() const { return m_ui.get(); }

    void FormShow();
    void HTTPGetFileProgress(int TotalSize, int Readed);
    void HTTPGetFileError();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TfrmUpdate> m_ui;
    UpdateDownload m_download;
    bool m_shown = false;
};

// Shows the dialog modally and returns once it is closed.
void showUpdate(platform::Http& http, platform::Desktop& desktop, UpdateDownload::Settings settings,
                std::function<void()> started, const QString& skinFile);

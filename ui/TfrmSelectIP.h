#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TfrmSelectIP;
}

// The IP selection dialog: the exit addresses one per line, the one in use selected. OK or
// a double-click hands the selected line to `choose`; the dialog closes once that returns
// and stays open when it throws, the error shown by the program's error handling.
class TfrmSelectIP : public QDialog
{
    Q_OBJECT
public:
    // Opened by the service handshake the user has to pick an address: Cancel is off and
    // Escape or the window manager's close do nothing, unless the list is empty.
    TfrmSelectIP(const std::vector<std::string>& lines, std::optional<int> selected, bool openedByHandshake,
                 const QString& skinFile, std::function<void(int line)> choose, QWidget* parent = nullptr);
    ~TfrmSelectIP() override;

    Ui::TfrmSelectIP* form() const { return m_ui.get(); }

    void btnOKClick();
    void btnCancelClick();

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TfrmSelectIP> m_ui;
    std::function<void(int)> m_choose;
};

// Shows the dialog modally and returns once it is closed.
void showIPSelection(const std::vector<std::string>& lines, std::optional<int> selected,
                     bool openedByHandshake, const QString& skinFile, std::function<void(int line)> choose);

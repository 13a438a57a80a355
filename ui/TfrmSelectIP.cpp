#include "ui/TfrmSelectIP.h"

#include "skin/Skin.h"
#include "ui/CentreOnScreen.h"
#include "ui/HandlerGuard.h"
#include "ui_frmSelectIP.h"

#include <QMouseEvent>

namespace {

constexpr int kLineHeight = 16;

} // namespace

TfrmSelectIP::TfrmSelectIP(const std::vector<std::string>& lines, std::optional<int> selected,
                           bool openedByHandshake, const QString& skinFile,
                           std::function<void(int line)> choose, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::TfrmSelectIP>()),
      m_choose(std::move(choose))
{
    m_ui->setupUi(this);
    m_ui->suiSelectIP->setCaption(windowTitle());
    QListWidget* list = m_ui->lsbSelectIP;
    for (const std::string& line : lines) {
        auto* item = new QListWidgetItem(QString::fromLocal8Bit(line), list);
        item->setSizeHint(QSize(0, kLineHeight));
    }
    if (selected) {
        list->setCurrentRow(*selected);
        list->scrollToItem(list->currentItem());
    }
    m_ui->btnCancel->setEnabled(!openedByHandshake);
    // First in the tab order, OK has the focus, so Enter confirms the line shown selected.
    m_ui->btnOK->setFocus();

    connect(m_ui->btnOK, &QPushButton::clicked, this, &TfrmSelectIP::btnOKClick);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &TfrmSelectIP::btnCancelClick);
    connect(list, &QListWidget::itemDoubleClicked, this, &TfrmSelectIP::btnOKClick);
    list->viewport()->installEventFilter(this);

    skin::loadSkin(this, skinFile);
    centreOnScreen(*this);
}

TfrmSelectIP::~TfrmSelectIP() = default;

void TfrmSelectIP::btnOKClick()
{
    const QList<QListWidgetItem*> selected = m_ui->lsbSelectIP->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int line = m_ui->lsbSelectIP->row(selected.first());
    bool chosen = false;
    guarded([&] {
        m_choose(line);
        chosen = true;
    });
    if (chosen) {
        accept();
    }
}

void TfrmSelectIP::btnCancelClick()
{
    reject();
}

void TfrmSelectIP::reject()
{
    // With nothing to pick from, a dialog that cannot be cancelled would keep the user
    // forever.
    if (m_ui->btnCancel->isEnabled() || m_ui->lsbSelectIP->count() == 0) {
        QDialog::reject();
    }
}

bool TfrmSelectIP::eventFilter(QObject* watched, QEvent* event)
{
    // Below the last line a click keeps the selection (the list would clear it), so that a
    // double-click there acts on the line already selected; the list reports no double-click
    // of its own there.
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (watched == m_ui->lsbSelectIP->viewport() && (press || event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_ui->lsbSelectIP->itemAt(mouse->position().toPoint()) == nullptr) {
            if (!press) {
                btnOKClick();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void showIPSelection(const std::vector<std::string>& lines, std::optional<int> selected,
                     bool openedByHandshake, const QString& skinFile, std::function<void(int line)> choose)
{
    TfrmSelectIP form(lines, selected, openedByHandshake, skinFile, std::move(choose));
    form.exec();
}

#include "ui/SkinMsgBox.h"

#include "ui/MsgDlg.h"

#include <deque>
#include <utility>

namespace {

QString& msgBoxSkinFile()
{
    static QString file;
    return file;
}

std::deque<MsgResult>& queuedAnswers()
{
    static std::deque<MsgResult> answers;
    return answers;
}

QList<MsgBoxCall>& recordedCalls()
{
    static QList<MsgBoxCall> calls;
    return calls;
}

} // namespace

MsgResult SkinMsgBox(const QString& caption, const QString& text, MsgKind kind, std::uint16_t buttons)
{
    if (!queuedAnswers().empty()) {
        recordedCalls().append({caption, text, kind, buttons});
        const MsgResult answer = queuedAnswers().front();
        queuedAnswers().pop_front();
        return answer;
    }
    TfrmMsg form(caption, text, kind, buttons, msgBoxSkinFile());
    const int result = form.exec();
    // Ended from outside (QDialog::Rejected, as the program's close ends open dialogs), the
    // box was closed without a button: that is Cancel's answer, as for any other closing.
    return result == QDialog::Rejected ? MsgResult::Cancel : static_cast<MsgResult>(result);
}

void setMsgBoxSkinFile(const QString& skinFile)
{
    msgBoxSkinFile() = skinFile;
}

void queueMsgBoxAnswer(MsgResult result)
{
    queuedAnswers().push_back(result);
}

QList<MsgBoxCall> takeMsgBoxCalls()
{
    return std::exchange(recordedCalls(), {});
}

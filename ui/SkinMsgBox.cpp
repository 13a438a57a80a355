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

std::deque<int>& queuedAnswers()
{
    static std::deque<int> answers;
    return answers;
}

QList<MsgBoxCall>& recordedCalls()
{
    static QList<MsgBoxCall> calls;
    return calls;
}

} // namespace

int SkinMsgBox(const QString& caption, const QString& text, MsgKind kind, std::uint16_t buttons)
{
    if (!queuedAnswers().empty()) {
        recordedCalls().append({caption, text, kind, buttons});
        const int answer = queuedAnswers().front();
        queuedAnswers().pop_front();
        return answer;
    }
    TfrmMsg form(caption, text, kind, buttons, msgBoxSkinFile());
    return form.exec();
}

void setMsgBoxSkinFile(const QString& skinFile)
{
    msgBoxSkinFile() = skinFile;
}

void queueMsgBoxAnswer(int result)
{
    queuedAnswers().push_back(result);
}

QList<MsgBoxCall> takeMsgBoxCalls()
{
    return std::exchange(recordedCalls(), {});
}

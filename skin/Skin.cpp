#include "skin/Skin.h"

#include <QFile>
#include <QWidget>

namespace skin {

bool loadSkin(QWidget* form, const QString& skinFile)
{
    // An empty name is the usual "no skin yet", not worth QFile's warning.
    if (form == nullptr || skinFile.isEmpty())
        return false;
    QFile file(skinFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    form->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

} // namespace skin

#include "skin/Skin.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace skin {

std::optional<QString> readSkin(const QString& skinFile)
{
    // An empty name is the usual "no skin yet", not worth QFile's warning.
    if (skinFile.isEmpty())
        return std::nullopt;
    // Only a regular file is opened: opening a pipe would wait for a writer for ever.
    const QFileInfo info(skinFile);
    if (!info.isFile() || info.size() > kMaxSkinFileSize)
        return std::nullopt;
    QFile file(skinFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    // The file may have grown since it was looked at: one byte beyond the limit tells.
    const QByteArray content = file.read(kMaxSkinFileSize + 1);
    if (content.size() > kMaxSkinFileSize)
        return std::nullopt;
    return QString::fromUtf8(content);
}

bool loadSkin(QWidget* form, const QString& skinFile)
{
    if (form == nullptr)
        return false;
    const std::optional<QString> sheet = readSkin(skinFile);
    if (!sheet)
        return false;
    form->setStyleSheet(*sheet);
    return true;
}

} // namespace skin

#include "app/window/FormDialogs.h"

#include <QFileInfo>
#include <QStringList>

namespace vireo {

QString FormDialogs::chooseSaveName(const QString &filter, const QString &proposed,
                                    const SaveRule &rule)
{
    const SaveChoice choice = saveFileName(filter, proposed);
    if (choice.name.isEmpty())
        return {};
    // The type's pattern is "*.xls": its extension follows the full stop.
    const QStringList parts = filter.split(QLatin1Char('|'));
    const qsizetype at = 2 * qsizetype{choice.type} + 1;
    const QString pattern = at < parts.size() ? parts[at] : QString();
    const QString type = pattern.mid(pattern.lastIndexOf(QLatin1Char('.')) + 1);
    const QString name =
        QString::fromStdString(rule(choice.name.toStdString(), type.toStdString()));
    if (QFileInfo::exists(name) && !confirmReplace(name))
        return {};
    return name;
}

} // namespace vireo

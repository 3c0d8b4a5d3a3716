#include "shell/shelltexts.h"

namespace tenvix::ui {

QString TextOf(ShellText text)
{
    switch (text) {
    case ShellText::NoFrame:
        return QStringLiteral("Failed to create empty document.");
    case ShellText::ExportCaption:
        return QStringLiteral("Export analysis");
    case ShellText::Analysing:
        return QStringLiteral("Analysing the bonds...");
    }
    return {};
}

QString SaveChangesQuestion(const QString& name) { return QStringLiteral("Save changes to %1?").arg(name); }

QString TextOf(DiskText text, const QString& name)
{
    switch (text) {
    case DiskText::Reload:
        return QStringLiteral("The file %1 has been changed by another program. Reload it ?").arg(name);
    case DiskText::Overwrite:
        return QStringLiteral("The file %1 has been changed by another program. Save anyway and overwrite those "
                              "changes ?")
            .arg(name);
    case DiskText::Removed:
        return QStringLiteral("The file %1 has been removed by another program . Save writes it again .").arg(name);
    }
    return {};
}

QString RemovedCaption() { return QStringLiteral("Warning"); }

} // namespace tenvix::ui

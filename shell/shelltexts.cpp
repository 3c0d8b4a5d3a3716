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
    case ShellText::EmptyDatabase:
        return QStringLiteral("This database holds no bond yet.\n\n"
                              "File > Open example... opens a copy of the sample database that comes with the "
                              "program, to try it on.\n\n"
                              "Add on the action bar adds a bond of your own; File > Open... opens a database.");
    case ShellText::NoExample:
        return QStringLiteral("Cannot find the sample database sample.bnd where the program's examples are "
                              "installed .");
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
    case DiskText::LoseChanges:
        return QStringLiteral("Your changes to %1 will be lost . Reload ?").arg(name);
    }
    return {};
}

QString TextOf(DiskButton button)
{
    switch (button) {
    case DiskButton::Overwrite:
        return QStringLiteral("Overwrite");
    case DiskButton::Reload:
        return QStringLiteral("Reload");
    case DiskButton::Cancel:
        return QStringLiteral("Cancel");
    }
    return {};
}

QString RemovedCaption() { return QStringLiteral("Warning"); }

} // namespace tenvix::ui

#include "shell/analysisexport.h"

#include "model/analysiscsv.h"
#include "shell/shelltexts.h"
#include "uikit/fileio.h"
#include "uikit/progress.h"
#include "uikit/services.h"

#include <QDir>
#include <QFileInfo>

namespace tenvix::ui {

bool ExportAnalysis(QWidget* parent, CBondList& bonds, double stand, double horizon, bool squareM,
                    const QString& databasePath, const QString& title)
{
    FileChoice choice;
    choice.caption = TextOf(ShellText::ExportCaption);
    choice.filters = {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*.*)")};
    choice.defaultSuffix = QStringLiteral("csv");
    // Beside the database, under its name.
    const QFileInfo document(databasePath.isEmpty() ? title : databasePath);
    const QString name = document.completeBaseName() + QStringLiteral(".csv");
    choice.startPath = databasePath.isEmpty() ? name : document.dir().filePath(name);
    const QString path = ChooseExportPath(parent, choice, databasePath);
    if (path.isEmpty())
        return false;

    std::string text(kAnalysisCsvHeader);
    {
        const AnalysisCsvWriter writer(stand, horizon, squareM ? Needs::SquareM : Needs::YieldAndDuration, UiClock());
        ProgressRun run(parent, TextOf(ShellText::Analysing));
        const std::size_t total = bonds.m_list.size();
        std::size_t done = 0;
        for (const auto& bond : bonds.m_list) {
            if (bond)
                writer.AppendRow(text, *bond);
            if (!run.Step(++done, total))
                return false;
        }
    }
    const FileResult saved =
        ReplaceWholeFile(path, QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())));
    if (!saved.ok()) {
        ShowWarning(parent, FileErrorMessage(saved.cause, path, true));
        return false;
    }
    return true;
}

} // namespace tenvix::ui

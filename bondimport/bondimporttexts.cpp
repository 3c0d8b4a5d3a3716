#include "bondimport/bondimporttexts.h"

#include "model/format.h"

namespace tenvix::bondimport {

const char* TextOf(ImportText text)
{
    switch (text) {
    case ImportText::Caption:
        return "Import bonds";
    case ImportText::ChooseFile:
        return "Choose a file of bonds as tenvix-cli export writes it .";
    case ImportText::Reading:
        return "Reading the bonds ...";
    }
    return "";
}

const char* VerdictWord(BondVerdictKind kind)
{
    switch (kind) {
    case BondVerdictKind::Add:
        return "Add";
    case BondVerdictKind::Replace:
        return "Replace";
    case BondVerdictKind::Unchanged:
        return "Unchanged";
    case BondVerdictKind::Refused:
        break;
    }
    return "Refused";
}

std::string SummaryText(const BondCounts& counts)
{
    std::string text = "Rows: ";
    AppendInteger(text, static_cast<std::int64_t>(counts.rows));
    text += ". To add: ";
    AppendInteger(text, static_cast<std::int64_t>(counts.add));
    text += ". To replace: ";
    AppendInteger(text, static_cast<std::int64_t>(counts.replace));
    text += ". Unchanged: ";
    AppendInteger(text, static_cast<std::int64_t>(counts.unchanged));
    text += ". Refused: ";
    AppendInteger(text, static_cast<std::int64_t>(counts.refused));
    return text += ".";
}

std::string BondsImportedText(const BondCounts& done)
{
    std::string text;
    AppendInteger(text, static_cast<std::int64_t>(done.add));
    text += done.add == 1 ? " bond added and " : " bonds added and ";
    AppendInteger(text, static_cast<std::int64_t>(done.replace));
    return text += " replaced .";
}

} // namespace tenvix::bondimport

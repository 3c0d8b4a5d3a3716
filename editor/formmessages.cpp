#include "editor/formmessages.h"

#include "model/format.h"

#include <iterator>

namespace tenvix::editor {

FormCaption CaptionOf(int code, bool typeII)
{
    return typeII && code == FORM_PRICE_TOO_HIGH ? FormCaption::Program : FormCaption::Error;
}

std::string ResultText(const AnalysisOutcome& r, bool squareM)
{
    std::string text = "YTM=";
    AppendFixed(text, r.ytm, 8);
    text += "\nD=";
    AppendFixed(text, r.duration, 8);
    if (squareM) {
        text += "\nM2=";
        AppendFixed(text, r.m2, 8);
        text += "\n\nIH=";
        AppendFixed(text, r.horizonYears, 8);
    }
    return text;
}

const char* TextOf(FormText text)
{
    static constexpr const char* kTexts[] = {
        "Bond type changed.Save ?", // TypeChanged
        "Updates saved !",          // Saved
        "Delete ?",                 // DeleteRecord
        "Save the changes to the record ?", // LeaveChanged
    };
    static_assert(std::size(kTexts) == static_cast<std::size_t>(FormText::LeaveChanged) + 1);
    return kTexts[static_cast<std::size_t>(text)];
}

std::string DeletedText(int deleted, int total)
{
    std::string text = "Deleted ";
    AppendInteger(text, deleted);
    text += " bonds of ";
    AppendInteger(text, total);
    return text += " total .";
}

std::string PaymentsCutText(int shown, std::size_t total)
{
    std::string text = "Only ";
    AppendInteger(text, shown);
    text += " of ";
    AppendInteger(text, static_cast<std::int64_t>(total));
    return text += " payments can be shown .";
}

} // namespace tenvix::editor

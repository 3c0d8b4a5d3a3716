#pragma once

// Everything the record form says, in one place: the message of every form
// code and the caption it comes under, the result of an analysis, and the
// form's questions and notices. The form shows what these return.

#include "editor/formrules.h"
#include "model/recordmessages.h"

#include <cstddef>
#include <string>

namespace tenvix::editor {

// What the user is told for a form code: the core's table.
using tenvix::FormMessage;

// The caption a form message comes under: "Error", but a Type II record's
// price that no yield reaches has always been told under the program's name.
enum class FormCaption { Error, Program };
FormCaption CaptionOf(int code, bool typeII);

// "YTM=..\nD=.." or, with Square-M, also "M2=.." and, after an empty line, "IH=..".
std::string ResultText(const AnalysisOutcome& result, bool squareM);

enum class FormText {
    TypeChanged, // Save asks before a record changes its kind
    Saved,
    DeleteRecord, // Delete asks first
    LeaveChanged, // moving away from a record whose form was changed asks first
};
const char* TextOf(FormText text);
// What Delete Many did.
std::string DeletedText(int deleted, int total);
// A record with more payments than the grid's rows is shown: "Only 200 of
// 250 payments can be shown .", under kWarningCaption.
std::string PaymentsCutText(int shown, std::size_t total);
inline constexpr const char* kWarningCaption = "Warning";

} // namespace tenvix::editor

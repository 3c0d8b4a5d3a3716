#include "shell/frameactions.h"

#include <algorithm>

namespace tenvix::ui {
namespace {

constexpr QKeyCombination Ctrl(Qt::Key key) { return Qt::CTRL | key; }

// clang-format off
const FrameCommand kCommands[] = {
    // File. New, Open and the recent files are the application's; it connects them.
    {ID_FILE_NEW, "actionFileNew", "Ne&w\tCtrl+W", "new", "Create a new document", "New", {Ctrl(Qt::Key_W)}},
    {ID_FILE_OPEN, "actionFileOpen", "&Open...\tCtrl+O", "open", "Open an existing document", "Open",
     {Ctrl(Qt::Key_O)}},
    {ID_FILE_SAVE, "actionFileSave", "&Save\tCtrl+S", "save", "Save the active document", "Save", {Ctrl(Qt::Key_S)}},
    {ID_FILE_SAVE_AS, "actionFileSaveAs", "Save &As...", nullptr, "Save the active document with a new name",
     "Save As"},
    {ID_FILE_IMPORT_PRICES, "actionImportPrices", "&Import prices...", nullptr,
     "Update prices from a file or the clipboard", "Import prices"},
    {ID_FILE_IMPORT_BONDS, "actionImportBonds", "Import &bonds...", nullptr,
     "Add or replace bonds from a file as tenvix-cli export writes it", "Import bonds"},
    {ID_FILE_EXPORT_ANALYSIS, "actionExportAnalysis", "Ex&port analysis...", nullptr,
     "Write the analysis of every bond to a file", "Export analysis"},
    {ID_FILE_OPEN_EXAMPLE, "actionOpenExample", "Open &example...", nullptr,
     "Open a copy of the sample database that comes with the program", "Open example"},
    {ID_APP_EXIT, "actionAppExit", "E&xit", nullptr, "Quit the application; prompts to save documents", "Exit"},
    // The print key of the original command set: bound, so the key is taken,
    // but with nothing to do.
    {ID_FILE_PRINT, "actionFilePrint", "&Print...\tCtrl+T", nullptr, "Print the active document", "Print",
     {Ctrl(Qt::Key_T)}},
    {ID_FILE_MRU_FILE1, "actionRecentFile", nullptr, nullptr, "Open this document", nullptr},

    // Edit, for the record form's text fields.
    {ID_EDIT_UNDO, "actionEditUndo", "&Undo\tCtrl+Z", nullptr, "Undo the last action", "Undo",
     {Ctrl(Qt::Key_Z), Qt::ALT | Qt::Key_Backspace}},
    {ID_EDIT_CUT, "actionEditCut", "Cu&t\tCtrl+X", "cut", "Cut the selection and put it on the Clipboard", "Cut",
     {Ctrl(Qt::Key_X), Qt::SHIFT | Qt::Key_Delete}},
    {ID_EDIT_COPY, "actionEditCopy", "&Copy\tCtrl+C", "copy", "Copy the selection and put it on the Clipboard",
     "Copy", {Ctrl(Qt::Key_C), Ctrl(Qt::Key_Insert)}},
    {ID_EDIT_PASTE, "actionEditPaste", "&Paste\tCtrl+V", "paste", "Insert Clipboard contents", "Paste",
     {Ctrl(Qt::Key_V), Qt::SHIFT | Qt::Key_Insert}},

    // View: the bar toggles.
    {ID_VIEW_TOOLBAR, "actionViewToolbar", "&Toolbar", nullptr, "Show or hide the toolbar", "Toggle ToolBar", {},
     true, true},
    {ID_VIEW_STATUS_BAR, "actionViewStatusBar", "&Status Bar", nullptr, "Show or hide the status bar",
     "Toggle StatusBar", {}, true, true},
    {ID_VIEW_RUNBAR, "actionViewRunbar", "&Runbar", nullptr, "Show or hide runbar", nullptr, {}, true, true},
    {ID_VIEW_SEEKBAR, "actionViewSeekbar", "S&eekbar", nullptr, "Show or hide seekbar", nullptr, {}, true, true},
    {ID_VIEW_ACTIONBAR, "actionViewActionbar", "Actio&nbar", nullptr, "Show or hide action bar", nullptr, {}, true,
     true},
    {ID_VIEW_CASHFLOWS, "actionViewCashflows", "&Cashflows", nullptr, "Show or hide the cashflows of the last analysis",
     "Toggle Cashflows", {}, true},
    {ID_VIEW_MARKET, "actionViewMarket", "&Market...", nullptr,
     "Every bond against the yield curve fitted to the database", "Market"},

    // Action: the record commands go to the record form.
    {ID_MOVE_FIRST, "actionMoveFirst", "F&irst\tCtrl+F", "first", "Move to the first", "First (Ctrl+F)",
     {Ctrl(Qt::Key_F)}},
    {ID_MOVE_PREV, "actionMovePrev", "&Prev\tCtrl+P", "prev", "Move to the previous", "Previous (Ctrl+P)",
     {Ctrl(Qt::Key_P)}},
    {ID_MOVE_NEXT, "actionMoveNext", "&Next\tCtrl+N", "next", "Move to the next", "Next (Ctrl+N)",
     {Ctrl(Qt::Key_N)}},
    {ID_MOVE_LAST, "actionMoveLast", "&Last\tCtrl+L", "last", "Move to the last", "Last (Ctrl+L)",
     {Ctrl(Qt::Key_L)}},
    {ID_RECORD_SAVE, "actionRecordSave", "&Save", "recsave", "Save the changes", "Save"},
    {ID_RECORD_ADD, "actionRecordAdd", "Add", "add", "Add a record", "Add"},
    {ID_ADD_TYPE1, "actionAddType1", "Type I", "type1", "Standard bond type", nullptr},
    {ID_ADD_TYPE2, "actionAddType2", "Type II", "type2", "Free bond type", nullptr},
    {ID_RECORD_DELETE, "actionRecordDelete", "&Del", "delete", "Delete the record", "Delete"},
    {ID_DELETE_MANY, "actionDeleteMany", "Delete &Many", nullptr, "Delete many records", nullptr},

    // Run, and the bars' own commands.
    {ID_UPDATE_ALL, "actionUpdateAll", "&Update All", "update", "Update all matched bonds", "Update all"},
    {ID_RUN_PORTFOLIO, "actionRunPortfolio", "&Run", "run", "Go with the portfolio creation", "Go"},
    {ID_SQUARE_M, "actionSquareM", "&M2", "m2", "Check if you want Square-M to be calculateed ", "Square-M wanted ?",
     {}, true},
    {ID_SINGLE_ANALYSIS, "actionSingleAnalysis", "Single analysis", "analysis", "Single analysis",
     "Single analysis"},
    {ID_SEEK, "actionSeek", "Begin seek", "seek", "Begin seek", "Begin seek"},
    {ID_SEEK_BY, "SeekBy", nullptr, nullptr, "Choose seek criteria", "Seek by"},
    {ID_SEEK_WHAT, "SeekWhat", nullptr, nullptr, "Starts with", "Seek what"},
    {ID_STAND_DATE, "StandDate", nullptr, nullptr, "Date for portfolio beginning", "Stand Date"},
    {ID_HORIZON, "Horizon", nullptr, nullptr, "Date for portfolio end", "Investment Horizon"},

    // Help: the application connects About; the frame opens the guide.
    {ID_APP_ABOUT, "actionAppAbout", "A&bout tenvix...", "about",
     "Display program information, version number and copyright", "About"},
    {ID_HELP_GUIDE, "actionHelpGuide", "&User Guide\tF1", nullptr,
     "Read how to use the program and what its figures mean", "User Guide", {Qt::Key_F1}},

    // F6 and Shift+F6: with two panes, both go to the other one.
    {ID_NEXT_PANE, "actionNextPane", "Ne&xt Pane", nullptr, "Switch to the next window pane", "Next Pane",
     {Qt::Key_F6}},
    {ID_PREV_PANE, "actionPrevPane", "Pre&vious Pane", nullptr, "Switch back to the previous window pane",
     "Previous Pane", {Qt::SHIFT | Qt::Key_F6}},
};
// clang-format on

} // namespace

std::span<const FrameCommand> FrameCommands() { return kCommands; }

const FrameCommand* FindFrameCommand(int id)
{
    const auto it =
        std::find_if(std::begin(kCommands), std::end(kCommands), [id](const FrameCommand& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

} // namespace tenvix::ui

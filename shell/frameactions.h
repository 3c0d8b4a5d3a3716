#pragma once

// The frame's commands as one table: for each its id, object name, menu text
// (with its mnemonic and, after a tab, its key as the menu shows it), keys,
// icon, status-bar prompt and tooltip. The bar controls and the recent files
// have an entry for their prompt and tooltip too, without a text of their own.

#include <QKeyCombination>

#include <span>

namespace tenvix::ui {

// Command ids: also the key of each action (CMainFrame::Action) and, for the
// bars, the id kept with the saved bar layout.
enum CommandId : int {
    ID_SEEK = 32771,
    ID_MOVE_FIRST = 32772,
    ID_MOVE_PREV = 32773,
    ID_MOVE_NEXT = 32774,
    ID_MOVE_LAST = 32775,
    ID_RECORD_ADD = 32776,
    ID_RECORD_DELETE = 32777,
    ID_UPDATE_ALL = 32778,
    ID_RUN_PORTFOLIO = 32779,
    ID_RECORD_SAVE = 32780,
    ID_SINGLE_ANALYSIS = 32781,
    ID_ADD_TYPE1 = 32783,
    ID_ADD_TYPE2 = 32784,
    ID_VIEW_RUNBAR = 32790,
    ID_VIEW_SEEKBAR = 32791,
    ID_VIEW_ACTIONBAR = 32793,
    ID_SQUARE_M = 32794,
    ID_DELETE_MANY = 32795,
    ID_VIEW_CASHFLOWS = 32810,
    ID_VIEW_MARKET = 32811,
    ID_HELP_GUIDE = 32820,
    ID_SEEK_BY = 57645,
    ID_SEEK_WHAT = 57646,
    ID_STAND_DATE = 57647,
    ID_HORIZON = 57648,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    // Prices in from a file, figures out to one: after Save As, before the recent files.
    ID_FILE_IMPORT_PRICES = 32800,
    ID_FILE_EXPORT_ANALYSIS = 32801,
    // Records in from the database's own CSV: after Import prices.
    ID_FILE_IMPORT_BONDS = 32802,
    // A copy of the shipped sample database: after Export analysis.
    ID_FILE_OPEN_EXAMPLE = 32803,
    ID_FILE_PRINT = 57607,
    ID_FILE_MRU_FILE1 = 57616,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

struct FrameCommand {
    int id;
    const char* objectName;
    const char* text;             // null: no action of its own (a bar control, the recent files)
    const char* icon;             // the image under :/icons, or null
    const char* prompt;           // the status bar's line
    const char* tip;              // null: the text without mnemonic and key
    QKeyCombination keys[2] = {}; // Qt::Key_unknown: none
    bool checkable = false;
    bool checked = false; // at the start, for the checkable ones
};

// In the order the frame makes its actions.
std::span<const FrameCommand> FrameCommands();
// The entry of `id`, or null.
const FrameCommand* FindFrameCommand(int id);

} // namespace tenvix::ui

#pragma once

// The finder on the left of the main window: the bonds whose identifier or
// name begins with the seek text, at most kMaxSeekResults of them, in list
// order. Picking a row shows that bond in the record form.
//
// Each row stands for a position in the bond list, kept in the frame's seek
// result table. Those positions die with the bonds they point at, so every
// change of the bond list must call RemoveAllRows first.

#include "model/seek.h"

#include <QTreeWidget>

#include <functional>

class QComboBox;

namespace tenvix::ui {

class CMyListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CMyListView(QWidget* parent = nullptr);

    // The table that maps rows to bond-list positions; the frame owns it.
    void SetSeekResults(SeekResultsView results) { m_pSeekResults = results; }
    // What a pick does: the record form's ShowRecordAt.
    void SetRecordShower(std::function<void(CBondList::Position)> show) { m_showRecord = std::move(show); }

    // Replaces the rows with the bonds of `bonds` whose identifier (or name)
    // begins with `text`, without regard to case.
    void Seek(CBondList& bonds, SeekBy by, const QString& text);
    void RemoveAllRows();
    // The width that shows both columns whole.
    int SuggestedWidth() const;
    // The width that shows the identifiers whole, the first column alone.
    int IdsWidth() const;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the bond of the first selected row, if any.
    void ShowSelected();

    SeekResultsView m_pSeekResults;
    std::function<void(CBondList::Position)> m_showRecord;
};

// Makes an editable combo box a seek box: kMaxSeekText characters, no
// completion that would change what was typed, and no entries of its own
// making: the history is kept by RunSeek.
void SetUpSeekBox(QComboBox& what);

// The seek command: reads the criterion (index 0 "By ID", any other "By Name")
// and the text, fills the view, and puts a non-empty text at the top of the
// seek box's history.
void RunSeek(const QComboBox& by, QComboBox& what, CMyListView& view, CBondList& bonds);

} // namespace tenvix::ui

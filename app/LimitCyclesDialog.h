#pragma once

#include "LimitCycles.h"

#include <QDialog>

class QLabel;
class QTableWidget;

// View > Limit cycles…: the limit cycles of the model on screen in the range
// the plane shows, in a table with the columns of --cycles, and a button
// that copies the table (with its header) as tab-separated text. Above the
// table, in plain text, what stands in for rows: a search still running, one
// that could not run, none found, or closed orbits around a centre (which
// are no limit cycles); below it each orbit that could not be pinned down
// and the box searched.
class TLimitCyclesDialog : public QDialog {
    Q_OBJECT

public:
    // `found` is null while the search runs; Show fills the list when it ends.
    explicit TLimitCyclesDialog(const TLimitCycles* found, QWidget* parent = nullptr);
    void Show(const TLimitCycles* found);

    QTableWidget* Table() const { return table_; }
    QLabel* Message() const { return message_; }
    QLabel* Notes() const { return notes_; }
    QString TableText() const;
    void CopyToClipboard() const;

    static constexpr const char* kSearching = "Searching for limit cycles in the range shown\u2026";
    static constexpr const char* kNoneFound = "No limit cycles in the range shown";

private:
    QTableWidget* table_;
    QLabel* message_;
    QLabel* notes_;
};

#pragma once

#include "Equilibria.h"

#include <QDialog>

class QLabel;
class QTableWidget;

// View > Equilibria…: the equilibria of the model on screen in a table with
// the columns of --equilibria, and a button that copies the table (with its
// header) to the clipboard as tab-separated text. A search that could not
// run, or found nothing, says so above the table; below it, in plain text,
// each curve of equilibria found and the box searched (`found.box`).
class TEquilibriaDialog : public QDialog {
    Q_OBJECT

public:
    TEquilibriaDialog(const TEquilibria& found, QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    QLabel* Message() const { return message_; }
    // The curves of equilibria and the box searched, a sentence a line.
    QLabel* Notes() const { return notes_; }
    // The table as the clipboard gets it: one line per row, cells parted by tabs.
    QString TableText() const;
    void CopyToClipboard() const;

private:
    QTableWidget* table_;
    QLabel* message_;
    QLabel* notes_;
};

#pragma once

#include "MainWindow.h"
#include "WindowTestMain.h"

#include <QString>

#include <gtest/gtest.h>

class QSlider;
class QTableWidget;
class TSeries;

// A window test starts as the program does on a machine where it never ran:
// no settings file in the current folder, every dialog's log empty and every
// answer at its default (Yes, Discard, no file, the first item).
struct TFreshStart {
    TFreshStart();
};

// The main window as the window tests drive it, made after a fresh start,
// with the steps the tests share.
class TWindowDriver : public ::testing::Test {
protected:
    // The time plot's series: 1 for N1, 2 for N2.
    TSeries& S(int n);
    QTableWidget* Table() const;
    void SetRates(const char* rate1, const char* rate2);
    // The time step typed and left.
    void SetStep(const char* dt);
    // A row typed into the parameter table (by the table's row); the
    // description cell only when one is given.
    void SetRow(int row, const char* name, const char* value, const char* description = nullptr);
    QString Cell(int row, int col = 1) const;
    // The slider beside a row of the table, or null.
    QSlider* Slider(int row) const;

    TFreshStart fresh;
    TForm1 form;
};

// A cell of a window's parameter table by the table's row; empty for none.
QString CellOf(const TForm1& form, int row, int col);

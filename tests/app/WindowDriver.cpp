#include "WindowDriver.h"

#include "FloatEdit.h"
#include "ParameterPanel.h"
#include "ParameterSliders.h"
#include "PlotGraph.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>

TFreshStart::TFreshStart() {
    gDialogs = TDialogLog();
    QFile::remove(QDir::current().filePath(QStringLiteral("Tarnivell.ini")));
}

TSeries& TWindowDriver::S(int n) {
    return form.PlotGraph1->GetSeries(n);
}

QTableWidget* TWindowDriver::Table() const {
    return form.ParameterPanel1->Table();
}

void TWindowDriver::SetRates(const char* rate1, const char* rate2) {
    form.Rate1->setText(rate1);
    form.Rate2->setText(rate2);
}

void TWindowDriver::SetStep(const char* dt) {
    form.dtEdit->setText(dt);
    form.dtEditExit();
}

void TWindowDriver::SetRow(int row, const char* name, const char* value, const char* description) {
    Table()->setItem(row, 0, new QTableWidgetItem(name));
    Table()->setItem(row, 1, new QTableWidgetItem(value));
    if (description) Table()->setItem(row, 2, new QTableWidgetItem(description));
}

QString TWindowDriver::Cell(int row, int col) const {
    return CellOf(form, row, col);
}

QSlider* TWindowDriver::Slider(int row) const {
    return form.ParameterPanel1->Sliders()->Slider(row);
}

QString CellOf(const TForm1& form, int row, int col) {
    const QTableWidgetItem* item = form.ParameterPanel1->Table()->item(row, col);
    return item ? item->text() : QString();
}

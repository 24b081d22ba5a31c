#include "PlotHolder.h"

TPlotHolder::TPlotHolder(QObject* parent) : QObject(parent) {}

QString TPlotHolder::Textseparators() const {
    QString shown = separators_;
    const qsizetype tab = shown.indexOf(QLatin1Char('\t'));
    if (tab >= 0) shown[tab] = QLatin1Char('T');
    return shown;
}

void TPlotHolder::SetTextseparators(const QString& shown) {
    separators_ = shown;
    const qsizetype t = separators_.indexOf(QLatin1Char('T'));
    if (t >= 0) separators_[t] = QLatin1Char('\t');
}

void TPlotHolder::setData(const QStringList& lines) {
    data_ = lines;
    if (OnChange) OnChange(this);
}

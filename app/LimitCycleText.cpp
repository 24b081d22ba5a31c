#include "LimitCycleText.h"

namespace {

QString Short(double v) {
    return QString::number(v + 0.0, 'g', 6);
}

} // namespace

const std::vector<std::string> kCycleColumns = {"N1",    "N2",    "period",     "N1min", "N1max",
                                                "N2min", "N2max", "multiplier", "kind"};

std::vector<std::string> CycleFields(const TLimitCycle& c, std::string (*number)(double value)) {
    return {number(c.n1),    number(c.n2),         number(c.period),
            number(c.n1Min), number(c.n1Max),      number(c.n2Min),
            number(c.n2Max), number(c.multiplier), CycleKindName(c.kind)};
}

QString CycleTip(const TLimitCycle& c) {
    return QStringLiteral("Limit cycle, %1\nperiod %2\nN1 from %3 to %4\nN2 from %5 to %6\n"
                          "multiplier %7")
        .arg(QString::fromLatin1(CycleKindName(c.kind)), Short(c.period), Short(c.n1Min),
             Short(c.n1Max), Short(c.n2Min), Short(c.n2Max), Short(c.multiplier));
}

QString SettledNote(double period) {
    return QStringLiteral("Limit cycle: period ") + Short(period);
}

std::string CentreSentence() {
    return std::string("No limit cycle: the orbits found are ") + kCentreNote +
           ", a family of which none is isolated";
}

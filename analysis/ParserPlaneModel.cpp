#include "ParserPlaneModel.h"

#include "CustomParser.h"
#include "Exception.h"

#include <limits>

namespace {

// Holds a point in a rate law's cells for one evaluation and restores the
// cells afterwards, also when the evaluation throws.
class TCellsAt {
public:
    TCellsAt(const TParserPlaneModel::TRateLaw& law, double N1, double N2)
        : law_(law), n1_(*law.n1), n2_(*law.n2) {
        *law_.n1 = N1;
        *law_.n2 = N2;
    }
    ~TCellsAt() {
        *law_.n1 = n1_;
        *law_.n2 = n2_;
    }
    TCellsAt(const TCellsAt&) = delete;
    TCellsAt& operator=(const TCellsAt&) = delete;

private:
    const TParserPlaneModel::TRateLaw& law_;
    const double n1_;
    const double n2_;
};

} // namespace

double TParserPlaneModel::Rate(int which, double N1, double N2) {
    const TRateLaw& law = laws_[which == 0 ? 0 : 1];
    if (!law.parser || !law.n1 || !law.n2) return std::numeric_limits<double>::quiet_NaN();
    const TCellsAt at(law, N1, N2);
    try {
        return law.parser->Value();
    } catch (const Exception&) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

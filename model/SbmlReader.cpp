#include "SbmlReader.h"

#include "CompiledModel.h"
#include "FloatText.h"
#include "SbmlMath.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

using TOp = TRateTree::TOp;

std::string Quoted(const std::string& id) {
    return "'" + id + "'";
}

std::string NameOrId(const SBase& element) {
    return element.isSetId() ? Quoted(element.getId()) : "without an id";
}

// What the annotation says, if it is there.
struct TAnnotation {
    std::optional<double> dt;
    std::optional<TSolverSettings> solver;
    std::optional<double> densities[2];
    std::string rates[2];
    bool hasRates[2] = {false, false};
    std::vector<std::pair<std::size_t, ParameterRow>> rows;
};

TAnnotation ReadAnnotation(const Model& m) {
    TAnnotation a;
    const XMLNode* annotation = const_cast<Model&>(m).getAnnotation();
    if (!annotation) return a;
    const XMLNode* top = nullptr;
    for (unsigned i = 0; i < annotation->getNumChildren(); ++i) {
        const XMLNode& child = annotation->getChild(i);
        if (child.getURI() == kSbmlNamespace && child.getName() == "model") top = &child;
    }
    if (!top) return a;
    if (top->hasAttr("step")) {
        a.dt = TextToFloat(WithSeparator(top->getAttrValue("step")));
        CheckTimeStep(*a.dt);
    }
    TSolverSettings solver;
    if (top->hasAttr("method")) solver.Method = MethodFromName(top->getAttrValue("method"));
    if (top->hasAttr("relTol"))
        solver.RelTol = ToleranceFromText(WithSeparator(top->getAttrValue("relTol")));
    if (top->hasAttr("absTol"))
        solver.AbsTol = ToleranceFromText(WithSeparator(top->getAttrValue("absTol")));
    a.solver = solver;
    for (int k = 0; k < 2; ++k) {
        double value = 0;
        const std::string key = "density" + std::to_string(k + 1);
        if (top->hasAttr(key) && TryTextToFloat(WithSeparator(top->getAttrValue(key)), value))
            a.densities[k] = value;
    }
    for (unsigned i = 0; i < top->getNumChildren(); ++i) {
        const XMLNode& child = top->getChild(i);
        if (child.getURI() != kSbmlNamespace) continue;
        if (child.getName() == "rate") {
            const std::string species = child.getAttrValue("species");
            if (species != "1" && species != "2") continue;
            const int k = species == "1" ? 0 : 1;
            a.rates[k] = child.getAttrValue("text");
            a.hasRates[k] = true;
        } else if (child.getName() == "parameter") {
            double index = 0;
            if (!TryTextToFloat(child.getAttrValue("row"), index) || index < 1 ||
                index > kParameterRows || index != std::trunc(index))
                continue;
            ParameterRow row;
            row.name = child.getAttrValue("name");
            row.value = child.getAttrValue("value");
            row.description = child.getAttrValue("description");
            if (child.hasAttr("min") && child.hasAttr("max"))
                row.range = RangeFromText(WithSeparator(child.getAttrValue("min")),
                                          WithSeparator(child.getAttrValue("max")));
            a.rows.emplace_back(static_cast<std::size_t>(index) - 1, row);
        }
    }
    return a;
}

} // namespace

const SBase* TSbmlReader::Element(const std::string& id) const {
    if (const SBase* e = m_.getParameter(id)) return e;
    if (const SBase* e = m_.getSpecies(id)) return e;
    if (const SBase* e = m_.getCompartment(id)) return e;
    if (const SBase* e = m_.getReaction(id)) return e;
    return m_.getFunctionDefinition(id);
}

void TSbmlReader::Refuse() {
    if (m_.getNumEvents() > 0)
        throw ESbmlError("The model has an event (" + NameOrId(*m_.getEvent(0)) +
                         "); the program runs no events");
    for (unsigned i = 0; i < m_.getNumRules(); ++i) {
        const Rule* r = m_.getRule(i);
        if (r->isAlgebraic())
            throw ESbmlError("The model has an algebraic rule (" + NameOrId(*r) +
                             "); the program integrates rates only");
    }
    if (m_.getNumInitialAssignments() > 0)
        throw ESbmlError("The model has an initial assignment to " +
                         Quoted(m_.getInitialAssignment(0)->getSymbol()) +
                         "; the program takes initial values as numbers");
    if (m_.getNumConstraints() > 0) notes_.push_back("The model's constraints are not checked");
    bool units = m_.getNumUnitDefinitions() > 0 || m_.isSetSubstanceUnits() ||
                 m_.isSetTimeUnits() || m_.isSetVolumeUnits() || m_.isSetExtentUnits();
    for (unsigned i = 0; i < m_.getNumParameters(); ++i)
        units = units || m_.getParameter(i)->isSetUnits();
    if (units) notes_.push_back("Units are ignored: every number is taken as it stands");
}

void TSbmlReader::FindVariables() {
    for (unsigned i = 0; i < m_.getNumSpecies(); ++i) {
        const Species* s = m_.getSpecies(i);
        const Rule* rule = m_.getRule(s->getId());
        if ((!s->getConstant() && !s->getBoundaryCondition() && !(rule && rule->isAssignment())) ||
            (rule && rule->isRate()))
            variables_.push_back(s);
    }
    for (unsigned i = 0; i < m_.getNumRules(); ++i) {
        const Rule* r = m_.getRule(i);
        if (!r->isRate()) continue;
        const SBase* target = Element(r->getVariable());
        if (!target)
            throw ESbmlError("The rate rule for " + Quoted(r->getVariable()) +
                             " changes nothing the model defines");
        if (target->getTypeCode() != SBML_SPECIES) variables_.push_back(target);
    }
    if (variables_.empty()) throw ESbmlError("The model has nothing that changes in time");
    if (variables_.size() > 2) {
        std::string list;
        for (const SBase* v : variables_)
            list += (list.empty() ? "" : ", ") + Quoted(v->getId());
        throw ESbmlError("The model has " + std::to_string(variables_.size()) + " variables (" +
                         list + "); the program runs two");
    }
    for (std::size_t k = 0; k < variables_.size(); ++k)
        symbols_[variables_[k]->getId()] = RateName(kDensityNames[k]);
}

double TSbmlReader::ConstantSize(const std::string& id, const std::string& why) {
    const Compartment* c = m_.getCompartment(id);
    if (!c) throw ESbmlError(why + " lies in no compartment the model defines");
    if (!c->getConstant() || m_.getRule(id))
        throw ESbmlError("The compartment " + Quoted(id) + " changes in size; " + why +
                         " needs a constant size");
    if (!c->isSetSize()) throw ESbmlError("The compartment " + Quoted(id) + " has no size");
    return c->getSize();
}

// The value the element's symbol has at the start.
double TSbmlReader::InitialValue(const SBase& element) {
    const std::string id = element.getId();
    switch (element.getTypeCode()) {
    case SBML_SPECIES: {
        const auto& s = static_cast<const Species&>(element);
        // In math a species stands for its amount only when it says so.
        if (s.getHasOnlySubstanceUnits()) {
            if (s.isSetInitialAmount()) return s.getInitialAmount();
            if (s.isSetInitialConcentration())
                return s.getInitialConcentration() *
                       ConstantSize(s.getCompartment(), "The species " + Quoted(id));
        } else {
            if (s.isSetInitialConcentration()) return s.getInitialConcentration();
            if (s.isSetInitialAmount())
                return s.getInitialAmount() /
                       ConstantSize(s.getCompartment(), "The species " + Quoted(id));
        }
        break;
    }
    case SBML_PARAMETER: {
        const auto& p = static_cast<const Parameter&>(element);
        if (p.isSetValue()) return p.getValue();
        break;
    }
    case SBML_COMPARTMENT: {
        const auto& c = static_cast<const Compartment&>(element);
        if (c.isSetSize()) return c.getSize();
        break;
    }
    default:
        throw ESbmlError("The model uses " + Quoted(id) + " as a number; it is none");
    }
    throw ESbmlError(Quoted(id) + " has no initial value");
}

TRateTreePtr TSbmlReader::ParameterName(const std::string& id, double value,
                                        const std::string& description) {
    ParameterRow row;
    row.name = names_.Claim(id);
    row.value = ValueText(value);
    row.description = description;
    rows_.push_back(row);
    rowIds_.push_back(id);
    rowValues_.push_back(value);
    return RateName(row.name);
}

TRateTreePtr TSbmlReader::Math(const ASTNode* math, const std::string& element,
                               const std::map<std::string, TRateTreePtr>* locals) {
    if (!math) throw ESbmlError(element + " has no math");
    TMathSource source;
    source.model = &m_;
    source.element = element;
    source.resolve = [&, locals](const std::string& id) {
        if (locals)
            if (const auto found = locals->find(id); found != locals->end()) return found->second;
        return Resolve(id);
    };
    return RateTreeOfMath(*math, source);
}

TRateTreePtr TSbmlReader::Resolve(const std::string& id) {
    if (const auto found = symbols_.find(id); found != symbols_.end()) return found->second;
    const Rule* rule = m_.getRule(id);
    if (rule && rule->isAssignment()) {
        if (!inlining_.insert(id).second)
            throw ESbmlError("The assignment rule for " + Quoted(id) + " depends on itself");
        TRateTreePtr t = Math(rule->getMath(), "The assignment rule for " + Quoted(id));
        inlining_.erase(id);
        return symbols_[id] = t;
    }
    const SBase* element = Element(id);
    if (!element) throw ESbmlError("The model uses " + Quoted(id) + ", which it does not define");
    switch (element->getTypeCode()) {
    case SBML_PARAMETER:
    case SBML_SPECIES:
    case SBML_COMPARTMENT:
        break;
    case SBML_REACTION:
        throw ESbmlError("The model uses the rate of the reaction " + Quoted(id) +
                         " in its math; the program cannot");
    default:
        throw ESbmlError("The model uses " + Quoted(id) + " as a number; it is none");
    }
    if (element->getTypeCode() == SBML_COMPARTMENT)
        ConstantSize(id, "The compartment " + Quoted(id) + " in math");
    return symbols_[id] = ParameterName(id, InitialValue(*element),
                                        element->isSetName() ? element->getName() : "");
}

TRateTreePtr TSbmlReader::ReactionRate(std::size_t k) {
    const auto& s = static_cast<const Species&>(*variables_[k]);
    const std::string id = s.getId();
    TRateTreePtr sum;
    for (unsigned i = 0; i < m_.getNumReactions(); ++i) {
        const Reaction* r = m_.getReaction(i);
        double net = 0;
        const auto add = [&](const ListOf* list, double sign) {
            for (unsigned j = 0; j < list->size(); ++j) {
                const auto* ref = static_cast<const SpeciesReference*>(list->get(j));
                if (ref->getSpecies() != id) continue;
                if (ref->isSetStoichiometryMath() || (ref->isSetId() && m_.getRule(ref->getId())) ||
                    (m_.getLevel() >= 3 && !ref->getConstant()))
                    throw ESbmlError("The stoichiometry of " + Quoted(id) + " in the reaction " +
                                     NameOrId(*r) + " is not a constant");
                net += sign * (ref->isSetStoichiometry() ? ref->getStoichiometry() : 1.0);
            }
        };
        add(r->getListOfReactants(), -1);
        add(r->getListOfProducts(), 1);
        if (net == 0) continue;
        const KineticLaw* law = r->getKineticLaw();
        if (!law) throw ESbmlError("The reaction " + NameOrId(*r) + " has no kinetic law");
        // Local parameters keep their own names unless those are taken.
        std::map<std::string, TRateTreePtr> locals;
        for (unsigned j = 0; j < law->getNumParameters(); ++j) {
            const Parameter* p = law->getParameter(j);
            const auto known =
                std::find(rowIds_.begin(), rowIds_.end(), "@" + r->getId() + "@" + p->getId());
            if (known != rowIds_.end()) {
                locals[p->getId()] = RateName(rows_[known - rowIds_.begin()].name);
                continue;
            }
            std::string name = p->getId();
            if (names_.Taken(name) || Element(name) != nullptr)
                name = p->getId() + "_" + r->getId();
            ParameterRow row;
            row.name = names_.Claim(name);
            if (!p->isSetValue())
                throw ESbmlError("The local parameter " + Quoted(p->getId()) + " of the reaction " +
                                 NameOrId(*r) + " has no value");
            row.value = ValueText(p->getValue());
            row.description = p->isSetName() ? p->getName() : "";
            if (row.name != p->getId())
                notes_.push_back("The local parameter " + Quoted(p->getId()) + " of the reaction " +
                                 NameOrId(*r) + " is named " + row.name);
            rows_.push_back(row);
            rowIds_.push_back("@" + r->getId() + "@" + p->getId());
            rowValues_.push_back(p->getValue());
            locals[p->getId()] = RateName(row.name);
        }
        TRateTreePtr t =
            Math(law->getMath(), "The kinetic law of the reaction " + NameOrId(*r), &locals);
        if (net == -1)
            t = RateNode(TOp::Negate, {t});
        else if (net != 1)
            t = RateNode(TOp::Product, {RateNumber(net), t});
        sum = sum ? RateNode(TOp::Sum, {sum, t}) : t;
    }
    if (!sum) return RateNumber(0);
    // A kinetic law gives amount per time; the species' symbol may be its
    // concentration.
    if (!s.getHasOnlySubstanceUnits()) {
        const double size = ConstantSize(s.getCompartment(), "The species " + Quoted(id));
        if (size != 1) sum = RateNode(TOp::Quotient, {sum, RateNumber(size)});
    }
    return sum;
}

void TSbmlReader::Read(TModel& result) {
    Refuse();
    names_.Claim("N1");
    names_.Claim("N2");
    FindVariables();
    // Global parameters first, in the file's order, whether used or not.
    for (unsigned i = 0; i < m_.getNumParameters(); ++i) {
        const Parameter* p = m_.getParameter(i);
        if (symbols_.count(p->getId()) || m_.getRule(p->getId())) continue;
        symbols_[p->getId()] =
            ParameterName(p->getId(), InitialValue(*p), p->isSetName() ? p->getName() : "");
    }
    TRateTreePtr rates[2] = {RateNumber(0), RateNumber(0)};
    double densities[2] = {0, 0};
    std::string ownNames[2];
    for (std::size_t k = 0; k < variables_.size(); ++k) {
        const SBase& v = *variables_[k];
        densities[k] = InitialValue(v);
        const Rule* rule = m_.getRule(v.getId());
        if (rule && rule->isRate())
            rates[k] = Math(rule->getMath(), "The rate rule for " + Quoted(v.getId()));
        else
            rates[k] = ReactionRate(k);
        if (v.isSetName())
            ownNames[k] = v.getName();
        else if (v.getId() != kDensityNames[k])
            ownNames[k] = v.getId();
    }
    if (rows_.size() > static_cast<std::size_t>(kParameterRows))
        throw ESbmlError("The model has " + std::to_string(rows_.size()) +
                         " parameters; the table holds " + std::to_string(kParameterRows));

    TModel model = result;
    model.N1 = densities[0];
    model.N2 = densities[1];
    model.name1 = ownNames[0];
    model.name2 = ownNames[1];
    model.origin.clear();
    model.data.reset();
    model.rows.assign(kParameterRows, ParameterRow{});
    std::copy(rows_.begin(), rows_.end(), model.rows.begin());
    std::string texts[2];
    for (int k = 0; k < 2; ++k) {
        // Inlined rules share their trees, so that a few lines of a file can
        // stand for a text of any length: it is measured before it is made.
        if (RateTreeSize(*rates[k], kMaxRateLength) > kMaxRateLength)
            throw ESbmlError("The rate of " + kDensityNames[k] + " is longer than " +
                             std::to_string(kMaxRateLength) +
                             " characters once its rules and functions are written out");
        texts[k] = RateText(*rates[k]);
        // The text must compile to the very operations the file's math makes.
        bool same = false;
        try {
            same = SameRateTree(*CompiledTree(model.rows, texts[k]), *rates[k]);
        } catch (const Exception& e) {
            throw ESbmlError("The rate of " + kDensityNames[k] +
                             " does not compile: " + e.Message());
        }
        if (!same)
            throw ESbmlError("The rate of " + kDensityNames[k] +
                             " cannot be written exactly in the rate-law language");
    }

    // What the program wrote for itself holds where the file still says it:
    // the table as typed and the rate texts.
    const TAnnotation annotation = ReadAnnotation(m_);
    if (annotation.dt) model.dt = *annotation.dt;
    if (annotation.solver) model.solver = *annotation.solver;
    // The file keeps 15 digits of a density; the annotation all of them.
    for (int k = 0; k < 2; ++k)
        if (annotation.densities[k] && FiledValue(*annotation.densities[k]) == densities[k])
            (k == 0 ? model.N1 : model.N2) = *annotation.densities[k];
    std::vector<ParameterRow> filed(kParameterRows);
    for (const auto& [index, row] : annotation.rows)
        filed[index] = row;
    // The same parameters with the same values, each in one row.
    bool sameTable = !annotation.rows.empty();
    std::size_t named = 0;
    for (const ParameterRow& row : filed) {
        if (row.name.empty()) continue;
        ++named;
        const auto at = std::find(rowIds_.begin(), rowIds_.end(), row.name);
        double value = 0;
        sameTable = sameTable && at != rowIds_.end() &&
                    rows_[at - rowIds_.begin()].name == row.name &&
                    TryTextToFloat(row.value, value) &&
                    rowValues_[at - rowIds_.begin()] == FiledValue(value);
    }
    if (sameTable && named == rows_.size()) {
        model.rows = filed;
        for (int k = 0; k < 2; ++k) {
            if (!annotation.hasRates[k]) continue;
            try {
                if (MathText(*CompiledTree(model.rows, annotation.rates[k])) == MathText(*rates[k]))
                    texts[k] = annotation.rates[k];
            } catch (const Exception&) {
                // Not the program's text any more: the file's math holds.
            }
        }
    }
    model.rate1 = texts[0];
    model.rate2 = texts[1];
    result = model;
}

#include "SbmlFile.h"

#include "AtomicFile.h"
#include "CompiledModel.h"
#include "FloatText.h"
#include "SbmlMath.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace {

using TOp = TRateTree::TOp;

// The program's own annotation: what SBML has no place for.
const std::string kNamespace = "urn:tarnivell:sbml:model:1";
const std::string kPrefix = "tarnivell";
const char* const kRateLabels[2] = {"dN1/dt", "dN2/dt"};
const char* const kDensityNames[2] = {"N1", "N2"};

// Names unique without regard to letter case, as the rate-law language reads
// them.
class TNames {
public:
    bool Taken(const std::string& name) const {
        return std::any_of(taken_.begin(), taken_.end(),
                           [&](const std::string& t) { return SameParameterName(t, name); });
    }
    // `name` itself when free, else the first free of name_2, name_3, ...
    std::string Claim(const std::string& name) {
        std::string result = name;
        for (int n = 2; Taken(result); ++n)
            result = name + "_" + std::to_string(n);
        taken_.push_back(result);
        return result;
    }

private:
    std::vector<std::string> taken_;
};

// A numeral the annotation holds, with the user's decimal separator, as the
// program's number texts are read.
std::string WithSeparator(std::string numeral) {
    std::replace(numeral.begin(), numeral.end(), '.', DecimalSeparator());
    return numeral;
}

// A value as the table shows it: exact, with the user's decimal separator.
std::string ValueText(double value) {
    return WithSeparator(ExactNumeral(value));
}

// The tree of the rate law `parser` holds compiled from the table `rows`,
// the densities named `densities`.
TRateTreePtr CompiledTree(TMathParser& parser, const std::vector<ParameterRow>& rows,
                          const std::string (&densities)[2]) {
    std::map<const double*, std::string> cells;
    for (int j = 0; j < 2; ++j)
        cells[parser.DefineVariable(kDensityNames[j], parser.VariableValue(kDensityNames[j]))] =
            densities[j];
    for (const ParameterRow& row : rows)
        if (!row.name.empty())
            cells[parser.DefineVariable(row.name, parser.VariableValue(row.name))] = row.name;
    return RateTreeOf(parser, cells);
}

// The tree a rate text compiles to with the table `rows`.
TRateTreePtr CompiledTree(const std::vector<ParameterRow>& table, const std::string& rate) {
    TCompiledModel compiled;
    std::vector<ParameterRow> rows = table;
    compiled.Compile(rows, rate, "0");
    return CompiledTree(compiled.Parser(0), rows, {kDensityNames[0], kDensityNames[1]});
}

XMLNode AnnotationElement(const std::string& name, const XMLAttributes& attributes) {
    return XMLNode(XMLTriple(name, kNamespace, kPrefix), attributes);
}

// ---------------------------------------------------------------------------
// Writing

void AddAnnotation(Model& m, const TModel& model) {
    XMLAttributes attributes;
    attributes.add("step", ExactNumeral(model.dt));
    attributes.add("method", MethodName(model.solver.Method));
    attributes.add("relTol", ExactNumeral(model.solver.RelTol));
    attributes.add("absTol", ExactNumeral(model.solver.AbsTol));
    attributes.add("density1", ExactNumeral(model.N1));
    attributes.add("density2", ExactNumeral(model.N2));
    XMLNamespaces ns;
    ns.add(kNamespace, kPrefix);
    XMLNode top(XMLTriple("model", kNamespace, kPrefix), attributes, ns);
    for (int k = 0; k < 2; ++k) {
        XMLAttributes a;
        a.add("species", std::to_string(k + 1));
        a.add("text", k == 0 ? model.rate1 : model.rate2);
        top.addChild(AnnotationElement("rate", a));
    }
    for (std::size_t i = 0; i < model.rows.size(); ++i) {
        const ParameterRow& row = model.rows[i];
        if (row.name.empty() && row.value.empty() && row.description.empty() && !row.range)
            continue;
        XMLAttributes a;
        a.add("row", std::to_string(i + 1));
        a.add("name", row.name);
        a.add("value", row.value);
        a.add("description", row.description);
        if (row.range) {
            a.add("min", ExactNumeral(row.range->min));
            a.add("max", ExactNumeral(row.range->max));
        }
        top.addChild(AnnotationElement("parameter", a));
    }
    m.appendAnnotation(&top);
}

} // namespace

void SaveSbmlFile(const std::string& path, const TModel& model) {
    TCompiledModel compiled;
    std::vector<ParameterRow> rows = model.rows;
    compiled.Compile(rows, model.rate1, model.rate2, model.N1, model.N2);

    TNames names;
    for (const ParameterRow& row : rows)
        if (!row.name.empty()) names.Claim(row.name);
    std::string speciesIds[2];
    const std::string* ownNames[2] = {&model.name1, &model.name2};
    // Each species' default id is kept for it, so that a name cannot take the
    // other's.
    names.Claim("N1");
    names.Claim("N2");
    for (int k = 0; k < 2; ++k) {
        const std::string& own = *ownNames[k];
        speciesIds[k] = kDensityNames[k];
        if (SyntaxChecker::isValidSBMLSId(own) && !names.Taken(own))
            speciesIds[k] = names.Claim(own);
    }
    const std::string compartmentId = names.Claim("compartment");

    SBMLDocument doc(3, 2);
    Model* m = doc.createModel();
    m->setId("tarnivell_model");
    Compartment* c = m->createCompartment();
    c->setId(compartmentId);
    c->setSize(1);
    c->setConstant(true);
    const double densities[2] = {model.N1, model.N2};
    for (int k = 0; k < 2; ++k) {
        Species* s = m->createSpecies();
        s->setId(speciesIds[k]);
        if (!ownNames[k]->empty()) s->setName(*ownNames[k]);
        s->setCompartment(compartmentId);
        s->setInitialAmount(densities[k]);
        s->setHasOnlySubstanceUnits(true);
        s->setBoundaryCondition(false);
        s->setConstant(false);
    }
    for (const ParameterRow& row : rows) {
        if (row.name.empty()) continue;
        Parameter* p = m->createParameter();
        p->setId(row.name);
        if (!row.description.empty()) p->setName(row.description);
        p->setValue(TextToFloat(row.value));
        p->setConstant(true);
    }
    for (int k = 0; k < 2; ++k) {
        const auto math =
            MathOfRateTree(*CompiledTree(compiled.Parser(k), rows, speciesIds), kRateLabels[k]);
        RateRule* rule = m->createRateRule();
        rule->setVariable(speciesIds[k]);
        rule->setMath(math.get());
    }
    AddAnnotation(*m, model);

    SBMLWriter writer;
    WriteFileAtomically(path, writer.writeSBMLToStdString(&doc));
}

// ---------------------------------------------------------------------------
// Reading

namespace {

std::string Quoted(const std::string& id) {
    return "'" + id + "'";
}

std::string NameOrId(const SBase& element) {
    return element.isSetId() ? Quoted(element.getId()) : "without an id";
}

// The first error of the document (with its line), if it has one.
void ThrowFirstError(const SBMLDocument& doc, const std::string& path) {
    const SBMLErrorLog* log = doc.getErrorLog();
    for (unsigned i = 0; log && i < log->getNumErrors(); ++i) {
        const SBMLError* e = log->getError(i);
        if (!e->isError() && !e->isFatal()) continue;
        std::string message = e->getMessage();
        // The error display ends the message with its own full stop.
        while (!message.empty() &&
               (message.back() == '\n' || message.back() == ' ' || message.back() == '.'))
            message.pop_back();
        throw ESbmlError(path + " line " + std::to_string(e->getLine()) + ": " + message);
    }
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
        if (child.getURI() == kNamespace && child.getName() == "model") top = &child;
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
        if (child.getURI() != kNamespace) continue;
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

// Reads one model: the state is the model's symbols, named as the program
// names them, and the rows the table gets.
class TSbmlReader {
public:
    TSbmlReader(const Model& m, std::vector<std::string>& notes) : m_(m), notes_(notes) {}

    void Read(TModel& result);

private:
    void Refuse();
    // The model-wide element of an id (local parameters are not).
    const SBase* Element(const std::string& id) const;
    void FindVariables();
    double InitialValue(const SBase& element);
    TRateTreePtr Resolve(const std::string& id);
    TRateTreePtr ParameterName(const std::string& id, double value, const std::string& description);
    TRateTreePtr Math(const ASTNode* math, const std::string& element,
                      const std::map<std::string, TRateTreePtr>* locals = nullptr);
    TRateTreePtr ReactionRate(std::size_t k);
    double ConstantSize(const std::string& compartment, const std::string& why);

    const Model& m_;
    std::vector<std::string>& notes_;
    TNames names_;
    std::vector<const SBase*> variables_;
    std::map<std::string, TRateTreePtr> symbols_; // ids read so far
    std::set<std::string> inlining_;              // assignment rules being read
    std::vector<ParameterRow> rows_;              // in the order first used
    std::vector<std::string> rowIds_;             // their SBML ids ("@reaction@id" for a local)
    std::vector<double> rowValues_;
};

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
                if (ref->isSetStoichiometryMath() ||
                    (ref->isSetId() && (m_.getRule(ref->getId()) || !ref->getConstant())))
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
            throw ESbmlError("The rate of " + std::string(kDensityNames[k]) + " is longer than " +
                             std::to_string(kMaxRateLength) +
                             " characters once its rules and functions are written out");
        texts[k] = RateText(*rates[k]);
        // The text must compile to the very operations the file's math makes.
        bool same = false;
        try {
            same = SameRateTree(*CompiledTree(model.rows, texts[k]), *rates[k]);
        } catch (const Exception& e) {
            throw ESbmlError("The rate of " + std::string(kDensityNames[k]) +
                             " does not compile: " + e.Message());
        }
        if (!same)
            throw ESbmlError("The rate of " + std::string(kDensityNames[k]) +
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

} // namespace

void LoadSbmlFile(const std::string& path, TModel& model, std::vector<std::string>& notes) {
    std::unique_ptr<SBMLDocument> doc(readSBMLFromFile(path.c_str()));
    if (!doc) throw ESbmlError("Cannot read " + path);
    ThrowFirstError(*doc, path);
    doc->setConsistencyChecks(LIBSBML_CAT_UNITS_CONSISTENCY, false);
    doc->setConsistencyChecks(LIBSBML_CAT_MODELING_PRACTICE, false);
    doc->checkConsistency();
    ThrowFirstError(*doc, path);
    const Model* m = doc->getModel();
    if (!m) throw ESbmlError(path + " holds no model");
    std::vector<std::string> found;
    TSbmlReader(*m, found).Read(model);
    notes.insert(notes.end(), found.begin(), found.end());
}

#include "SbmlFile.h"

#include "AtomicFile.h"
#include "CompiledModel.h"
#include "FloatText.h"
#include "SbmlMath.h"
#include "SbmlReader.h"

#include <memory>

namespace {

const char* const kRateLabels[2] = {"dN1/dt", "dN2/dt"};

XMLNode AnnotationElement(const std::string& name, const XMLAttributes& attributes) {
    return XMLNode(XMLTriple(name, kSbmlNamespace, kSbmlPrefix), attributes);
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
    ns.add(kSbmlNamespace, kSbmlPrefix);
    XMLNode top(XMLTriple("model", kSbmlNamespace, kSbmlPrefix), attributes, ns);
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

    TSbmlNames names;
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

#include "TermListBuilder.h"

#include "ParserErrors.h"
#include "TermOperations.h"

#include <algorithm>
#include <string>

void TTermListBuilder::SyntaxError(TTextRange text, const TLastCut& last) const {
    // The whole expression's node starts with operand texts of one blank each;
    // while both are unwritten the message shows the text alone.
    if (root_ && !last.leftWritten && !last.rightWritten)
        throw ESyntaxError(
            FormatMessage("Error parsing expression:\r%s", {std::string(tests_.Piece(text))}));
    const auto shown = [&](bool written, TTextRange r) {
        return written ? std::string(tests_.Piece(r)) : std::string(root_ ? " " : "");
    };
    throw ESyntaxError(
        FormatMessage("Error parsing expression:\r%s\r%s",
                      {shown(last.leftWritten, last.left), shown(last.rightWritten, last.right)}));
}

void TTermListBuilder::Wire(const Node& node, CellRef cell) {
    PendingTerm& parent = terms_[static_cast<size_t>(node.parentTerm)];
    (node.side == 1 ? parent.a : parent.b) = cell;
}

int TTermListBuilder::MakeChildSlot(int childDepth) {
    if (childDepth > kMaxDepth) throw ETooManyNestings();
    const int position = counter_[childDepth] + 1;
    if (position > kMaxWidth) throw EExpressionTooComplex();
    greatestDepth_ = std::max(greatestDepth_, childDepth);
    return position;
}

void TTermListBuilder::Visit(const Node& node) {
    TNodeForm form;
    TLastCut last;
    if (!tests_.Classify(node.text, form, last)) SyntaxError(node.text, last);
    root_ = false;

    if (form.kind == TTermKind::Variable) {
        Wire(node, CellRef{form.variable, -1});
        return;
    }
    if (form.kind == TTermKind::Number) {
        owned_.push_back(form.number);
        Wire(node, CellRef{nullptr, static_cast<int>(owned_.size()) - 1});
        return;
    }

    const int childDepth = node.depth + 1;
    const int position = MakeChildSlot(childDepth);
    PendingTerm term;
    term.kind = form.kind;
    term.function = form.function;
    owned_.push_back(0);
    term.result = static_cast<int>(owned_.size()) - 1;
    terms_.push_back(term);
    const int index = static_cast<int>(terms_.size()) - 1;
    grid_[childDepth][position] = index;
    Wire(node, CellRef{nullptr, term.result});

    if (!IsTwoOperand(form.kind)) {
        ++counter_[childDepth];
        Visit(Node{form.left, childDepth, position, 1, index});
        return;
    }
    Visit(Node{form.left, childDepth, position, 1, index});
    // The first operand's subtree only used deeper rows, so the second
    // operand shares the first one's position.
    const int second = MakeChildSlot(childDepth);
    ++counter_[childDepth];
    Visit(Node{form.right, childDepth, second, 2, index});
}

TCompiledForm TTermListBuilder::Build(TTextRange whole) {
    for (auto& row : grid_)
        std::fill(std::begin(row), std::end(row), -1);
    std::fill(std::begin(counter_), std::end(counter_), 0);
    counter_[0] = 1;
    greatestDepth_ = 0;
    root_ = true;
    terms_.assign(1, PendingTerm{}); // the placeholder, row 0
    grid_[0][1] = 0;
    owned_.clear();

    Visit(Node{whole, 0, 1, 1, 0});

    // Deepest row first: every operand is computed before its use, and the
    // whole expression's term comes last.
    std::vector<int> order;
    for (int depth = greatestDepth_; depth >= 1; --depth)
        for (int position = 1; position <= counter_[depth]; ++position)
            order.push_back(grid_[depth][position]);

    TCompiledForm compiled;
    compiled.cells = std::make_unique<double[]>(owned_.size() + 1);
    std::copy(owned_.begin(), owned_.end(), compiled.cells.get());
    const auto resolve = [&](CellRef ref) -> double* {
        if (ref.variable) return ref.variable;
        if (ref.owned >= 0) return &compiled.cells[static_cast<size_t>(ref.owned)];
        return nullptr;
    };
    if (order.empty()) {
        // One variable or number: the placeholder reads its operand cell.
        TTerm t;
        t.a = resolve(terms_[0].a);
        t.result = const_cast<double*>(t.a);
        t.kind = TTermKind::Variable;
        t.operation = termops::ForKind(TTermKind::Variable);
        compiled.terms.push_back(t);
        compiled.program = TTermProgram(compiled.terms);
        return compiled;
    }
    compiled.terms.reserve(order.size());
    for (const int index : order) {
        const PendingTerm& p = terms_[static_cast<size_t>(index)];
        TTerm t;
        t.a = resolve(p.a);
        t.b = resolve(p.b);
        t.result = resolve(CellRef{nullptr, p.result});
        // A square reads its operand twice, so that it can run as a product.
        if (p.kind == TTermKind::Square) t.b = t.a;
        t.kind = p.kind;
        t.operation = p.function ? p.function : termops::ForKind(p.kind);
        compiled.terms.push_back(t);
    }
    compiled.program = TTermProgram(compiled.terms);
    return compiled;
}

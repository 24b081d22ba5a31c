#include "RateLawHelp.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

QString RateLawHelpText() {
    return QStringLiteral(
        "A rate is an expression in N1, N2 and the names of the parameter table.\n"
        "\n"
        "Names\n"
        "  N1, N2      the densities of species 1 and 2\n"
        "  parameters  the names in the parameter table (letters, digits and _,\n"
        "              starting with a letter or _)\n"
        "  PI          3.14159265358979\n"
        "  Letter case does not count: r, R and K, k are the same names.\n"
        "  Blanks are removed before the rate is read: \"N 1\" is N1.\n"
        "\n"
        "Numbers\n"
        "  2, 0.5, .5, 1E-3, 2.5e6   (the decimal separator is the point)\n"
        "\n"
        "Operators, binding tightest first\n"
        "  ^           power; 2^3 = 8. Does not chain: write (a^b)^c or a^(b^c)\n"
        "  DIV MOD /   integer quotient and remainder of the whole parts\n"
        "              (7 DIV 2 = 3, 7 MOD 2 = 1), and division\n"
        "  *           product; a*b/c is a*(b/c)\n"
        "  + -         sum and difference; a-b-c is (a-b)-c\n"
        "  ( )         brackets group as usual\n"
        "  A minus right after an operator must be bracketed: write 2*(-x), not 2*-x\n"
        "  (2*-3 is fine: there the minus belongs to the number).\n"
        "\n"
        "Functions of one argument\n"
        "  SIN(x)  COS(x)  TAN(x)   in radians\n"
        "  ARCTAN(x)                the angle whose tangent is x, in radians\n"
        "  SINH(x)  COSH(x)         hyperbolic sine and cosine\n"
        "  EXP(x)                   e to the power x\n"
        "  LN(x)                    natural logarithm\n"
        "  SQRT(x)                  square root\n"
        "  ABS(x)                   absolute value\n"
        "  HEAV(x)                  1 for x >= 0, else 0 (a switch)\n"
        "  SIGN(x)                  -1, 0 or 1 by the sign of x\n"
        "  ZERO(x)                  0 for x = 0, else 1\n"
        "  PH(x)                    a sawtooth from -pi to pi: 2*pi*(y - round(y)), y = x*pi/2\n"
        "  RND(x)                   a random number from 0 up to the whole part of x (not 1)\n"
        "\n"
        "Functions of two arguments\n"
        "  MAX(x, y)  MIN(x, y)     the greater and the smaller\n"
        "\n"
        "Examples\n"
        "  Logistic growth:     r*N1*(1-N1/K)\n"
        "  Holling type II:     a*N1*N2/(1+a*h*N1)\n");
}

QString RateLawTip() {
    return QStringLiteral(
        "N1, N2, parameter names, PI and numbers (1E-3);\n"
        "+ - * / ^ DIV MOD and brackets: ^ binds tightest, then / DIV MOD, then *, then + -;\n"
        "SIN COS TAN ARCTAN SINH COSH EXP LN SQRT ABS HEAV SIGN ZERO PH RND (x), MAX MIN (x, y).\n"
        "Letter case does not count; blanks are removed. Help > Rate laws… tells more.");
}

void ShowRateLawHelp(QWidget* parent) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("RateLawHelp"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Rate laws"));
    auto* column = new QVBoxLayout(dialog);
    auto* text = new QPlainTextEdit(RateLawHelpText(), dialog);
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(text->font());
    dialog->resize(metrics.horizontalAdvance(QLatin1Char('x')) * 96, metrics.lineSpacing() * 40);
    column->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    column->addWidget(buttons);
    dialog->show();
}

#include "DataSupplier.h"

#include "DBSupplier.h"
#include "DataSource.h"
#include "PlotHolder.h"
#include "TxtSupplier.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include <functional>

void TDataSupplier::MoveBy(long long count) {
    for (long long i = 0; i < count && !AtEnd(); ++i)
        NextRow();
}

bool ColumnNumberOfName(const QString& name, int& number) {
    if (!name.startsWith(QLatin1String("(col "), Qt::CaseInsensitive)) return false;
    QStringView rest = QStringView(name).mid(5);
    const qsizetype close = rest.indexOf(QLatin1Char(')'));
    if (close >= 0) rest = rest.left(close);
    bool ok = false;
    number = rest.trimmed().toInt(&ok);
    if (!ok || number < 0) number = -1;
    return true;
}

namespace {

// The components a source can name live in data modules (non-visual
// objects owned by the application) and in windows, searched in that order.
template <typename T> T* FindComponent(const std::function<bool(const T&)>& matches) {
    auto search = [&](QObject* root) -> T* {
        if (auto* t = qobject_cast<T*>(root); t && matches(*t)) return t;
        for (T* t : root->findChildren<T*>())
            if (matches(*t)) return t;
        return nullptr;
    };
    if (QCoreApplication* app = QCoreApplication::instance()) {
        for (QObject* module : app->children())
            if (T* t = search(module)) return t;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (T* t = search(window)) return t;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TDataSupplier> MakeDataSupplier(int kind, const QString& info, bool fixedWidth,
                                                const QString& markers, const QString& separators,
                                                int width) {
    TTextRowFormat format;
    format.Separators = separators;
    format.Markers = markers;
    format.FixedWidth = fixedWidth;
    format.Width = width;
    // A fixed width of no characters has no columns to cut.
    if (fixedWidth && width <= 0 && (kind == ds_TextFile || kind == ds_Holder)) return nullptr;

    switch (kind) {
    case ds_TextFile:
        return TTxtSupplier::FromFile(info, format);
    case ds_Holder: {
        const TPlotHolder* holder =
            FindComponent<TPlotHolder>([&](const TPlotHolder& h) { return h.ID() == info; });
        if (!holder) return nullptr;
        return std::make_unique<TTxtSupplier>(holder->data(), format);
    }
    case ds_DataSourceComponent: {
        TDataSource* source = FindComponent<TDataSource>(
            [&](const TDataSource& s) { return s.objectName() == info; });
        if (!source) return nullptr;
        return TDBSupplier::FromDataSet(source->DataSet());
    }
    case ds_Table:
    case ds_Query: {
        const qsizetype colon = info.indexOf(QLatin1Char(':'));
        if (colon < 1) return nullptr;
        return TDBSupplier::Open(info.left(colon), info.mid(colon + 1), kind == ds_Table);
    }
    default:
        return nullptr;
    }
}

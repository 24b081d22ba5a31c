#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

// A non-visual component that keeps text rows for series whose source kind
// is a holder; a series names it by ID. The series reads the rows with its
// own separators and quote characters; the holder's are only kept here.
class TPlotHolder : public QObject {
    Q_OBJECT
    // Shown and entered with the letter "T" standing for the first tab.
    Q_PROPERTY(QString Textseparators READ Textseparators WRITE SetTextseparators)
    Q_PROPERTY(QString TextMarkers READ TextMarkers WRITE SetTextMarkers)
    Q_PROPERTY(QStringList data READ data WRITE setData)
    Q_PROPERTY(int XPaddingPolicy READ XPaddingPolicy WRITE SetXPaddingPolicy)
    Q_PROPERTY(int YPaddingPolicy READ YPaddingPolicy WRITE SetYPaddingPolicy)
    Q_PROPERTY(int XPadCount READ XPadCount WRITE SetXPadCount)
    Q_PROPERTY(int YPadCount READ YPadCount WRITE SetYPadCount)
    Q_PROPERTY(QString ID READ ID WRITE SetID)

public:
    explicit TPlotHolder(QObject* parent = nullptr);

    QString Textseparators() const;
    void SetTextseparators(const QString& shown);
    // The separator characters themselves, tab included.
    QString Separators() const { return separators_; }
    QString TextMarkers() const { return markers_; }
    void SetTextMarkers(const QString& v) { markers_ = v; }
    QStringList data() const { return data_; }
    // Always fires OnChange.
    void setData(const QStringList& lines);
    int XPaddingPolicy() const { return xPaddingPolicy_; }
    void SetXPaddingPolicy(int v) { xPaddingPolicy_ = v; }
    int YPaddingPolicy() const { return yPaddingPolicy_; }
    void SetYPaddingPolicy(int v) { yPaddingPolicy_ = v; }
    int XPadCount() const { return xPadCount_; }
    void SetXPadCount(int v) { xPadCount_ = v; }
    int YPadCount() const { return yPadCount_; }
    void SetYPadCount(int v) { yPadCount_ = v; }
    QString ID() const { return id_; }
    void SetID(const QString& v) { id_ = v; }

    std::function<void(QObject* sender)> OnChange;

private:
    QString separators_ = QStringLiteral("\t,");
    QString markers_ = QStringLiteral("'\"");
    QStringList data_;
    int xPaddingPolicy_ = 1;
    int yPaddingPolicy_ = 1;
    int xPadCount_ = 2;
    int yPadCount_ = 10;
    QString id_;
};

#pragma once

#include "TWinMinMaxInfo.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>

#include <exception>
#include <functional>
#include <memory>

class IniFile;
class QWidget;

// Remembers a window's placement (normal rectangle, minimized and maximized
// positions, show state) in a settings file: restores it when the window is
// shown and saves it when the window closes or is destroyed. Made with the
// window as its parent, it watches the window's show and close events and its
// destruction; the window's code never calls it.
class TFormPlacement : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QString IniFileName READ IniFileName WRITE SetIniFileName)
    Q_PROPERTY(QString IniSection READ IniSection WRITE SetIniSection)
    Q_PROPERTY(TWinMinMaxInfo* MinMaxInfo READ MinMaxInfo CONSTANT)
    Q_PROPERTY(TPlacementOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(bool PreventResize READ PreventResize WRITE SetPreventResize)
    Q_PROPERTY(bool UseRegistry READ UseRegistry WRITE SetUseRegistry)
public:
    enum TPlacementOption { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    Q_FLAG(TPlacementOptions)

    explicit TFormPlacement(QObject* owner);
    ~TFormPlacement() override;

    bool Active() const { return active_; }
    void SetActive(bool value) { active_ = value; }
    // Settings file; empty means the program's file name with ".INI". In
    // registry mode the key below the user's root.
    QString IniFileName() const { return iniFileName_; }
    void SetIniFileName(const QString& value) { iniFileName_ = value; }
    // Section; empty means the window's class name.
    QString IniSection() const { return iniSection_; }
    void SetIniSection(const QString& value) { iniSection_ = value; }
    TWinMinMaxInfo* MinMaxInfo() const { return minMaxInfo_; }
    void SetMinMaxInfo(const TWinMinMaxInfo& value) { minMaxInfo_->Assign(value); }
    TPlacementOptions Options() const { return options_; }
    void SetOptions(TPlacementOptions value) { options_ = value; }
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool value);
    bool UseRegistry() const { return useRegistry_; }
    void SetUseRegistry(bool value) { useRegistry_ = value; }

    // The file and section actually used.
    QString DefaultIniFileName() const;
    QString DefaultSection() const;
    QString EffectiveIniFileName() const;
    QString EffectiveSection() const;
    // The file that stands in for the registry (registry mode only).
    static QString RegistryFileName();

    // The window whose placement is kept, or nullptr when the owner is none.
    QWidget* Form() const;

    // Finishes set-up once the window's contents exist; runs by itself before
    // the first restore when the window's code does not call it.
    virtual void Loaded();

    // What showing and closing the window do. Save does nothing until a
    // restore has run, so a window closed without being shown never
    // overwrites the file. Both raise EIniFileException when the file cannot
    // be written.
    void SaveFormPlacement();
    void RestoreFormPlacement();

    std::function<void(TFormPlacement* sender)> OnSavePlacement;
    std::function<void(TFormPlacement* sender)> OnRestorePlacement;
    // Errors of the automatic save and restore; they never stop the window
    // from showing or closing. Unassigned, they go to the Qt warning log.
    std::function<void(const std::exception& error)> OnError;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Called while the settings file is open, after the placement.
    virtual void SaveStored() {}
    virtual void RestoreStored() {}

    // The open settings file, during a save or restore only.
    QString ReadStoreString(const QString& section, const QString& key, const QString& def) const;
    void WriteStoreString(const QString& section, const QString& key, const QString& value);
    void EraseStoreSection(const QString& section);

    // The section of this save or restore. While the window is being
    // destroyed its class is no longer its own, so the section of the last
    // restore is used.
    QString CurrentSection() const;

    bool restored_ = false;

private:
    void Save();
    void Restore();
    void WritePlacement();
    void ReadPlacement(bool restorePosition, bool restoreState);
    void AdjustPlacement();
    void UpdateHook();
    void ApplyLimits();
    void FormDestroyed();
    void Report(const std::exception& error) const;
    bool Working() const { return active_ && !changingIcons_; }
    QString StoreSection(const QString& section) const;

    QObject* owner_; // the parent it was made with; it outlives this child
    bool active_ = true;
    QString iniFileName_;
    QString iniSection_;
    TWinMinMaxInfo* minMaxInfo_;
    TPlacementOptions options_;
    bool preventResize_ = false;
    bool useRegistry_ = false;

    QString restoredSection_;
    bool loaded_ = false;
    bool saved_ = false;
    bool destroying_ = false;
    bool changingIcons_ = false;
    bool inClose_ = false;
    bool shownRestored_ = false; // the first show has restored; later shows do not
    std::unique_ptr<IniFile> file_;

    bool hookActive_ = false;
    QSize designMinimum_, designMaximum_;
    bool hadMaximizeButton_ = true;
    QPoint minPosition_{-1, -1};
    QPoint maxPosition_{-1, -1};
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)

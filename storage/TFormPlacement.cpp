#include "TFormPlacement.h"

#include "IniFile.h"
#include "TPropsStorage.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

const QString kFlags = QStringLiteral("Flags");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");
const QString kActiveControl = QStringLiteral("ActiveControl");
const QString kVisible = QStringLiteral("Visible");

// Show commands of a stored placement.
constexpr int kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3;

QWidget* AsWindow(QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->isWindow() ? widget : nullptr;
}

QScreen* ScreenOf(const QWidget* w) {
    return w->screen();
}

int PixelsPerInch(const QWidget* w) {
    return qRound(ScreenOf(w)->logicalDotsPerInch());
}

QString ScreenSuffix(const QWidget* w) {
    const QSize size = ScreenOf(w)->size();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

QString FourNumbers(int a, int b, int c, int d) {
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// Words 1 to 4 of a position text; a missing or non-numeric word keeps its default.
void ReadFourNumbers(const QString& text, int (&values)[4]) {
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    for (int i = 0; i < 4 && i < words.size(); ++i) {
        bool ok = false;
        const int v = words[i].toInt(&ok);
        if (ok) values[i] = v;
    }
}

// The least a restored window is given where its own layout asks for less.
constexpr QSize kSmallestUsable(120, 80);

// A stored rectangle from another screen layout or a damaged file must not
// put the window out of reach or make it unusable. It is sized to fit the
// available area of the screen it overlaps most (the window's own screen when
// it overlaps none), and moved into that area unless it lies within it.
QRect OnScreen(const QRect& stored, const QWidget* form) {
    QScreen* best = nullptr;
    qint64 bestOverlap = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(stored);
        const qint64 overlap = qint64(common.width()) * common.height();
        if (overlap > bestOverlap) {
            best = screen;
            bestOverlap = overlap;
        }
    }
    // The frame belongs on the screen too, where the window system has told
    // its size already.
    const QRect inner = form->geometry(), outer = form->frameGeometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QRect area = (best ? best : ScreenOf(form))->availableGeometry().marginsRemoved(frame);
    const QSize usable =
        kSmallestUsable.expandedTo(form->minimumSizeHint()).expandedTo(form->minimumSize());
    const QSize size = stored.size().expandedTo(usable).boundedTo(area.size());
    QRect placed(stored.topLeft(), size);
    if (!area.contains(placed)) {
        placed.moveTo(std::clamp(placed.left(), area.left(), area.right() + 1 - size.width()),
                      std::clamp(placed.top(), area.top(), area.bottom() + 1 - size.height()));
    }
    return placed;
}

} // namespace

TFormPlacement::TFormPlacement(QObject* owner)
    : QObject(owner), owner_(owner), minMaxInfo_(new TWinMinMaxInfo(this)) {
    minMaxInfo_->setObjectName(QStringLiteral("MinMaxInfo"));
    minMaxInfo_->OnChange = [this] {
        AdjustPlacement();
        UpdateHook();
    };
    if (QWidget* form = Form()) {
        options_ = TPlacementOptions(fpState | fpPosition);
        hadMaximizeButton_ = form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint) ||
                             !form->windowFlags().testFlag(Qt::CustomizeWindowHint);
        form->installEventFilter(this);
        connect(form, &QObject::destroyed, this, [this] { FormDestroyed(); });
    }
}

TFormPlacement::~TFormPlacement() {
    file_.reset();
    if (QWidget* form = Form()) {
        form->removeEventFilter(this);
        preventResize_ = false;
        minMaxInfo_->OnChange = nullptr;
        if (hookActive_) {
            form->setMinimumSize(designMinimum_);
            form->setMaximumSize(designMaximum_);
        }
    }
}

QWidget* TFormPlacement::Form() const {
    return AsWindow(owner_);
}

QString TFormPlacement::DefaultIniFileName() const {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    if (useRegistry_) return QStringLiteral("Software\\") + exe.completeBaseName();
    return exe.completeBaseName() + QStringLiteral(".INI");
}

QString TFormPlacement::DefaultSection() const {
    QObject* owner = owner_;
    if (!owner) return QString();
    if (AsWindow(owner)) return QString::fromLatin1(owner->metaObject()->className());
    if (auto* control = qobject_cast<QWidget*>(owner)) {
        QWidget* window = control->window();
        const QString head = window ? QString::fromLatin1(window->metaObject()->className())
                                    : control->parent()->objectName();
        return head + control->objectName();
    }
    for (QObject* p = owner->parent(); p; p = p->parent())
        if (QWidget* window = AsWindow(p))
            return QStringLiteral("%1.%2").arg(
                QString::fromLatin1(window->metaObject()->className()), owner->objectName());
    return owner->objectName();
}

QString TFormPlacement::EffectiveIniFileName() const {
    return iniFileName_.isEmpty() ? DefaultIniFileName() : iniFileName_;
}

QString TFormPlacement::EffectiveSection() const {
    return iniSection_.isEmpty() ? DefaultSection() : iniSection_;
}

QString TFormPlacement::CurrentSection() const {
    return destroying_ && !restoredSection_.isEmpty() ? restoredSection_ : EffectiveSection();
}

QString TFormPlacement::RegistryFileName() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/registry.ini");
}

QString TFormPlacement::StoreSection(const QString& section) const {
    return useRegistry_ ? EffectiveIniFileName() + QLatin1Char('\\') + section : section;
}

QString TFormPlacement::ReadStoreString(const QString& section, const QString& key,
                                        const QString& def) const {
    if (!file_) return def;
    return QString::fromStdString(file_->ReadString(StoreSection(section).toStdString(),
                                                    key.toStdString(), def.toStdString()));
}

void TFormPlacement::WriteStoreString(const QString& section, const QString& key,
                                      const QString& value) {
    if (file_)
        file_->WriteString(StoreSection(section).toStdString(), key.toStdString(),
                           value.toStdString());
}

void TFormPlacement::EraseStoreSection(const QString& section) {
    if (file_) file_->EraseSection(StoreSection(section).toStdString());
}

void TFormPlacement::Loaded() {
    loaded_ = true;
    UpdateHook();
}

void TFormPlacement::SetPreventResize(bool value) {
    QWidget* form = Form();
    if (value == preventResize_ || !form) return;
    preventResize_ = value;
    AdjustPlacement();
    // Changing window flags hides the window; showing it again must not
    // restore or save anything.
    changingIcons_ = true;
    const bool visible = form->isVisible();
    form->setWindowFlag(Qt::WindowMaximizeButtonHint, !value && hadMaximizeButton_);
    if (visible) form->show();
    changingIcons_ = false;
    UpdateHook();
}

void TFormPlacement::Report(const std::exception& error) const {
    if (OnError)
        OnError(error);
    else
        qWarning("%s", error.what());
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
    QWidget* form = Form();
    if (watched != form || !form) return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!loaded_) Loaded();
        // Un-minimising shows the window again: what the user chose since the
        // first show stays, and a stored minimized state is not applied anew.
        if (Working() && !shownRestored_) {
            shownRestored_ = true;
            try {
                RestoreFormPlacement();
            } catch (const std::exception& error) {
                Report(error);
            }
        }
        if (hookActive_) ApplyLimits();
        return false;
    case QEvent::Close: {
        if (inClose_) return false;
        // The window's own close handling decides first whether it may close.
        inClose_ = true;
        QCoreApplication::sendEvent(form, event);
        inClose_ = false;
        if (event->isAccepted() && Working() && form->windowHandle()) {
            try {
                SaveFormPlacement();
            } catch (const std::exception& error) {
                Report(error);
            }
        }
        return true;
    }
    default:
        return false;
    }
}

void TFormPlacement::FormDestroyed() {
    if (!Working() || saved_) return;
    destroying_ = true;
    try {
        SaveFormPlacement();
    } catch (const std::exception& error) {
        Report(error);
    }
    destroying_ = false;
}

void TFormPlacement::SaveFormPlacement() {
    if (!restored_) return;
    Save();
}

void TFormPlacement::RestoreFormPlacement() {
    Restore();
}

namespace {
// The settings file is open for one save or restore only.
struct FileScope {
    FileScope(std::unique_ptr<IniFile>& slot, const QString& name) : slot(slot) {
        slot = std::make_unique<IniFile>(name.toStdString());
    }
    ~FileScope() { slot.reset(); }
    std::unique_ptr<IniFile>& slot;
};
} // namespace

void TFormPlacement::Save() {
    QString name = EffectiveIniFileName();
    if (useRegistry_) {
        name = RegistryFileName();
        QDir().mkpath(QFileInfo(name).absolutePath());
    }
    FileScope scope(file_, name);
    if (QWidget* form = Form()) {
        WritePlacement();
        if (options_.testFlag(fpActiveControl) && form->focusWidget() &&
            !form->focusWidget()->objectName().isEmpty())
            WriteStoreString(CurrentSection(), kActiveControl, form->focusWidget()->objectName());
        WriteStoreString(CurrentSection(), kVisible, destroying_ ? "1" : "0");
    }
    SaveStored();
    file_->UpdateFile();
    if (OnSavePlacement) OnSavePlacement(this);
    saved_ = true;
}

void TFormPlacement::Restore() {
    saved_ = false;
    restoredSection_ = EffectiveSection();
    FileScope scope(file_, useRegistry_ ? RegistryFileName() : EffectiveIniFileName());
    if (!file_->ReadError().empty())
        throw EIniFileException(
            FormatMessage("Cannot read %s: %s", {file_->FileName(), file_->ReadError()}));
    QWidget* form = Form();
    if (form) ReadPlacement(options_.testFlag(fpPosition), options_.testFlag(fpState));
    RestoreStored();
    restored_ = true;
    if (OnRestorePlacement) OnRestorePlacement(this);
    if (form && options_.testFlag(fpActiveControl)) {
        const QString name = ReadStoreString(EffectiveSection(), kActiveControl, QString());
        auto* control = qobject_cast<QWidget*>(FindComponent(form, name));
        if (control && control->focusPolicy() != Qt::NoFocus && control->isEnabled())
            control->setFocus();
    }
    AdjustPlacement();
}

void TFormPlacement::WritePlacement() {
    QWidget* form = Form();
    const QString section = CurrentSection();
    const Qt::WindowStates state = form->windowState();
    const bool minimized = state.testFlag(Qt::WindowMinimized);
    const bool maximized = state.testFlag(Qt::WindowMaximized);
    QRect normal = form->geometry();
    if ((minimized || maximized || state.testFlag(Qt::WindowFullScreen)) &&
        form->normalGeometry().isValid())
        normal = form->normalGeometry();
    // A window minimized from the maximized state comes back maximized.
    const int flags = minimized && maximized ? 2 : 0;
    const int showCmd = minimized ? kShowMinimized : maximized ? kShowMaximized : kShowNormal;
    const QString minMax =
        FourNumbers(minPosition_.x(), minPosition_.y(), maxPosition_.x(), maxPosition_.y());
    const QString norm = FourNumbers(normal.left(), normal.top(), normal.left() + normal.width(),
                                     normal.top() + normal.height());
    const QString suffix = ScreenSuffix(form);
    WriteStoreString(section, kFlags, QString::number(flags));
    WriteStoreString(section, kShowCmd, QString::number(showCmd));
    WriteStoreString(section, kPixelsPerInch, QString::number(PixelsPerInch(form)));
    WriteStoreString(section, kMinMaxPos + suffix, minMax);
    WriteStoreString(section, kMinMaxPos, minMax);
    WriteStoreString(section, kNormPos + suffix, norm);
    WriteStoreString(section, kNormPos, norm);
}

void TFormPlacement::ReadPlacement(bool restorePosition, bool restoreState) {
    if (!restorePosition && !restoreState) return;
    QWidget* form = Form();
    const QString section = EffectiveSection();
    const auto readInt = [&](const QString& key, int def) {
        int value = def;
        return TryTextToInt(ReadStoreString(section, key, QString()).trimmed().toStdString(), value)
                   ? value
                   : def;
    };
    // The key for this screen size first, then the one for any screen.
    const auto readPosition = [&](const QString& key) {
        QString text = ReadStoreString(section, key + ScreenSuffix(form), QString());
        return text.isEmpty() ? ReadStoreString(section, key, QString()) : text;
    };

    if (restorePosition) {
        readInt(kFlags, 0);
        const QString minMaxText = readPosition(kMinMaxPos);
        const QString normText = readPosition(kNormPos);
        int minMax[4] = {0, 0, 0, 0};
        ReadFourNumbers(minMaxText, minMax);
        const QRect current = form->geometry();
        int norm[4] = {current.left(), current.top(), current.left() + current.width(),
                       current.top() + current.height()};
        ReadFourNumbers(normText, norm);
        const int ppi = PixelsPerInch(form);
        if ((!minMaxText.isEmpty() || !normText.isEmpty()) && readInt(kPixelsPerInch, ppi) == ppi) {
            const bool sizeable = form->minimumSize() != form->maximumSize() && !preventResize_;
            if (!sizeable) {
                norm[2] = norm[0] + current.width();
                norm[3] = norm[1] + current.height();
            }
            if (norm[0] < norm[2]) {
                minPosition_ = QPoint(minMax[0], minMax[1]);
                maxPosition_ = QPoint(minMax[2], minMax[3]);
                const Qt::WindowStates state = form->windowState();
                if (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
                    form->setWindowState(Qt::WindowNoState);
                form->setGeometry(
                    OnScreen(QRect(norm[0], norm[1], norm[2] - norm[0], norm[3] - norm[1]), form));
                if (state != form->windowState()) form->setWindowState(state);
            }
        }
    }

    if (restoreState) {
        Qt::WindowState state = Qt::WindowNoState;
        switch (readInt(kShowCmd, 0)) {
        case 2:
        case 6:
        case 7:
            state = Qt::WindowMinimized;
            break;
        case 3:
            state = Qt::WindowMaximized;
            break;
        default:
            break;
        }
        const Qt::WindowStates others =
            form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
        if (state == Qt::WindowMinimized && !form->parentWidget()) {
            // The program's main window: it opens normal and then the whole
            // program goes to the task bar, once the show has finished.
            form->setWindowState(others);
            QTimer::singleShot(0, form, [form] {
                form->setWindowState(form->windowState() | Qt::WindowMinimized);
            });
        } else {
            form->setWindowState(others | state);
        }
    }
}

void TFormPlacement::AdjustPlacement() {
    QWidget* form = Form();
    if (!form || !form->windowHandle() || preventResize_ || !minMaxInfo_->DefaultMinMaxInfo())
        return;
    // A maximized window keeps its frame just outside the screen.
    const QRect inner = form->geometry();
    const QRect outer = form->frameGeometry();
    maxPosition_ = QPoint(outer.left() - inner.left(), inner.bottom() - outer.bottom());
}

void TFormPlacement::UpdateHook() {
    QWidget* form = Form();
    if (!form) return;
    const bool active = preventResize_ || !minMaxInfo_->DefaultMinMaxInfo();
    if (active && !hookActive_) {
        designMinimum_ = form->minimumSize();
        designMaximum_ = form->maximumSize();
    }
    if (!active && hookActive_) {
        form->setMinimumSize(designMinimum_);
        form->setMaximumSize(designMaximum_);
    }
    hookActive_ = active;
    if (active) ApplyLimits();
}

void TFormPlacement::ApplyLimits() {
    QWidget* form = Form();
    if (preventResize_) {
        if (form->isVisible() || form->testAttribute(Qt::WA_WState_Visible) || form->windowHandle())
            form->setFixedSize(form->size());
        return;
    }
    const TWinMinMaxInfo& m = *minMaxInfo_;
    const auto pick = [](int limit, int design) { return limit ? limit : design; };
    form->setMinimumSize(pick(m.MinTrackWidth(), designMinimum_.width()),
                         pick(m.MinTrackHeight(), designMinimum_.height()));
    form->setMaximumSize(pick(m.MaxTrackWidth(), designMaximum_.width()),
                         pick(m.MaxTrackHeight(), designMaximum_.height()));
}

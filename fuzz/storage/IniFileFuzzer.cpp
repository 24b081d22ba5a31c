// Reads arbitrary bytes as a settings file, loads component properties from
// it, then writes into it and checks that what was written reads back and
// that nothing else changed.
#include "IniFile.h"
#include "TPropsStorage.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

class TFuzzTarget : public QObject {
    Q_OBJECT
public:
    enum TMode { md_Off, md_On };
    Q_ENUM(TMode)
    enum TFlag { fA = 1, fB = 2 };
    Q_DECLARE_FLAGS(TFlags, TFlag)
    Q_FLAG(TFlags)
    Q_PROPERTY(int Number MEMBER Number)
    Q_PROPERTY(bool Checked MEMBER Checked)
    Q_PROPERTY(TMode Mode MEMBER Mode)
    Q_PROPERTY(TFlags Flags READ GetFlags WRITE SetFlags)
    Q_PROPERTY(double Value MEMBER Value)
    Q_PROPERTY(QChar Letter MEMBER Letter)
    Q_PROPERTY(QString Text MEMBER Text)
    Q_PROPERTY(QVariant Any MEMBER Any)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(QObject* Buddy MEMBER Buddy)
public:
    TFlags GetFlags() const { return Flags; }
    void SetFlags(TFlags f) { Flags = f; }
    int Number = 1;
    bool Checked = false;
    TMode Mode = md_Off;
    TFlags Flags;
    double Value = 0.5;
    QChar Letter = QLatin1Char('a');
    QString Text;
    QVariant Any;
    QStringList Lines;
    QObject* Buddy = nullptr;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    IniFile ini("fuzz.ini", text);
    if (ini.Text() != text) std::abort(); // reading changes nothing

    for (const std::string& section : ini.ReadSections())
        for (const std::string& key : ini.ReadSection(section)) {
            if (!ini.ValueExists(section, key)) std::abort();
            ini.ReadInteger(section, key, 0);
        }

    QObject root;
    auto* target = new TFuzzTarget;
    target->setParent(&root);
    target->setObjectName(QStringLiteral("T"));
    TPropsStorage storage;
    storage.Section = QStringLiteral("F");
    storage.OnReadString = [&](const QString& s, const QString& k, const QString& d) {
        return QString::fromStdString(
            ini.ReadString(s.toStdString(), k.toStdString(), d.toStdString()));
    };
    TStoredPropList entries;
    for (const char* name :
         {"Number", "Checked", "Mode", "Flags", "Value", "Letter", "Text", "Any", "Lines", "Buddy"})
        entries.append({QStringLiteral("T.") + QLatin1String(name), nullptr});
    ResolveStoredProps(&root, entries);
    storage.LoadObjectsProps(&root, entries);

    // A write into the first section (or a new one) reads back, and every
    // other key keeps its value.
    const auto sections = ini.ReadSections();
    const std::string section = sections.empty() ? "New" : sections.front();
    const std::string value = text.substr(0, 40);
    ini.WriteString(section, "FuzzKey", value);
    IniFile again("fuzz.ini", ini.Text());
    std::string expected = value;
    for (char& c : expected)
        if (c == '\r' || c == '\n') c = ' ';
    const std::string got = again.ReadString(section, "FuzzKey", "<none>");
    // Reading trims the blanks around every value, so only a value without
    // them must come back as it was.
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const bool padded =
        !expected.empty() && (isBlank(expected.front()) || isBlank(expected.back()));
    if (!padded && got != expected) std::abort();
    for (const std::string& s : sections)
        for (const std::string& key : ini.ReadSection(s)) {
            std::string folded = key;
            for (char& c : folded)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (folded != "fuzzkey" && again.ReadString(s, key, "") != ini.ReadString(s, key, ""))
                std::abort();
        }
    return 0;
}

#include "IniFileFuzzer.moc"

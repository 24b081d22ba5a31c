#include "TPropsStorage.h"
#include "FloatText.h"
#include "IniFile.h"
#include "TCollection.h"

#include <QCheckBox>
#include <QObject>
#include <QVariant>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// Small components with one property of every kind the conversion knows.
class TFontLike : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Color MEMBER Color)
    Q_PROPERTY(QString Name MEMBER Name)
public:
    using QObject::QObject;
    int Color = 0;
    QString Name;
};

class TSample : public QObject {
    Q_OBJECT
public:
    enum TShape { sh_Square, sh_Circle, sh_Cross = 7 };
    Q_ENUM(TShape)
    enum TOption { opA = 1, opB = 2, opC = 4, opAB = 3 };
    Q_DECLARE_FLAGS(TOptions, TOption)
    Q_FLAG(TOptions)

    Q_PROPERTY(int Number MEMBER Number)
    Q_PROPERTY(uint Colour MEMBER Colour)
    Q_PROPERTY(char Letter MEMBER Letter)
    Q_PROPERTY(QChar Wide MEMBER Wide)
    Q_PROPERTY(bool Checked MEMBER Checked)
    Q_PROPERTY(TShape Shape MEMBER Shape)
    Q_PROPERTY(TOptions Options READ GetOptions WRITE SetOptions)
    Q_PROPERTY(double Value MEMBER Value)
    Q_PROPERTY(float Single MEMBER Single)
    Q_PROPERTY(QString Text MEMBER Text)
    Q_PROPERTY(QByteArray Bytes MEMBER Bytes)
    Q_PROPERTY(QVariant Any MEMBER Any)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(TSample* Buddy MEMBER Buddy)
    Q_PROPERTY(TFontLike* Font MEMBER Font)
    Q_PROPERTY(TCollection* Items MEMBER Items)
    Q_PROPERTY(int Strict READ Strict WRITE SetStrict)

    explicit TSample(QObject* parent = nullptr, const QString& name = {}) : QObject(parent) {
        setObjectName(name);
    }
    TOptions GetOptions() const { return Options; }
    void SetOptions(TOptions v) { Options = v; }
    int Strict() const { return strict; }
    void SetStrict(int v) {
        if (v < 0) throw Exception("negative");
        strict = v;
    }

    int Number = 5;
    uint Colour = 0x80000005u;
    char Letter = 'x';
    QChar Wide = QChar(0x263A);
    bool Checked = false;
    TShape Shape = sh_Circle;
    TOptions Options = TOptions(opA) | opC;
    double Value = 0.1;
    float Single = 0.1f;
    QString Text = QStringLiteral("  padded  ");
    QByteArray Bytes = "bytes";
    QVariant Any = 42;
    QStringList Lines;
    TSample* Buddy = nullptr;
    TFontLike* Font = new TFontLike(this);
    TCollection* Items = new TCollection(this);
    int strict = 1;
};

namespace {

struct DecimalSeparatorScope {
    explicit DecimalSeparatorScope(char c) : saved(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~DecimalSeparatorScope() { SetDecimalSeparator(saved); }
    char saved;
};

// A form with components, and a storage working on an in-memory settings file.
struct Fixture : ::testing::Test {
    QWidget form;
    TSample* one = new TSample(&form, "One");
    TSample* two = new TSample(&form, "Two");
    std::unique_ptr<IniFile> ini = std::make_unique<IniFile>("mem.ini", "");
    TPropsStorage storage;

    Fixture() {
        form.setObjectName("Form1");
        storage.Section = "TForm1";
        storage.OnReadString = [this](const QString& s, const QString& k, const QString& d) {
            return QString::fromStdString(
                ini->ReadString(s.toStdString(), k.toStdString(), d.toStdString()));
        };
        storage.OnWriteString = [this](const QString& s, const QString& k, const QString& v) {
            ini->WriteString(s.toStdString(), k.toStdString(), v.toStdString());
        };
        storage.OnEraseSection = [this](const QString& s) { ini->EraseSection(s.toStdString()); };
    }
    static TStoredPropList Entries(QObject* root, const QStringList& texts) {
        TStoredPropList list;
        for (const QString& t : texts)
            list.append({t, nullptr});
        ResolveStoredProps(root, list);
        return list;
    }
    void Store(const QStringList& texts) {
        TStoredPropList list = Entries(&form, texts);
        storage.StoreObjectsProps(&form, list);
    }
    void Load(const QStringList& texts) {
        TStoredPropList list = Entries(&form, texts);
        storage.LoadObjectsProps(&form, list);
    }
    void Given(const std::string& text) { ini = std::make_unique<IniFile>("mem.ini", text); }
    std::string Key(const std::string& key, const std::string& section = "TForm1") {
        return ini->ReadString(section, key, "<missing>");
    }
};

TEST_F(Fixture, StoresEachKindInItsTextForm) {
    one->Buddy = two;
    Store({"One.Number", "One.Colour", "One.Letter", "One.Wide", "One.Checked", "One.Shape",
           "One.Options", "One.Value", "One.Single", "One.Text", "One.Bytes", "One.Any",
           "One.Buddy"});
    const std::pair<std::string, std::string> expected[] = {
        {"One_Number", "5"},          {"One_Colour", "-2147483643"}, {"One_Letter", "x"},
        {"One_Wide", "\u263A"},       {"One_Checked", "False"},      {"One_Shape", "sh_Circle"},
        {"One_Options", "[opA,opC]"}, {"One_Value", "0.1"},          {"One_Single", "0.1"},
        {"One_Text", "padded"},       {"One_Bytes", "bytes"},        {"One_Any", "42"},
        {"One_Buddy", "Two"}};
    for (const auto& [key, text] : expected)
        EXPECT_EQ(Key(key), text) << key;
}

TEST_F(Fixture, EmptyTextIsWrittenOnlyForStringKinds) {
    one->Text.clear();
    one->Shape = static_cast<TSample::TShape>(3); // a value without a name
    one->Letter = 0;
    Store({"One.Text", "One.Shape", "One.Letter", "One.Options"});
    EXPECT_EQ(Key("One_Text"), "");
    EXPECT_EQ(Key("One_Shape"), "<missing>");
    EXPECT_EQ(Key("One_Letter"), "<missing>");
    one->Options = {};
    Store({"One.Options"});
    EXPECT_EQ(Key("One_Options"), "[]");
}

TEST_F(Fixture, RoundTripRestoresEveryKind) {
    one->Number = -12;
    one->Colour = 255;
    one->Letter = 'Q';
    one->Wide = QChar(0x00E9);
    one->Checked = true;
    one->Shape = TSample::sh_Cross;
    one->Options = TSample::TOptions(TSample::opB);
    one->Value = 0.123456789012345;
    one->Single = 2.5e-7f;
    one->Text = "N1*(1-N1/K)";
    one->Bytes = "raw";
    one->Any = "text";
    one->Buddy = two;
    const QStringList all = {"One.Number", "One.Colour",  "One.Letter", "One.Wide",   "One.Checked",
                             "One.Shape",  "One.Options", "One.Value",  "One.Single", "One.Text",
                             "One.Bytes",  "One.Any",     "One.Buddy"};
    Store(all);
    auto* copy = new TSample(&form, "Copy");
    // The same text under the other component's keys.
    TStoredPropList list;
    for (QString e : all)
        list.append({e.replace("One.", "Copy."), nullptr});
    ResolveStoredProps(&form, list);
    std::string text = ini->Text();
    for (std::size_t at; (at = text.find("One_")) != std::string::npos;)
        text.replace(at, 4, "Copy_");
    Given(text);
    storage.LoadObjectsProps(&form, list);
    EXPECT_EQ(copy->Number, -12);
    EXPECT_EQ(copy->Colour, 255u);
    EXPECT_EQ(copy->Letter, 'Q');
    EXPECT_EQ(copy->Wide, QChar(0x00E9));
    EXPECT_TRUE(copy->Checked);
    EXPECT_EQ(copy->Shape, TSample::sh_Cross);
    EXPECT_EQ(copy->Options, TSample::TOptions(TSample::opB));
    EXPECT_EQ(copy->Value, 0.123456789012345);
    EXPECT_FLOAT_EQ(copy->Single, 2.5e-7f);
    EXPECT_EQ(copy->Text, "N1*(1-N1/K)");
    EXPECT_EQ(copy->Bytes, "raw");
    EXPECT_EQ(copy->Any, QVariant("text"));
    EXPECT_EQ(copy->Buddy, two);
}

TEST_F(Fixture, LoadingBooleansEnumsAndIntegers) {
    Given("[TForm1]\nOne_Checked=tRuE\nTwo_Checked=yes\nOne_Shape=SH_CROSS\nTwo_Shape=sh_Star\n"
          "One_Number=abc\nOne_Strict=-3\nTwo_Strict=9\n");
    two->Checked = true;
    Load({"One.Checked", "Two.Checked", "One.Shape", "Two.Shape", "One.Number", "Two.Number",
          "One.Strict", "Two.Strict"});
    EXPECT_TRUE(one->Checked);
    EXPECT_TRUE(two->Checked); // not a Boolean name: unchanged
    EXPECT_EQ(one->Shape, TSample::sh_Cross);
    EXPECT_EQ(two->Shape, TSample::sh_Circle);
    EXPECT_EQ(one->Number, 0); // letters read as 0
    EXPECT_EQ(two->Number, 5); // a missing key leaves the value
    EXPECT_EQ(one->strict, 1); // the setter refused: swallowed, unchanged
    EXPECT_EQ(two->strict, 9); // and the next entry still loads
}

TEST_F(Fixture, FloatsUseAPointWhateverTheDecimalSeparator) {
    DecimalSeparatorScope comma(',');
    one->Value = 2.5;
    Store({"One.Value"});
    EXPECT_EQ(Key("One_Value"), "2.5");
    one->Value = 0;
    Load({"One.Value"});
    EXPECT_DOUBLE_EQ(one->Value, 2.5);
    Given("[TForm1]\nOne_Value=2,5x\n");
    Load({"One.Value"});
    EXPECT_DOUBLE_EQ(one->Value, 2.5); // not a number: unchanged
}

TEST_F(Fixture, SetsLoadExactlyTheNamedMembers) {
    Given("[TForm1]\nOne_Options=[ opb , bogus,OPC]\nTwo_Options=[]\n");
    Load({"One.Options", "Two.Options"});
    EXPECT_EQ(one->Options, TSample::TOptions(TSample::opB) | TSample::opC);
    EXPECT_EQ(two->Options, TSample::TOptions());
}

TEST_F(Fixture, TextLineListsLiveInTheirOwnSection) {
    one->Lines = {"first", "second"};
    Store({"One.Lines"});
    EXPECT_EQ(Key("Count", "TForm1.One_Lines"), "2");
    EXPECT_EQ(Key("Item1", "TForm1.One_Lines"), "second");
    EXPECT_EQ(Key("One_Lines"), "<missing>");
    one->Lines.clear();
    Load({"One.Lines"});
    EXPECT_EQ(one->Lines, QStringList({"first", "second"}));

    one->Lines.clear();
    Store({"One.Lines"});
    EXPECT_FALSE(ini->SectionExists("TForm1.One_Lines"));
    one->Lines = {"kept"};
    Load({"One.Lines"});
    EXPECT_EQ(one->Lines, QStringList({"kept"}));
    Given("[TForm1.One_Lines]\nCount=2000000000\n");
    Load({"One.Lines"});
    EXPECT_EQ(one->Lines, QStringList({"kept"}));
    Given("[TForm1.One_Lines]\nCount=3\nItem2=last\n");
    Load({"One.Lines"});
    EXPECT_EQ(one->Lines, QStringList({"", "", "last"}));
}

TEST_F(Fixture, NestedObjectsAndCollectionsUseConcatenatedPrefixes) {
    one->Font->Color = 255;
    auto* item0 = new TFontLike;
    auto* item1 = new TFontLike;
    item0->Color = 1;
    item1->Color = 2;
    one->Items->Add(item0);
    one->Items->Add(item1);
    Given("[TForm1.One_Items]\nStale=1\n");
    Store({"One.Font", "One.Items"});
    EXPECT_EQ(Key("One_FontColor"), "255");
    EXPECT_EQ(Key("One_FontName"), "");
    EXPECT_EQ(Key("Item1_Color", "TForm1.One_Items"), "2");
    EXPECT_EQ(Key("Stale", "TForm1.One_Items"), "<missing>");

    one->Font->Color = 0;
    item0->Color = item1->Color = 0;
    int updates = 0;
    one->Items->OnUpdate = [&](TCollection*) { ++updates; };
    Load({"One.Font", "One.Items"});
    EXPECT_EQ(one->Font->Color, 255);
    EXPECT_EQ(item0->Color, 1);
    EXPECT_EQ(item1->Color, 2);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(one->Items->Count(), 2);
}

TEST_F(Fixture, ComponentReferences) {
    QWidget other;
    other.setObjectName("Other");
    auto* far = new TSample(&other, "Far");
    one->Buddy = far;
    two->Buddy = nullptr;
    Store({"One.Buddy", "Two.Buddy"});
    EXPECT_EQ(Key("One_Buddy"), "Other.Far");
    EXPECT_EQ(Key("Two_Buddy"), "(null)");

    other.show(); // an open window is found by name
    Given("[TForm1]\nOne_Buddy=other.far\nTwo_Buddy=two\n");
    one->Buddy = nullptr;
    Load({"One.Buddy", "Two.Buddy"});
    EXPECT_EQ(one->Buddy, far);
    EXPECT_EQ(two->Buddy, two);

    Given("[TForm1]\nOne_Buddy=(NULL)\nTwo_Buddy=Nobody\n");
    Load({"One.Buddy", "Two.Buddy"});
    EXPECT_EQ(one->Buddy, nullptr);
    EXPECT_EQ(two->Buddy, nullptr);

    two->Buddy = one;
    Given("[TForm1]\nTwo_Buddy=NoWindow.One\n");
    Load({"Two.Buddy"});
    EXPECT_EQ(two->Buddy, one); // owner not found: unchanged
}

TEST_F(Fixture, EntriesAreCheckedAndKeptUpToDate) {
    TStoredPropList list = Entries(&form, {"One.Number", "NoDot", ".Number", "One. ", "Gone.Number",
                                           "Two.NoSuchProperty", " two . number "});
    ASSERT_EQ(list.size(), 3);
    one->setObjectName("Renamed");
    delete two;
    storage.StoreObjectsProps(&form, list);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].Text, "Renamed.Number");
    EXPECT_EQ(Key("Renamed_Number"), "5");
    EXPECT_EQ(storage.Root, nullptr);
}

// Qt spells the check box's property "checked"; the key follows the list.
TEST_F(Fixture, KeysAreSpeltAsTheListNamesThePropertyAndReadIgnoringCase) {
    auto* box = new QCheckBox(&form);
    box->setObjectName("Box");
    box->setChecked(true);
    const struct {
        const char* entry;
        const char* line;
    } cases[] = {
        {"Box.Checked", "Box_Checked=True"},
        {"Box.checked", "Box_checked=True"},
        {"box.CHECKED", "Box_CHECKED=True"},
        {"One.number", "One_number=5"},
    };
    for (const auto& c : cases) {
        Given("");
        Store({c.entry});
        EXPECT_EQ(ini->Text(), std::string("[TForm1]\n") + c.line + "\n") << c.entry;
    }
    Given("[TForm1]\nbox_CHECKED=false\n");
    Load({"Box.Checked"});
    EXPECT_FALSE(box->isChecked());
}

TEST(TPropInfoList, ListsStorablePropertiesAndFindsIgnoringCase) {
    TSample sample;
    TPropInfoList all(&sample, tkProperties);
    EXPECT_EQ(all.Count(), 17);
    ASSERT_NE(all.Find("checked"), nullptr);
    EXPECT_EQ(all.Find("CHECKED")->Kind, tkEnumeration);
    EXPECT_EQ(all.Find("Options")->Kind, tkSet);
    EXPECT_EQ(all.Find("Lines")->Kind, tkClass);
    EXPECT_EQ(all.Find("objectName"), nullptr);
    EXPECT_EQ(all.Find("Missing"), nullptr);
    TPropInfoList floats(&sample, KindBit(tkFloat));
    EXPECT_EQ(floats.Count(), 2);
}

} // namespace

#include "TPropsStorageTest.moc"

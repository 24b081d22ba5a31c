#include "TFormStorage.h"
#include "IniFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include <unistd.h>

// A window like the program's main one: a colour button and check boxes,
// and a form storage on "Tarnivell.ini".
class TColorButtonLike : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Color MEMBER Color)
public:
    using QWidget::QWidget;
    int Color = 255;
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(const QString& iniFile) {
        setObjectName("Form1");
        button->setObjectName("ColorButton1");
        check->setObjectName("CheckBox1");
        edit->setObjectName("Edit1");
        storage->setObjectName("FormStorage1");
        storage->SetIniFileName(iniFile);
        storage->SetStoredProps({"ColorButton1.Color", "CheckBox1.Checked"});
        // The handler may run while the window is being destroyed, so it
        // reports to a list that outlives the window.
        storage->OnError = [list = errors](const std::exception& e) { *list << e.what(); };
        resize(300, 200);
    }
    bool mayClose = true;
    TColorButtonLike* button = new TColorButtonLike(this);
    QCheckBox* check = new QCheckBox(this);
    QLineEdit* edit = new QLineEdit(this);
    TFormStorage* storage = new TFormStorage(this);
    std::shared_ptr<QStringList> errors = std::make_shared<QStringList>();

protected:
    void closeEvent(QCloseEvent* e) override { e->setAccepted(mayClose); }
};

namespace {

struct FormStorageFiles : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath("Tarnivell.ini");
    std::string file = path.toStdString();

    void Put(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    std::string Get() {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Read(const std::string& key) {
        return ReadProfileString(file, "TForm1", key, "<none>");
    }
    static QString Suffix() {
        const QSize s = QGuiApplication::primaryScreen()->size();
        return QStringLiteral("(%1x%2)").arg(s.width()).arg(s.height());
    }
    static int Ppi() { return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()); }
};

TEST_F(FormStorageFiles, FirstRunWritesEveryKeyOnClose) {
    TForm1 form(path);
    int saves = 0;
    form.storage->OnSavePlacement = [&](TFormPlacement*) { ++saves; };
    form.show();
    form.button->Color = 32768;
    form.check->setChecked(true);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(saves, 1);
    const QRect g = form.geometry();
    const std::string norm = QStringLiteral("%1,%2,%3,%4")
                                 .arg(g.left())
                                 .arg(g.top())
                                 .arg(g.right() + 1)
                                 .arg(g.bottom() + 1)
                                 .toStdString();
    EXPECT_EQ(Read("Flags"), "0");
    EXPECT_EQ(Read("ShowCmd"), "1");
    EXPECT_EQ(Read("PixelsPerInch"), std::to_string(Ppi()));
    EXPECT_EQ(Read("NormPos"), norm);
    EXPECT_EQ(Read(("NormPos" + Suffix()).toStdString()), norm);
    EXPECT_EQ(Read("MinMaxPos"), Read(("MinMaxPos" + Suffix()).toStdString()));
    EXPECT_NE(Read("MinMaxPos"), "<none>");
    EXPECT_EQ(Read("Visible"), "0");
    EXPECT_EQ(Read("ColorButton1_Color"), "32768");
    // Spelt as the stored-property list names it, not as Qt does ("checked").
    EXPECT_NE(Get().find("\nCheckBox1_Checked=True\n"), std::string::npos) << Get();
    EXPECT_EQ(Get().rfind("[TForm1]\nFlags=0\nShowCmd=1\nPixelsPerInch=", 0), 0u);
    EXPECT_TRUE(form.errors->isEmpty());
}

TEST_F(FormStorageFiles, ShowRestoresPlacementAndPropertiesFromThisScreensKeys) {
    Put("[Other]\nkeep=1\n[TForm1]\nPixelsPerInch=" + std::to_string(Ppi()) + "\nNormPos" +
        Suffix().toStdString() +
        "=20,30,420,330\nNormPos=1,1,50,50\nShowCmd=1\n"
        "ColorButton1_Color=-2147483633\nCheckBox1_Checked=TRUE\nMine=yes\n");
    TForm1 form(path);
    int restores = 0;
    form.storage->OnRestorePlacement = [&](TFormPlacement*) { ++restores; };
    form.show();
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(form.geometry(), QRect(20, 30, 400, 300));
    EXPECT_EQ(form.button->Color, -2147483633);
    EXPECT_TRUE(form.check->isChecked());
    form.close();
    EXPECT_EQ(ReadProfileString(file, "Other", "keep", ""), "1");
    EXPECT_EQ(Read("Mine"), "yes");
}

TEST_F(FormStorageFiles, AnotherScreenSizeUsesThePlainKeys) {
    Put("[TForm1]\nNormPos(1x1)=0,0,10,10\nNormPos=40,50,240,150\nPixelsPerInch=" +
        std::to_string(Ppi()) + "\n");
    TForm1 form(path);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(40, 50, 200, 100));
}

TEST_F(FormStorageFiles, MissingNumbersKeepTheCurrentEdges) {
    Put("[TForm1]\nNormPos=40 oops\n");
    TForm1 form(path);
    form.setGeometry(10, 20, 300, 200); // on the screen, frame and all
    const QRect before = form.geometry();
    form.show();
    EXPECT_EQ(form.geometry(), QRect(40, before.top(), before.right() + 1 - 40, before.height()));
}

TEST_F(FormStorageFiles, OtherPixelDensityKeepsPositionButRestoresStateAndProperties) {
    Put("[TForm1]\nPixelsPerInch=" + std::to_string(Ppi() + 24) +
        "\nNormPos=40,50,240,150\nShowCmd=3\nCheckBox1_Checked=True\n");
    TForm1 form(path);
    const QRect before = form.geometry();
    form.show();
    EXPECT_TRUE(form.isMaximized());
    EXPECT_TRUE(form.check->isChecked());
    EXPECT_EQ(form.normalGeometry().size(), before.size());
}

TEST_F(FormStorageFiles, ShowCmdTwoMinimizesAfterShowing) {
    Put("[TForm1]\nShowCmd=2\n");
    TForm1 form(path);
    form.show();
    EXPECT_FALSE(form.isMinimized());
    for (int i = 0; i < 10 && !form.isMinimized(); ++i)
        QApplication::processEvents();
    EXPECT_TRUE(form.isMinimized());
}

TEST_F(FormStorageFiles, RestoreRunsOnceOnTheFirstShow) {
    Put("[TForm1]\nColorButton1_Color=255\nCheckBox1_Checked=True\n");
    TForm1 form(path);
    int restores = 0;
    form.storage->OnRestorePlacement = [&](TFormPlacement*) { ++restores; };
    form.show();
    ASSERT_EQ(restores, 1);
    ASSERT_TRUE(form.check->isChecked());
    form.check->setChecked(false);
    form.button->Color = 65280;
    // Minimised and brought back, or hidden and shown again.
    form.showMinimized();
    form.showNormal();
    form.hide();
    form.show();
    EXPECT_EQ(restores, 1);
    EXPECT_FALSE(form.check->isChecked());
    EXPECT_EQ(form.button->Color, 65280);
    form.close();
    EXPECT_EQ(Read("CheckBox1_Checked"), "False");
    EXPECT_EQ(Read("ColorButton1_Color"), "65280");
}

TEST_F(FormStorageFiles, AStoredMinimizedStateMinimizesOnlyOnce) {
    Put("[TForm1]\nShowCmd=2\n");
    TForm1 form(path);
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.isMinimized(); }, 1000));
    form.showNormal();
    form.hide();
    form.show();
    QTest::qWait(50);
    EXPECT_FALSE(form.isMinimized());
}

// Each row: the stored normal rectangle, relative to the available area's top
// left, and the size it ends up with; 0 stands for the whole available width
// or height. A placement that lies on the screen stays where it was; any other
// is moved so that the window and its frame lie on the screen.
TEST_F(FormStorageFiles, APlacementOffTheScreenOrAbsurdlySizedIsMadeUsable) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QRect stored;
        QSize size;
        bool kept;
    } cases[] = {
        {{20, 30, 400, 300}, {400, 300}, true},      {{-5000, -5000, 400, 300}, {400, 300}, false},
        {{3000, 2000, 400, 300}, {400, 300}, false}, {{-100, 50, 400, 300}, {400, 300}, false},
        {{10, 10, 1, 1}, {120, 80}, true},           {{0, 0, 100000, 100000}, {0, 0}, false},
        {{-5000, 10, 100000, 5}, {0, 80}, false},
    };
    for (const auto& c : cases) {
        const QRect stored = c.stored.translated(area.topLeft());
        Put("[TForm1]\nPixelsPerInch=" + std::to_string(Ppi()) + "\nNormPos=" +
            QStringLiteral("%1,%2,%3,%4")
                .arg(stored.left())
                .arg(stored.top())
                .arg(stored.left() + stored.width())
                .arg(stored.top() + stored.height())
                .toStdString() +
            "\n");
        TForm1 form(path);
        form.show();
        const QRect frame = form.frameGeometry(), placed = form.geometry();
        const QSize whole = area.size() - (frame.size() - placed.size());
        const QSize size(c.size.width() ? c.size.width() : whole.width(),
                         c.size.height() ? c.size.height() : whole.height());
        EXPECT_EQ(placed.size(), size) << Get();
        if (c.kept)
            EXPECT_EQ(placed.topLeft(), stored.topLeft()) << Get();
        else
            EXPECT_TRUE(area.contains(frame)) << Get();
        form.storage->SetActive(false); // keep the file for the next row
    }
}

TEST_F(FormStorageFiles, NeverShownWindowSavesNothing) {
    Put("[TForm1]\nCheckBox1_Checked=True\n");
    const std::string before = Get();
    {
        TForm1 form(path);
        form.check->setChecked(false);
    }
    EXPECT_EQ(Get(), before);
}

TEST_F(FormStorageFiles, DestroySavesOnceWithVisibleOne) {
    int saves = 0;
    {
        TForm1 form(path);
        form.storage->OnSavePlacement = [&](TFormPlacement*) { ++saves; };
        form.show();
        form.check->setChecked(true);
    }
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(Read("Visible"), "1");
    EXPECT_EQ(Read("CheckBox1_Checked"), "True");
    {
        TForm1 form(path);
        form.storage->OnSavePlacement = [&](TFormPlacement*) { ++saves; };
        form.show();
        form.close();
    }
    EXPECT_EQ(saves, 2); // closed and then destroyed: one save
    EXPECT_EQ(Read("Visible"), "0");
}

TEST_F(FormStorageFiles, RefusedCloseAndInactiveStorageSaveNothing) {
    TForm1 form(path);
    form.show();
    form.mayClose = false;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(QFile::exists(path));
    form.mayClose = true;
    form.storage->SetActive(false);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(FormStorageFiles, MissingComponentIsDroppedAndNeitherReadNorWritten) {
    Put("[TForm1]\nGone_Checked=True\n");
    TForm1 form(path);
    form.storage->SetStoredProps({"CheckBox1.Checked", "Gone.Checked", "Edit1.text"});
    form.storage->Loaded();
    EXPECT_EQ(form.storage->StoredProps(), QStringList({"CheckBox1.Checked", "Edit1.text"}));
    form.edit->setText("typed");
    form.show();
    form.close();
    EXPECT_EQ(Read("Edit1_text"), "typed");
    EXPECT_EQ(Read("Gone_Checked"), "True");
    EXPECT_EQ(Read("ColorButton1_Color"), "<none>");
}

TEST_F(FormStorageFiles, UnwritableFileIsReportedAndKeepsItsContents) {
    TForm1 form(dir.filePath("no-such-folder/Tarnivell.ini"));
    form.show();
    EXPECT_TRUE(form.close()); // the error does not stop the closing
    ASSERT_EQ(form.errors->size(), 1);
    EXPECT_EQ(form.errors->at(0),
              "Unable to write to " + dir.filePath("no-such-folder/Tarnivell.ini"));
}

TEST_F(FormStorageFiles, ReadOnlyFileIsReportedAndKeepsItsContents) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    Put("[TForm1]\nCheckBox1_Checked=True\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    const std::string before = Get();
    TForm1 readOnly(path);
    readOnly.show();
    readOnly.close();
    ASSERT_EQ(readOnly.errors->size(), 1);
    EXPECT_EQ(readOnly.errors->at(0), "Unable to write to " + path);
    EXPECT_EQ(Get(), before);
}

TEST_F(FormStorageFiles, DefaultsForSectionFileNameAndOptions) {
    TForm1 form("");
    EXPECT_EQ(form.storage->EffectiveSection(), "TForm1");
    EXPECT_TRUE(form.storage->EffectiveIniFileName().endsWith(".INI"));
    EXPECT_EQ(form.storage->Options(), TFormPlacement::TPlacementOptions(
                                           TFormPlacement::fpState | TFormPlacement::fpPosition));
    QObject plain;
    plain.setObjectName("Plain");
    TFormPlacement loose(&plain);
    EXPECT_EQ(loose.Options(), TFormPlacement::TPlacementOptions());
    EXPECT_EQ(loose.EffectiveSection(), "Plain");
    auto* inner = new QObject(&form);
    inner->setObjectName("Inner");
    EXPECT_EQ(TFormPlacement(inner).EffectiveSection(), "TForm1.Inner");
}

TEST_F(FormStorageFiles, ActiveControlIsSavedAndRestoredWhenAsked) {
    {
        TForm1 form(path);
        form.storage->SetOptions(form.storage->Options() | TFormPlacement::fpActiveControl);
        form.show();
        form.activateWindow();
        form.edit->setFocus();
        form.close();
    }
    EXPECT_EQ(Read("ActiveControl"), "Edit1");
    TForm1 form(path);
    form.storage->SetOptions(form.storage->Options() | TFormPlacement::fpActiveControl);
    form.show();
    EXPECT_EQ(form.focusWidget(), form.edit);
}

TEST_F(FormStorageFiles, PreventResizeAndMinMaxInfoLimitTheWindow) {
    TForm1 form(path);
    form.storage->MinMaxInfo()->SetMinTrackWidth(250);
    form.storage->MinMaxInfo()->SetMaxTrackHeight(400);
    form.show();
    EXPECT_EQ(form.minimumWidth(), 250);
    EXPECT_EQ(form.maximumHeight(), 400);
    form.storage->SetPreventResize(true);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.minimumSize(), form.size());
    EXPECT_EQ(form.maximumSize(), form.size());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    form.storage->SetPreventResize(false);
    form.storage->MinMaxInfo()->SetMinTrackWidth(0);
    form.storage->MinMaxInfo()->SetMaxTrackHeight(0);
    EXPECT_EQ(form.maximumHeight(), QWIDGETSIZE_MAX);
}

TEST_F(FormStorageFiles, RegistryModeKeepsTheKeysUnderTheNamedKey) {
    QFile::remove(TFormPlacement::RegistryFileName());
    {
        TForm1 form("Software\\Tarnivell");
        form.storage->SetUseRegistry(true);
        form.show();
        form.check->setChecked(true);
        form.close();
    }
    IniFile registry(TFormPlacement::RegistryFileName().toStdString());
    EXPECT_EQ(registry.ReadString("Software\\Tarnivell\\TForm1", "CheckBox1_Checked", ""), "True");
    QFile::remove(TFormPlacement::RegistryFileName());
}

} // namespace

#include "TFormStorageTest.moc"

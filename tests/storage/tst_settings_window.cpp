#include "ColourSwatch.h"
#include "DisplayPlatform.h"
#include "FakePort.h"
#include "Form1.h"
#include "ProgramState.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <memory>
#include <optional>

namespace {

using Colours = std::array<ColourValue, 3>;
constexpr ColourValue DesignLine = rgbColour(0, 192, 0);
constexpr ColourValue DesignNul = rgbColour(0, 0, 255);
constexpr ColourValue DesignBack = rgbColour(0, 0, 0);

// One run of the program: the main window started in the current directory.
struct Run {
    ProgramState state;
    ScriptedDialogs dialogs;
    FakePort win95io;
    FakePort inpout32;
    std::unique_ptr<Form1> form = std::make_unique<Form1>(state, dialogs, win95io, inpout32);

    Colours colours() const {
        return {form->swatchLine().backColor(), form->swatchNul().backColor(),
                form->swatchBack().backColor()};
    }
};

} // namespace

Q_DECLARE_METATYPE(Colours)

// The settings file as the real main window reads it at start-up and writes
// it when it is closed. Every run starts in a directory of its own.
class SettingsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(QDir::setCurrent(dir_.emplace().path())); }

    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

    void firstRun() {
        Run run;
        QCOMPARE(run.form->frameGeometry().topLeft(), QPoint(1, 1));
        QCOMPARE(run.colours(), (Colours{DesignLine, DesignNul, DesignBack}));
        QCOMPARE(run.state.settingsHeader, QString());
        QCOMPARE(run.state.zoomFactor, 0.0625F);
        QCOMPARE(run.state.viewStart, 1.0F);

        run.dialogs.colourAnswers.push_back(rgbColour(1, 2, 3));
        QTest::mouseClick(&run.form->swatchLine(), Qt::LeftButton);
        QVERIFY(run.form->close());
        QCOMPARE(readFile(settingsPath()),
                 crlfLines({R"("")", R"(" 15")", R"(" 15")", R"(" 197121")", R"(" 16711680")",
                            R"(" 0")"}));
    }

    void startUp_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<Colours>("colours");
        QTest::addColumn<QByteArray>("written");

        const QByteArray full = crlfLines({R"("rig 2, bench")", R"(" 1440")", R"(" 2880")",
                                           R"(" 255")", R"("-2147483641")", R"(" 65280")"});
        QTest::newRow("written back unchanged")
            << full << QPoint(192, 96) << Colours{255, MenuTextColour, 65280} << full;
        QTest::newRow("position between pixels")
            << crlfLines({R"("")", R"(" 1450")", R"(" 2880")", R"(" 255")", R"(" 0")", R"(" 0")"})
            << QPoint(192, 97) << Colours{255, 0, 0}
            << crlfLines({R"("")", R"(" 1455")", R"(" 2880")", R"(" 255")", R"(" 0")", R"(" 0")"});
        QTest::newRow("colour the swatch refuses")
            << crlfLines(
                   {R"("")", R"(" 1440")", R"(" 2880")", R"(" 255")", R"(" 65280")", R"("-1")"})
            << QPoint(1, 1) << Colours{255, 65280, DesignBack}
            << crlfLines({R"("")", R"(" 15")", R"(" 15")", R"(" 255")", R"(" 65280")", R"(" 0")"});
        QTest::newRow("position beyond any screen")
            << crlfLines(
                   {R"("x")", R"(" 1E7")", R"(" 2880")", R"(" 255")", R"(" 65280")", R"(" 0")"})
            << QPoint(1, 1) << Colours{DesignLine, DesignNul, DesignBack}
            << crlfLines(
                   {R"("x")", R"(" 15")", R"(" 15")", R"(" 49152")", R"(" 16711680")", R"(" 0")"});
    }

    void startUp() {
        QFETCH(QByteArray, content);
        QFETCH(QPoint, position);
        QFETCH(Colours, colours);
        QFETCH(QByteArray, written);

        QVERIFY(writeFile(settingsPath(), content));
        Run run;
        QCOMPARE(run.form->frameGeometry().topLeft(), position);
        QCOMPARE(run.colours(), colours);
        QVERIFY(run.form->close());
        QCOMPARE(readFile(settingsPath()), written);
    }

    void currentDirectoryChangesDuringRun() {
        Run run;
        QTemporaryDir elsewhere;
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        QVERIFY(run.form->close());
        QVERIFY(QFile::exists(settingsPath()));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
    }

    void failedWriteStillCloses() {
        Run run;
        QVERIFY(dir_->remove());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("could not write .*Tarvik\\.INI")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QVERIFY(run.form->close());
    }

    void swatchRefusal_data() {
        QTest::addColumn<ColourValue>("colour");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("black") << rgbColour(0, 0, 0) << true;
        QTest::newRow("white") << rgbColour(255, 255, 255) << true;
        QTest::newRow("pen design colour") << DesignLine << true;
        QTest::newRow("menu text") << MenuTextColour << true;
        QTest::newRow("first system colour") << systemColour(0) << true;
        QTest::newRow("last system colour") << systemColour(SystemColourCount - 1) << true;
        QTest::newRow("system colour past the last") << systemColour(SystemColourCount) << false;
        QTest::newRow("palette index form") << ColourValue{0x01000000} << false;
        QTest::newRow("palette colour form") << ColourValue{0x02FFFFFF} << false;
        QTest::newRow("top byte 7F") << ColourValue{0x7F000000} << false;
        QTest::newRow("minus one") << ColourValue{-1} << false;
    }

    void swatchRefusal() {
        QFETCH(ColourValue, colour);
        QFETCH(bool, accepted);
        ColourSwatch swatch(DesignNul);
        QCOMPARE(swatch.setBackColor(colour), accepted);
        QCOMPARE(swatch.backColor(), accepted ? colour : DesignNul);
    }

    void platform_data() {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QByteArray>("platform");

        QTest::newRow("Wayland with XWayland")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"} << QByteArray("xcb");
        QTest::newRow("Wayland session type with XWayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:0"} << QByteArray("xcb");
        QTest::newRow("Wayland without XWayland")
            << QStringList{"WAYLAND_DISPLAY=wayland-0"} << QByteArray();
        QTest::newRow("X11") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << QByteArray();
        QTest::newRow("user's choice kept")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0", "QT_QPA_PLATFORM=wayland"}
            << QByteArray();
        QTest::newRow("nothing") << QStringList{} << QByteArray();
    }

    void platform() {
        QFETCH(QStringList, environment);
        QFETCH(QByteArray, platform);
        QProcessEnvironment env;
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        QCOMPARE(preferredPlatform(env), platform);
    }

  private:
    QString settingsPath() const { return dir_->filePath(QStringLiteral("Tarvik.INI")); }

    std::optional<QTemporaryDir> dir_;
};

QTEST_MAIN(SettingsWindowTest)
#include "tst_settings_window.moc"

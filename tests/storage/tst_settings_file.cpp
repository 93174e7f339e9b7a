#include "FakeSettingsWindow.h"
#include "ProgramState.h"
#include "Settings.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

using Colours = std::array<ColourValue, 3>;
constexpr Colours DesignColours{FakeSettingsWindow::DesignLine, FakeSettingsWindow::DesignNul,
                                FakeSettingsWindow::DesignBack};

} // namespace

Q_DECLARE_METATYPE(Colours)

class SettingsFileTest : public QObject {
    Q_OBJECT

  private slots:
    void load_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("header");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("left");
        QTest::addColumn<Colours>("colours");

        QTest::newRow("as written") << crlfLines({R"("")", R"(" 1440")", R"(" 2880")",
                                                  R"(" 65280")", R"(" 255")", R"(" 0")"})
                                    << "" << 1440.0F << 2880.0F << Colours{65280, 255, 0};
        QTest::newRow("negative position, system colour")
            << crlfLines({R"("rig 2, bench")", R"("-120")", R"(" 30")", R"("-2147483641")",
                          R"(" 255")", R"(" 0")"})
            << "rig 2, bench" << -120.0F << 30.0F << Colours{MenuTextColour, 255, 0};
        QTest::newRow("ends after field 3") << crlfLines({R"("kept")", R"(" 1440")", R"(" 2880")"})
                                            << "kept" << 10.0F << 10.0F << DesignColours;
        QTest::newRow("ends after field 5")
            << crlfLines({R"("")", R"(" 1440")", R"(" 2880")", R"(" 65280")", R"(" 255")"}) << ""
            << 10.0F << 10.0F << Colours{65280, 255, FakeSettingsWindow::DesignBack};
        QTest::newRow("empty file") << QByteArray() << "" << 10.0F << 10.0F << DesignColours;
        QTest::newRow("halves to even")
            << crlfLines({R"("")", R"(" 15")", R"(" 15")", R"(" 255.5")", R"(" 254.5")", R"(" 0")"})
            << "" << 15.0F << 15.0F << Colours{256, 254, 0};
        QTest::newRow("colour beyond 32 bits")
            << crlfLines({R"("")", R"(" 1440")", R"(" 2880")", R"(" 65280")", R"(" 4294967296")",
                          R"(" 0")"})
            << "" << 10.0F << 10.0F
            << Colours{65280, FakeSettingsWindow::DesignNul, FakeSettingsWindow::DesignBack};
        QTest::newRow("position beyond single precision")
            << crlfLines(
                   {R"("")", R"(" 1E39")", R"(" 2880")", R"(" 65280")", R"(" 255")", R"(" 0")"})
            << "" << 10.0F << 10.0F << DesignColours;
        QTest::newRow("word as position")
            << crlfLines({R"("")", R"("top")", R"(" 2880")", R"(" 65280")", R"(" 255")", R"(" 0")"})
            << "" << 0.0F << 2880.0F << Colours{65280, 255, 0};
        QTest::newRow("unquoted fields")
            << crlfLines({"hello", "1440", "2880", "65280", "255", "0"}) << "hello" << 1440.0F
            << 2880.0F << Colours{65280, 255, 0};
        QTest::newRow("first line with a comma shifts the fields")
            << crlfLines(
                   {"hello,1440", R"(" 2880")", R"(" 100")", R"(" 65280")", R"(" 255")", R"(" 0")"})
            << "hello" << 1440.0F << 2880.0F << Colours{100, 65280, 255};
        QTest::newRow("extra fields ignored")
            << crlfLines({R"("")", R"(" 1440")", R"(" 2880")", R"(" 65280")", R"(" 255")",
                          R"(" 0")", R"(" 7")", R"("more")"})
            << "" << 1440.0F << 2880.0F << Colours{65280, 255, 0};
    }

    void load() {
        QFETCH(QByteArray, content);
        QFETCH(QString, header);
        QFETCH(float, top);
        QFETCH(float, left);
        QFETCH(Colours, colours);

        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("Tarvik.INI")), content));
        ProgramState state;
        FakeSettingsWindow window;
        LoadSettings(state, window, dir.path());
        QCOMPARE(state.appDir, dir.path());
        QCOMPARE(state.settingsHeader, header);
        QCOMPARE(window.topTwips, top);
        QCOMPARE(window.leftTwips, left);
        QCOMPARE(window.colours, colours);
    }

    void missingFile() {
        QTemporaryDir dir;
        ProgramState state;
        FakeSettingsWindow window;
        LoadSettings(state, window, dir.path());
        QCOMPARE(state.appDir, dir.path());
        QCOMPARE(state.settingsHeader, QString());
        QCOMPARE(window.topTwips, 10.0F);
        QCOMPARE(window.leftTwips, 10.0F);
        QCOMPARE(window.colours, DesignColours);
    }

    void save() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Tarvik.INI"));
        QVERIFY(writeFile(path, QByteArray(5000, 'x')));
        ProgramState state;
        state.appDir = dir.path();
        FakeSettingsWindow window;
        window.topTwips = 1440.0F;
        window.leftTwips = 2880.0F;
        window.colours = {65280, 255, 0};
        SaveSettings(state, window);
        QCOMPARE(readFile(path), QByteArray("\"\"\r\n\" 1440\"\r\n\" 2880\"\r\n\" 65280\"\r\n"
                                            "\" 255\"\r\n\" 0\"\r\n"));

        state.settingsHeader = QStringLiteral("bench");
        window.topTwips = -120.0F;
        window.colours = {MenuTextColour, 0, 16777215};
        SaveSettings(state, window);
        QCOMPARE(readFile(path), QByteArray("\"bench\"\r\n\"-120\"\r\n\" 2880\"\r\n"
                                            "\"-2147483641\"\r\n\" 0\"\r\n\" 16777215\"\r\n"));
    }

    void savedFileReadsBack() {
        QTemporaryDir dir;
        ProgramState saved;
        saved.appDir = dir.path();
        saved.settingsHeader = QString::fromLatin1("a,b\r\n\xE9\x01 ", 8);
        FakeSettingsWindow window;
        window.topTwips = -0.1F;
        window.leftTwips = 3.0e38F;
        window.colours = {MenuTextColour, systemColour(24), 0x00FFFFFF};
        SaveSettings(saved, window);
        const QByteArray written = readFile(dir.filePath(QStringLiteral("Tarvik.INI")));

        ProgramState loaded;
        FakeSettingsWindow reread;
        LoadSettings(loaded, reread, dir.path());
        QCOMPARE(loaded.settingsHeader, saved.settingsHeader);
        QCOMPARE(reread.topTwips, window.topTwips);
        QCOMPARE(reread.leftTwips, window.leftTwips);
        QCOMPARE(reread.colours, window.colours);
        SaveSettings(loaded, reread);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("Tarvik.INI"))), written);
    }

    void path() {
        QCOMPARE(settingsFilePath(QStringLiteral("/home/ann")),
                 QStringLiteral("/home/ann/Tarvik.INI"));
        QCOMPARE(settingsFilePath(QStringLiteral("/")), QStringLiteral("//Tarvik.INI"));
    }

    void failedWriteWarnsOnce() {
        QTemporaryDir dir;
        ProgramState state;
        state.appDir = dir.filePath(QStringLiteral("gone"));
        FakeSettingsWindow window;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral(
                                 "could not write the settings file .*gone/Tarvik\\.INI: .+")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        SaveSettings(state, window);
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_MAIN(SettingsFileTest)
#include "tst_settings_file.moc"

#include "ClosedFolder.h"
#include "ColourSwatch.h"
#include "DisplayPlatform.h"
#include "FakePort.h"
#include "FakeSettingsWindow.h"
#include "FileSizeLimit.h"
#include "Form1.h"
#include "ProgramState.h"
#include "ScriptedDialogs.h"
#include "Settings.h"
#include "SettingsContent.h"
#include "SettingsFields.h"
#include "SettingsNumber.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <limits>
#include <optional>

namespace tarvik {

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

std::optional<ColourValue> colourOf(const char* text) {
    return settingsColour(settingsNumber(text));
}

// One run of the program: the main window started in the current directory.
struct Run {
    ProgramState state;
    ScriptedDialogs dialogs;
    FakePort win95io;
    FakePort inpout32;
    Form1 form{state, dialogs, win95io, inpout32};
};

} // namespace

// Every test runs in a current directory of its own.
class SettingsFileTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(QDir::setCurrent(dir_.emplace().path())); }

    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

    void fields_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArrayList>("fields");

        QTest::newRow("unquoted; commas and any line end separate")
            << QByteArray("a,,b,\r\nhello world\nc\rd")
            << QByteArrayList{"a", "", "b", "hello world", "c", "d"};
        QTest::newRow("quotes hold commas and line ends")
            << QByteArray("\"a,b\r\nc\"\r\n\"d\"") << QByteArrayList{"a,b\r\nc", "d"};
        QTest::newRow("blanks and line ends before a field skipped, tabs kept")
            << QByteArray("  \r\n\r\n  \"a\"\n\n   b  \r\n\t5")
            << QByteArrayList{"a", "b  ", "\t5"};
        QTest::newRow("text after a closing quote passed over, last quote missing")
            << QByteArray("\"a\" junk, \"b\" x\r\n\"c") << QByteArrayList{"a", "b", "c"};
        QTest::newRow("quote inside an unquoted field ends its text")
            << QByteArray("ab\"c,d\r\ne") << QByteArrayList{"ab", "d", "e"};
        QTest::newRow("bytes kept as they are")
            << QByteArray("\"\xE9\x00\xFF\"", 5) << QByteArrayList{QByteArray("\xE9\x00\xFF", 3)};
        QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
        const QByteArray endless(SettingsFieldReader::MaxSettingsBytes, 'x');
        QTest::newRow("field running past the size limit")
            << QByteArray("\"a\"\r\n" + endless) << QByteArrayList{"a"};
        QTest::newRow("file of exactly the size limit")
            << QByteArray("a," + endless.left(SettingsFieldReader::MaxSettingsBytes - 2))
            << QByteArrayList{"a", endless.left(SettingsFieldReader::MaxSettingsBytes - 2)};
    }

    void fields() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArrayList, fields);
        QBuffer file;
        file.setData(content);
        QVERIFY(file.open(QIODevice::ReadOnly));
        SettingsFieldReader reader(file);
        QByteArrayList read;
        while (const auto field = reader.next())
            read << *field;
        QCOMPARE(read, fields);
    }

    void number_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("number");

        QTest::newRow("plus sign, no digits after the full stop") << QByteArray("+5.") << 5.0;
        QTest::newRow("blanks, tabs, line feeds anywhere") << QByteArray(" 1 4\t4\n0 ") << 1440.0;
        QTest::newRow("carriage return ends the number") << QByteArray("12\r34") << 12.0;
        QTest::newRow("no digits before the full stop") << QByteArray(".25") << 0.25;
        QTest::newRow("comma is no decimal separator") << QByteArray("1,5") << 1.0;
        QTest::newRow("small e, signed exponent") << QByteArray("25e-1") << 2.5;
        QTest::newRow("exponent without digits ignored") << QByteArray("7E+x") << 7.0;
        QTest::newRow("word after a sign") << QByteArray("-left") << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0;
        QTest::newRow("leading zeros, second full stop ends")
            << QByteArray("000123.45.6") << 123.45;
        QTest::newRow("correctly rounded")
            << QByteArray("0.1000000000000000055511151231257827") << 0.1;
        QTest::newRow("huge exponent") << QByteArray("1E99999999999999999999") << Infinity;
        QTest::newRow("too small") << QByteArray("1E-400") << 0.0;
        QTest::newRow("zero with huge exponent") << QByteArray("0E99999999999") << 0.0;
        QTest::newRow("many digits scaled back")
            << QByteArray("0." + QByteArray(500, '0') + "15E502") << 15.0;
        QTest::newRow("long mantissa") << QByteArray("1" + QByteArray(400, '0') + "E-400") << 1.0;
    }

    void number() {
        QFETCH(QByteArray, text);
        QFETCH(double, number);
        QCOMPARE(settingsNumber(text), number);
    }

    void positionAndColourRanges() {
        QCOMPARE(settingsPosition(3.4028234e38), std::optional<float>(3.4028234e38F));
        QCOMPARE(settingsPosition(3.5e38), std::nullopt);
        QCOMPARE(settingsPosition(1e-50), std::optional<float>(0.0F));

        QCOMPARE(colourOf(" 255.5"), std::optional<ColourValue>(256));
        QCOMPARE(colourOf(" 254.5"), std::optional<ColourValue>(254));
        QCOMPARE(colourOf("-2147483648.5"), std::optional<ColourValue>(systemColour(0)));
        QCOMPARE(colourOf("-2147483649"), std::nullopt);
        QCOMPARE(colourOf("2147483647.4"), std::optional<ColourValue>(2147483647));
        QCOMPARE(colourOf("2147483647.5"), std::nullopt);
        QCOMPARE(colourOf("2147483655"), std::nullopt); // a system colour's bits read unsigned
        QCOMPARE(colourOf("4294967296"), std::nullopt);
        QCOMPARE(colourOf("1E400"), std::nullopt);
    }

    // Every position and colour is written as text that reads back to it.
    void numberTextsReadBack() {
        using Float = std::numeric_limits<float>;
        // The last one's shortest text, 7.038531E-26, comes back as its
        // neighbour when read through a double.
        QList<float> positions{Float::max(), -Float::max(), Float::denorm_min(), 8388607.5F,
                               std::bit_cast<float>(0x15ae43fdU)};
        QList<ColourValue> colours{std::numeric_limits<ColourValue>::min(),
                                   std::numeric_limits<ColourValue>::max()};
        QRandomGenerator random(20240611);
        while (positions.size() < 20000) {
            if (const auto twips = std::bit_cast<float>(random.generate()); std::isfinite(twips))
                positions << twips;
            colours << static_cast<ColourValue>(random.generate());
        }
        for (const float twips : positions)
            QVERIFY2(settingsPosition(settingsNumber(positionText(twips))) == twips,
                     positionText(twips).constData());
        for (const ColourValue colour : colours)
            QCOMPARE(settingsColour(settingsNumber(colourText(colour))), colour);
    }

    void load_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("written");

        const QByteArray fallback = settingsLines("| 10| 10| 49152| 16711680| 0");
        QTest::newRow("no file") << QByteArray() << fallback;
        QTest::newRow("extra fields dropped") << settingsLines("| 1440| 2880| 65280| 255| 0| 7|x")
                                              << settingsLines("| 1440| 2880| 65280| 255| 0");
        QTest::newRow("ends after field 3") << settingsLines("kept| 1440| 2880")
                                            << settingsLines("kept| 10| 10| 49152| 16711680| 0");
        QTest::newRow("ends after field 5") << settingsLines("| 1440| 2880| 65280| 255")
                                            << settingsLines("| 10| 10| 65280| 255| 0");
        QTest::newRow("colour beyond 32 bits")
            << settingsLines("| 1440| 2880| 65280| 4294967296| 0")
            << settingsLines("| 10| 10| 65280| 16711680| 0");
        QTest::newRow("position beyond single precision")
            << settingsLines("| 1E39| 2880| 65280| 255| 0") << fallback;
        QTest::newRow("word as position") << settingsLines("|top| 2880| 65280| 255| 0")
                                          << settingsLines("| 0| 2880| 65280| 255| 0");
        const QByteArray fractions = settingsLines("| 150.1|-0.3| 65280| 255| 0");
        QTest::newRow("fractional positions written as read") << fractions << fractions;
        QTest::newRow("unquoted fields")
            << crlfLines({"hello", "1440", "2880", "65280", "255", "0"})
            << settingsLines("hello| 1440| 2880| 65280| 255| 0");
        QTest::newRow("first line with a comma shifts the fields")
            << QByteArray("hello,1440\r\n" + settingsLines(" 2880| 100| 65280| 255| 0"))
            << settingsLines("hello| 1440| 2880| 100| 65280| 255");
    }

    // Loads the file (a null content stands for none) into a stand-in window
    // that takes any position, and writes it back.
    void load() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, written);
        if (!content.isNull())
            QVERIFY(writeFile(settingsPath(), content));
        ProgramState state;
        FakeSettingsWindow window;
        LoadSettings(state, window, dir_->path());
        QCOMPARE(state.appDir, dir_->path());
        SaveSettings(state, window);
        QCOMPARE(readFile(settingsPath()), written);
    }

    // A named pipe would wait for a writer and a device may never end: no
    // settings are read from either, nor from a folder, and the window goes
    // to the fallback position at once. Neither a pipe nor a folder is
    // written or replaced, also where the folder takes no new files.
    void notARegularFileTakesTheFailurePath() {
        const auto fallsBack = [this] {
            ProgramState state;
            FakeSettingsWindow window;
            LoadSettings(state, window, dir_->path());
            return window.topTwips == FallbackTop && window.leftTwips == FallbackLeft;
        };
        const auto leftAlone = [this](mode_t kind) {
            ProgramState state;
            state.appDir = dir_->path();
            const QRegularExpression warning(QStringLiteral("Tarvik\\.INI: not a regular file"));
            QTest::ignoreMessage(QtWarningMsg, warning);
            SaveSettings(state, FakeSettingsWindow());
            {
                const ClosedFolder closed(dir_->path());
                QTest::ignoreMessage(QtWarningMsg, warning);
                SaveSettings(state, FakeSettingsWindow());
            }
            struct stat after {};
            return ::stat(QFile::encodeName(settingsPath()).constData(), &after) == 0 &&
                   (after.st_mode & S_IFMT) == kind;
        };
        const QString path = settingsPath();
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0 && fallsBack());
        QVERIFY(leftAlone(S_IFIFO));
        QVERIFY(QFile::remove(path) && QFile::link("/dev/zero", path) && fallsBack());
        QVERIFY(QFile::remove(path) && QDir().mkdir(path) && fallsBack());
        QVERIFY(leftAlone(S_IFDIR));
    }

    // The file is replaced as a whole; what is written reads back to the same
    // values and is written again byte for byte.
    void saveAndReadBack() {
        QCOMPARE(settingsFilePath(QStringLiteral("/")), QStringLiteral("//Tarvik.INI"));
        const QString path = settingsPath();
        QVERIFY(writeFile(path, QByteArray(5000, 'x')));
        ProgramState saved;
        saved.appDir = dir_->path();
        FakeSettingsWindow window;
        window.topTwips = -120.0F;
        window.leftTwips = -0.0F;
        window.colours = {65280, MenuTextColour, 0};
        SaveSettings(saved, window);
        QCOMPARE(readFile(path), settingsLines("|-120| 0| 65280|-2147483641| 0"));

        saved.settingsHeader = QString::fromLatin1("a,b\r\n\xE9\x01 ", 8);
        window.topTwips = -0.1F;
        window.leftTwips = 3.0e38F;
        window.colours = {MenuTextColour, systemColour(24), 0x00FFFFFF};
        SaveSettings(saved, window);
        const QByteArray written = readFile(path);
        ProgramState loaded;
        FakeSettingsWindow reread;
        LoadSettings(loaded, reread, dir_->path());
        QCOMPARE(loaded.settingsHeader, saved.settingsHeader);
        QCOMPARE(reread.topTwips, window.topTwips);
        QCOMPARE(reread.leftTwips, window.leftTwips);
        QCOMPARE(reread.colours, window.colours);
        SaveSettings(loaded, reread);
        QCOMPARE(readFile(path), written);
    }

    void startUp_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("written");

        const QByteArray design = settingsLines("| 10| 10| 49152| 16711680| 0");
        QTest::newRow("no file") << QByteArray() << design;
        const QByteArray full = settingsLines("rig 2, bench| 1440| 2880| 255|-2147483641| 65280");
        QTest::newRow("written back unchanged") << full << full;
        const QByteArray between = settingsLines("|-1450| 2887.5| 255| 0| 0");
        QTest::newRow("positions between pixels written back unchanged") << between << between;
        QTest::newRow("colour the swatch refuses") << settingsLines("| 1440| 2880| 255| 65280|-1")
                                                   << settingsLines("| 10| 10| 255| 65280| 0");
        QTest::newRow("position beyond any screen")
            << settingsLines("| 1E7| 2880| 255| 65280| 0") << design;
    }

    // The same with the real main window, started and closed: it refuses some
    // positions and colours, and gives back the position it was given, also
    // between its whole pixels of 15 twips, as long as it has not moved.
    void startUp() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, written);
        if (!content.isNull())
            QVERIFY(writeFile(settingsPath(), content));
        Run run;
        QVERIFY(run.form.close());
        QCOMPARE(readFile(settingsPath()), written);
    }

    // A colour chosen during the run reaches the file, which is written to the
    // directory that was current at start-up.
    void colourAndDirectoryOfTheRun() {
        Run run;
        run.dialogs.colourAnswers.push_back(rgbColour(1, 2, 3));
        QTest::mouseClick(&run.form.swatchLine(), Qt::LeftButton);
        QTemporaryDir elsewhere;
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        QVERIFY(run.form.close());
        QCOMPARE(readFile(settingsPath()), settingsLines("| 10| 10| 197121| 16711680| 0"));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
    }

    // A window moved across gives its new left edge in whole pixels and keeps
    // the top it was given.
    void movedWindowSavesWholePixels() {
        QVERIFY(writeFile(settingsPath(), settingsLines("| 1450| 2887.5| 255| 0| 0")));
        Run run;
        run.form.move(run.form.frameGeometry().topLeft() + QPoint(1, 0));
        QVERIFY(run.form.close());
        QCOMPARE(readFile(settingsPath()), settingsLines("| 1450| 2895| 255| 0| 0"));
    }

    // The file is still written, in place, when it is open to writing but its
    // folder takes no new files.
    void savedInPlaceInAFolderClosedToNewFiles() {
        QVERIFY(writeFile(settingsPath(), QByteArray(500, 'x')));
        ProgramState state;
        state.appDir = dir_->path();
        const FakeSettingsWindow window;
        {
            const ClosedFolder closed(dir_->path());
            QVERIFY(!writeFile(dir_->filePath(QStringLiteral("new file")), "x"));
            QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
            SaveSettings(state, window);
        }
        QCOMPARE(readFile(settingsPath()), settingsLines("|-1|-1| 49152| 16711680| 0"));
    }

    void failedWriteWarnsOnceAndStillCloses_data() {
        QTest::addColumn<bool>("folderGone");
        QTest::newRow("folder gone") << true;
        QTest::newRow("write cut short, as on a full disk") << false;
    }

    // One warning with the reason, the window still closes, and a file that
    // stays keeps every byte it had.
    void failedWriteWarnsOnceAndStillCloses() {
        QFETCH(bool, folderGone);
        const QByteArray old = settingsLines("rig 2| 1440| 2880| 255| 0| 0");
        QVERIFY(writeFile(settingsPath(), old));
        Run run;
        std::optional<FileSizeLimit> limit;
        if (folderGone)
            QVERIFY(dir_->remove());
        else
            limit.emplace(20);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral(
                                 "could not write the settings file .*Tarvik\\.INI: .+")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        const bool closed = run.form.close();
        limit.reset();
        QVERIFY(closed);
        if (!folderGone) {
            QCOMPARE(readFile(settingsPath()), old);
            QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"Tarvik.INI"});
        }
    }

    void swatchRefusal() {
        ColourSwatch swatch(0);
        for (const ColourValue colour : {rgbColour(0, 0, 0), rgbColour(255, 255, 255),
                                         systemColour(0), systemColour(SystemColourCount - 1)}) {
            QVERIFY(swatch.setBackColor(colour));
        }
        for (const ColourValue colour : {systemColour(SystemColourCount), ColourValue{0x01000000},
                                         ColourValue{0x7F000000}, ColourValue{-1}}) {
            QVERIFY(!swatch.setBackColor(colour));
            QCOMPARE(swatch.backColor(), systemColour(SystemColourCount - 1));
        }
    }

    void platform_data() {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QByteArray>("platform");

        QTest::newRow("Wayland with XWayland")
            << "WAYLAND_DISPLAY=w DISPLAY=:0" << QByteArray("xcb");
        QTest::newRow("Wayland session with XWayland")
            << "XDG_SESSION_TYPE=wayland DISPLAY=:0" << QByteArray("xcb");
        QTest::newRow("Wayland without XWayland") << "WAYLAND_DISPLAY=w" << QByteArray();
        QTest::newRow("X11") << "XDG_SESSION_TYPE=x11 DISPLAY=:0" << QByteArray();
        QTest::newRow("user's choice kept")
            << "WAYLAND_DISPLAY=w DISPLAY=:0 QT_QPA_PLATFORM=wayland" << QByteArray();
    }

    void platform() {
        QFETCH(QString, environment);
        QFETCH(QByteArray, platform);
        QProcessEnvironment env;
        for (const QString& entry : environment.split(u' '))
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        QCOMPARE(preferredPlatform(env), platform);
    }

  private:
    QString settingsPath() const { return dir_->filePath(QStringLiteral("Tarvik.INI")); }

    std::optional<QTemporaryDir> dir_;
};

} // namespace tarvik

QTEST_MAIN(tarvik::SettingsFileTest)
#include "tst_settings_file.moc"

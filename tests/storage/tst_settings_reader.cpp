#include "SettingsFields.h"
#include "SettingsNumber.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

QByteArrayList allFields(const QByteArray& content) {
    QBuffer file;
    file.setData(content);
    file.open(QIODevice::ReadOnly);
    SettingsFieldReader reader(file);
    QByteArrayList fields;
    while (const auto field = reader.next())
        fields << *field;
    return fields;
}

constexpr double Infinity = std::numeric_limits<double>::infinity();

} // namespace

Q_DECLARE_METATYPE(std::optional<float>)
Q_DECLARE_METATYPE(std::optional<ColourValue>)

class SettingsReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void fields_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArrayList>("fields");

        QTest::newRow("as written") << QByteArray("\"\"\r\n\" 1440\"\r\n\"-120\"\r\n")
                                    << QByteArrayList{"", " 1440", "-120"};
        QTest::newRow("unquoted") << QByteArray("1440\r\nhello world\r\n")
                                  << QByteArrayList{"1440", "hello world"};
        QTest::newRow("commas separate")
            << QByteArray("a,b\r\n\"c\",d") << QByteArrayList{"a", "b", "c", "d"};
        QTest::newRow("quotes hold commas and line ends")
            << QByteArray("\"a,b\r\nc\"\r\n\"d\"") << QByteArrayList{"a,b\r\nc", "d"};
        QTest::newRow("blanks and line ends before a field skipped")
            << QByteArray("  \r\n\r\n  \"a\"\n\n   b  \r\n") << QByteArrayList{"a", "b  "};
        QTest::newRow("tab before a field kept") << QByteArray("\t5\r\n") << QByteArrayList{"\t5"};
        QTest::newRow("text after the closing quote passed over")
            << QByteArray("\"a\" junk, \"b\" x\r\n7") << QByteArrayList{"a", "b", "7"};
        QTest::newRow("line feeds and carriage returns alone")
            << QByteArray("a\nb\rc") << QByteArrayList{"a", "b", "c"};
        QTest::newRow("empty field between commas")
            << QByteArray("a,,b") << QByteArrayList{"a", "", "b"};
        QTest::newRow("comma at a line end") << QByteArray("a,\r\nb") << QByteArrayList{"a", "b"};
        QTest::newRow("closing quote missing") << QByteArray("\"abc") << QByteArrayList{"abc"};
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
        QCOMPARE(allFields(content), fields);
    }

    void number_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("number");

        QTest::newRow("blank and digits") << QByteArray(" 1440") << 1440.0;
        QTest::newRow("negative") << QByteArray("-120") << -120.0;
        QTest::newRow("plus sign") << QByteArray("+7") << 7.0;
        QTest::newRow("blanks, tabs, line feeds anywhere") << QByteArray(" 1 4\t4\n0 ") << 1440.0;
        QTest::newRow("carriage return ends the number") << QByteArray("12\r34") << 12.0;
        QTest::newRow("fraction") << QByteArray("255.5") << 255.5;
        QTest::newRow("no digits before the full stop") << QByteArray(".25") << 0.25;
        QTest::newRow("no digits after the full stop") << QByteArray("5.") << 5.0;
        QTest::newRow("comma is no decimal separator") << QByteArray("1,5") << 1.0;
        QTest::newRow("second full stop ends") << QByteArray("1.2.3") << 1.2;
        QTest::newRow("exponent") << QByteArray("1E3") << 1000.0;
        QTest::newRow("small e") << QByteArray("1e3") << 1000.0;
        QTest::newRow("signed exponent") << QByteArray("25E-1") << 2.5;
        QTest::newRow("exponent without digits ignored") << QByteArray("7E") << 7.0;
        QTest::newRow("exponent sign without digits ignored") << QByteArray("7E+x") << 7.0;
        QTest::newRow("trailing text") << QByteArray("12abc") << 12.0;
        QTest::newRow("word") << QByteArray("left") << 0.0;
        QTest::newRow("sign alone") << QByteArray("-") << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0;
        QTest::newRow("hexadecimal not read") << QByteArray("&H10") << 0.0;
        QTest::newRow("leading zeros") << QByteArray("000123.4500") << 123.45;
        QTest::newRow("correctly rounded")
            << QByteArray("0.1000000000000000055511151231257827") << 0.1;
        QTest::newRow("too large") << QByteArray("1E400") << Infinity;
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

    void position_data() {
        QTest::addColumn<double>("number");
        QTest::addColumn<std::optional<float>>("twips");

        QTest::newRow("whole") << 1440.0 << std::optional<float>(1440.0F);
        QTest::newRow("rounded to single") << 0.1 << std::optional<float>(0.1F);
        QTest::newRow("largest single") << 3.4028234e38 << std::optional<float>(3.4028234e38F);
        QTest::newRow("beyond single") << 3.5e38 << std::optional<float>();
        QTest::newRow("infinite") << -Infinity << std::optional<float>();
        QTest::newRow("below the smallest single") << 1e-50 << std::optional<float>(0.0F);
    }

    void position() {
        QFETCH(double, number);
        QFETCH(std::optional<float>, twips);
        QCOMPARE(settingsPosition(number), twips);
    }

    void colour_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<ColourValue>>("colour");

        const auto c = [](ColourValue v) { return std::optional<ColourValue>(v); };
        QTest::newRow("half up to even") << QByteArray(" 255.5") << c(256);
        QTest::newRow("half down to even") << QByteArray(" 254.5") << c(254);
        QTest::newRow("negative half to even") << QByteArray("-0.5") << c(0);
        QTest::newRow("nearest") << QByteArray("65279.7") << c(65280);
        QTest::newRow("lowest") << QByteArray("-2147483648") << c(systemColour(0));
        QTest::newRow("lowest by rounding") << QByteArray("-2147483648.5") << c(systemColour(0));
        QTest::newRow("below the lowest")
            << QByteArray("-2147483649") << std::optional<ColourValue>();
        QTest::newRow("system colour unsigned") << QByteArray("2147483655") << c(MenuTextColour);
        QTest::newRow("half rounds into the top half")
            << QByteArray("2147483647.5") << c(systemColour(0));
        QTest::newRow("highest") << QByteArray("4294967295") << c(-1);
        QTest::newRow("beyond 32 bits") << QByteArray("4294967296") << std::optional<ColourValue>();
        QTest::newRow("beyond 32 bits by rounding")
            << QByteArray("4294967295.5") << std::optional<ColourValue>();
        QTest::newRow("infinite") << QByteArray("1E400") << std::optional<ColourValue>();
    }

    void colour() {
        QFETCH(QByteArray, text);
        QFETCH(std::optional<ColourValue>, colour);
        QCOMPARE(settingsColour(settingsNumber(text)), colour);
    }

    void numberTexts() {
        QCOMPARE(positionText(1440.0F), QByteArray(" 1440"));
        QCOMPARE(positionText(-120.0F), QByteArray("-120"));
        QCOMPARE(positionText(0.0F), QByteArray(" 0"));
        QCOMPARE(positionText(-0.0F), QByteArray(" 0"));
        QCOMPARE(positionText(10.5F), QByteArray(" 10.5"));
        QCOMPARE(positionText(-0.25F), QByteArray("-0.25"));
        QCOMPARE(positionText(16777216.0F), QByteArray(" 16777216"));
        QVERIFY(positionText(1e-30F).contains('E'));
        QCOMPARE(colourText(65280), QByteArray(" 65280"));
        QCOMPARE(colourText(0), QByteArray(" 0"));
        QCOMPARE(colourText(MenuTextColour), QByteArray("-2147483641"));
    }

    void numberTextsReadBack() {
        const auto check = [](float twips) {
            const QByteArray text = positionText(twips);
            const auto back = settingsPosition(settingsNumber(text));
            if (!back || *back != twips)
                QFAIL(qPrintable(
                    QStringLiteral("%1 read back wrong").arg(QString::fromLatin1(text))));
        };
        for (float twips : {0.1F, 1.0F / 3.0F, 123456.79F, std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(), std::numeric_limits<float>::min(),
                            std::numeric_limits<float>::denorm_min(), 8388607.5F})
            check(twips);
        QRandomGenerator random(20240611);
        for (int i = 0; i < 20000; ++i) {
            float twips = 0.0F;
            do {
                const quint32 bits = random.generate();
                std::memcpy(&twips, &bits, sizeof twips);
            } while (!std::isfinite(twips));
            check(twips);
            const auto colour = static_cast<ColourValue>(random.generate());
            QCOMPARE(settingsColour(settingsNumber(colourText(colour))), colour);
        }
        for (ColourValue colour :
             {std::numeric_limits<ColourValue>::min(), std::numeric_limits<ColourValue>::max(), -1})
            QCOMPARE(settingsColour(settingsNumber(colourText(colour))), colour);
    }
};

QTEST_MAIN(SettingsReaderTest)
#include "tst_settings_reader.moc"

// The printer port's base as the launcher and the upper SCAN's library read it
// from the kernel's base-addr file, which the kernel writes as two decimal
// numbers: "888\t1912\n" for a port at 0x378; the port's name as the user
// chooses it and the launcher finds it among its arguments; and what the port
// libraries say of the ports the kernel has.

#include "KernelPorts.h"
#include "PortBase.h"
#include "PortName.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace tarvik {

class PortBaseTest : public QObject {
    Q_OBJECT

  private slots:
    void readsTheFirstNumberOrNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<unsigned>("base");
        QTest::newRow("standard port") << QByteArray("888\t1912\n") << 0x378U;
        QTest::newRow("second standard port") << QByteArray("632\t1656\n") << 0x278U;
        QTest::newRow("PCIe card") << QByteArray("53264\t53256\n") << 0xD010U;
        QTest::newRow("no upper registers") << QByteArray("956\t0\n") << 0x3BCU;
        QTest::newRow("cut after the number") << QByteArray("888") << 0x378U;
        QTest::newRow("last whole port") << QByteArray("65533\t0\n") << 0xFFFDU;
        QTest::newRow("registers past the I/O space") << QByteArray("65534\t0\n") << 0U;
        QTest::newRow("port behind USB") << QByteArray("0\t0\n") << 0U;
        QTest::newRow("overlong number") << QByteArray("88888888888888888888888\t0\n") << 0U;
        QTest::newRow("hexadecimal") << QByteArray("0x378\t0x778\n") << 0U;
        QTest::newRow("negative") << QByteArray("-888\t0\n") << 0U;
        QTest::newRow("leading space") << QByteArray(" 888\t0\n") << 0U;
        QTest::newRow("trailing letters") << QByteArray("888abc\n") << 0U;
        QTest::newRow("first number missing") << QByteArray("\t1912\n") << 0U;
        QTest::newRow("empty") << QByteArray() << 0U;
    }
    void readsTheFirstNumberOrNothing() {
        QFETCH(QByteArray, text);
        QFETCH(unsigned, base);
        QCOMPARE(tarvikParsePortBase(text.constData(), std::size_t(text.size())), base);
    }

    // Only the start of a long file is read, and a missing file is no base.
    void readsOnlyTheStartOfTheFile() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("base-addr"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("632\t1656\n" + QByteArray(100000, '7'));
        file.close();
        QCOMPARE(tarvikReadPortBase(QFile::encodeName(path).constData()), 0x278U);
        QCOMPARE(tarvikReadPortBase(QFile::encodeName(path + 'x').constData()), 0U);
    }

    // No caller can name anything but parport0 ... parport99: no other path,
    // no number that overflows, no second spelling of a port.
    void takesOnlyShortDecimalPortNumbers_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("first") << QByteArray("parport0") << 0;
        QTest::newRow("second") << QByteArray("parport1") << 1;
        QTest::newRow("last") << QByteArray("parport99") << 99;
        QTest::newRow("too high") << QByteArray("parport100") << -1;
        QTest::newRow("overflowing") << QByteArray("parport99999999999999999999") << -1;
        QTest::newRow("leading zero") << QByteArray("parport01") << -1;
        QTest::newRow("two zeros") << QByteArray("parport00") << -1;
        QTest::newRow("sign") << QByteArray("parport+1") << -1;
        QTest::newRow("negative") << QByteArray("parport-1") << -1;
        QTest::newRow("hexadecimal") << QByteArray("parport0x1") << -1;
        QTest::newRow("no number") << QByteArray("parport") << -1;
        QTest::newRow("path after") << QByteArray("parport0/../../x") << -1;
        QTest::newRow("path before") << QByteArray("../parport0") << -1;
        QTest::newRow("device path") << QByteArray("/dev/parport0") << -1;
        QTest::newRow("trailing space") << QByteArray("parport1 ") << -1;
        QTest::newRow("capital") << QByteArray("Parport1") << -1;
        QTest::newRow("other device") << QByteArray("lp0") << -1;
        QTest::newRow("empty") << QByteArray() << -1;
    }
    void takesOnlyShortDecimalPortNumbers() {
        QFETCH(QByteArray, name);
        QFETCH(int, number);
        QCOMPARE(tarvikParsePortName(name.constData()), number);
    }

    // The launcher's reading of the arguments it passes on, as the programs'
    // own parsers read them: "--port" and "-port", each with its value apart
    // or after '=', the last one counting, nothing after "--"; no port at all
    // when the last one names none.
    void findsThePortAmongTheArguments_data() {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("number");
        QTest::newRow("none") << QByteArrayList{} << 0;
        QTest::newRow("other options") << QByteArrayList{"-platform", "offscreen"} << 0;
        QTest::newRow("separate") << QByteArrayList{"--port", "parport1"} << 1;
        QTest::newRow("joined") << QByteArrayList{"--scan", "--port=parport2", "-o", "x.sr"} << 2;
        QTest::newRow("single dash") << QByteArrayList{"-port", "parport1"} << 1;
        QTest::newRow("single dash joined") << QByteArrayList{"--scan", "-port=parport3"} << 3;
        QTest::newRow("last counts")
            << QByteArrayList{"--port", "parport1", "--port=parport3"} << 3;
        QTest::newRow("last counts, any spelling")
            << QByteArrayList{"-port=parport1", "--port", "parport2", "-port", "parport4"} << 4;
        QTest::newRow("after a wrong one")
            << QByteArrayList{"--port=0x378", "--port", "parport1"} << 1;
        QTest::newRow("wrong last")
            << QByteArrayList{"--port", "parport1", "--port", "0x378"} << -1;
        QTest::newRow("missing value") << QByteArrayList{"--port"} << -1;
        QTest::newRow("single dash missing value")
            << QByteArrayList{"--port", "parport1", "-port"} << -1;
        QTest::newRow("empty value") << QByteArrayList{"--port="} << -1;
        QTest::newRow("single dash empty value") << QByteArrayList{"-port="} << -1;
        QTest::newRow("option as value") << QByteArrayList{"-port", "--scan", "parport1"} << -1;
        QTest::newRow("end of options as value")
            << QByteArrayList{"--port", "--", "--port", "parport2"} << 2;
        QTest::newRow("path") << QByteArrayList{"--port", "/proc/self/mem"} << -1;
        QTest::newRow("after the end of options")
            << QByteArrayList{"--", "--port", "parport1"} << 0;
        QTest::newRow("single dash after the end of options")
            << QByteArrayList{"--port=parport2", "--", "-port", "parport1"} << 2;
        QTest::newRow("lone dash") << QByteArrayList{"-", "-port", "parport2"} << 2;
        QTest::newRow("other option's prefix") << QByteArrayList{"--portx=parport1"} << 0;
        QTest::newRow("single dash prefix") << QByteArrayList{"-portx", "parport1"} << 0;
        QTest::newRow("shorter word") << QByteArrayList{"-por", "parport1"} << 0;
        QTest::newRow("three dashes") << QByteArrayList{"---port", "parport1"} << 0;
        QTest::newRow("capital") << QByteArrayList{"--Port", "parport1"} << 0;
    }
    void findsThePortAmongTheArguments() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, number);
        std::vector<char*> argv;
        for (QByteArray& argument : arguments)
            argv.push_back(argument.data());
        QCOMPARE(tarvikPortArgument(int(argv.size()), argv.data()), number);

        // Qt's parser, set up as the programs set theirs up, finds the same.
        QCommandLineParser parser;
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("parportN"));
        parser.addOptions({port, QCommandLineOption(QStringLiteral("scan"))});
        QStringList words{QStringLiteral("tarvik")};
        for (const QByteArray& argument : std::as_const(arguments))
            words << QString::fromLatin1(argument);
        const bool parsed = parser.parse(words);
        if (!parsed && parser.errorText().startsWith(QLatin1String("Missing value")))
            QCOMPARE(number, -1);
        else
            QCOMPARE(parser.isSet(port)
                         ? tarvikParsePortName(parser.value(port).toLatin1().constData())
                         : 0,
                     number);
    }

    // A kernel folder of parport0 at 0x378, parport1 at 0x278, parport2 behind
    // USB and parport10 on a PCIe card, besides its "default" settings: the
    // chosen port's base, 0x378 only for parport0 where the kernel has no port
    // at all, and the ports named in order when the chosen one is unknown.
    void describesTheKernelsPorts() {
        QTemporaryDir kernel;
        const auto addPort = [&kernel](const char* name, const QByteArray& bases) {
            QVERIFY(QDir(kernel.path()).mkpath(QLatin1String(name)));
            QFile file(kernel.filePath(QLatin1String(name) + QLatin1String("/base-addr")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bases);
        };
        const QByteArray folder = QFile::encodeName(kernel.path());
        char text[512];

        QCOMPARE(tarvikChosenPortBase(folder, 0), 0x378U);
        QCOMPARE(tarvikChosenPortBase(folder, 1), 0U);
        QCOMPARE(tarvikDescribeKernelPorts(folder, text, sizeof text), "none");

        addPort("parport1", "632\t1656\n");
        addPort("parport10", "53264\t53256\n");
        addPort("parport2", "0\t0\n");
        addPort("parport0", "888\t1912\n");
        QVERIFY(QDir(kernel.path()).mkpath(QStringLiteral("default")));
        QCOMPARE(tarvikChosenPortBase(folder, 0), 0x378U);
        QCOMPARE(tarvikChosenPortBase(folder, 1), 0x278U);
        QCOMPARE(tarvikChosenPortBase(folder, 10), 0xD010U);
        QCOMPARE(tarvikChosenPortBase(folder, 2), 0U);
        QCOMPARE(tarvikChosenPortBase(folder, 3), 0U);
        QCOMPARE(tarvikChosenPortBase(folder, -1), 0U);
        QCOMPARE(tarvikDescribeKernelPorts(folder, text, sizeof text),
                 "parport0 at 0x378, parport1 at 0x278, parport2, parport10 at 0xD010");
        QVERIFY(QByteArray(tarvikUnknownPort(folder, 3, text, sizeof text))
                    .startsWith("the kernel has no parallel port parport3 (ports the kernel has "
                                "found: parport0 at 0x378, parport1 at 0x278, parport2, parport10 "
                                "at 0xD010). "));
        QVERIFY(QByteArray(tarvikDescribeKernelPorts(folder, text, 20)).startsWith("parport0 at"));

        // Without parport0 the kernel still has ports: none stands in for it.
        QVERIFY(QDir(kernel.filePath(QStringLiteral("parport0"))).removeRecursively());
        QCOMPARE(tarvikChosenPortBase(folder, 0), 0U);
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::PortBaseTest)
#include "tst_port_base.moc"
